#pragma once

#include <cstddef>

#include "chart/chart_event.h"
#include "model/listeners.h"

namespace landuse {

// Observers of one chart. Observers may add or remove observers (themselves
// included) while being notified; a removed one is not called again.
class ObserverList {
public:
    using Id = ListenerId;

    Id Add(ChartObserver observer) { return observers_.add(std::move(observer)); }
    void Remove(Id id) { observers_.remove(id); }
    void Notify(const ChartEvent& event)
    {
        observers_.callEach([](const auto& call) { call(); }, event);
    }
    std::size_t Size() const { return observers_.size(); }

private:
    ListenerList<const ChartEvent&> observers_;
};

} // namespace landuse
