#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "chart/chart_event.h"

namespace landuse {

// Observers of one chart. Observers may add or remove observers (themselves
// included) while being notified; a removed one is not called again.
class ObserverList {
public:
    using Id = std::uint64_t;

    Id Add(ChartObserver observer);
    void Remove(Id id);
    void Notify(const ChartEvent& event);
    std::size_t Size() const;

private:
    struct Slot {
        Id id; // 0 once removed during a notification
        // Heap-held so that growing the list while an observer runs does not
        // move the callable that is running.
        std::unique_ptr<ChartObserver> call;
    };

    std::vector<Slot> slots_;
    Id nextId_ = 1;
    int notifying_ = 0;
    bool removedWhileNotifying_ = false;
};

} // namespace landuse
