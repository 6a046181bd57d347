#pragma once
// Any number of callbacks with ids. A callback may add or remove callbacks
// (itself included) while they are being called: a removed one is not
// called again, one added meanwhile waits for the next call.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace landuse {

using ListenerId = std::uint64_t;

template <typename... Args>
class ListenerList {
public:
    using Callback = std::function<void(Args...)>;

    ListenerId add(Callback callback)
    {
        const ListenerId id = nextId_++;
        slots_.push_back({id, std::make_unique<Callback>(std::move(callback))});
        return id;
    }

    // False when no callback has this id.
    bool remove(ListenerId id)
    {
        for (size_t i = 0; i < slots_.size(); ++i) {
            if (slots_[i].id != id)
                continue;
            if (calling_ > 0) {
                slots_[i].id = 0;
                removedMeanwhile_ = true;
            } else {
                slots_.erase(slots_.begin() + std::ptrdiff_t(i));
            }
            return true;
        }
        return false;
    }

    // Calls every callback in the order they were added. `each` wraps each
    // call, so that a failure in one callback need not keep the others
    // from being called.
    template <typename Each>
    void callEach(Each each, Args... args)
    {
        struct Calling {
            ListenerList& list;
            explicit Calling(ListenerList& l) : list(l) { ++list.calling_; }
            ~Calling()
            {
                if (--list.calling_ == 0 && list.removedMeanwhile_) {
                    std::erase_if(list.slots_, [](const Slot& s) { return s.id == 0; });
                    list.removedMeanwhile_ = false;
                }
            }
        } calling(*this);
        const size_t count = slots_.size();
        for (size_t i = 0; i < count; ++i) {
            if (slots_[i].id == 0)
                continue;
            // Heap-held, so a callback that adds others and grows the list
            // does not move the callable that is running.
            Callback* callback = slots_[i].callback.get();
            each([&] { (*callback)(args...); });
        }
    }

    size_t size() const
    {
        size_t n = 0;
        for (const Slot& s : slots_)
            n += s.id != 0;
        return n;
    }

private:
    struct Slot {
        ListenerId id;
        std::unique_ptr<Callback> callback;
    };

    std::vector<Slot> slots_;
    ListenerId nextId_ = 1;
    int calling_ = 0;
    bool removedMeanwhile_ = false;
};

} // namespace landuse
