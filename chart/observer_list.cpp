#include "chart/observer_list.h"

#include <algorithm>

namespace landuse {

ObserverList::Id ObserverList::Add(ChartObserver observer)
{
    const Id id = nextId_++;
    slots_.push_back({id, std::make_unique<ChartObserver>(std::move(observer))});
    return id;
}

void ObserverList::Remove(Id id)
{
    auto it = std::find_if(slots_.begin(), slots_.end(), [id](const Slot& s) { return s.id == id; });
    if (it == slots_.end())
        return;
    if (notifying_ > 0) {
        it->id = 0;
        removedWhileNotifying_ = true;
    } else {
        slots_.erase(it);
    }
}

void ObserverList::Notify(const ChartEvent& event)
{
    if (slots_.empty())
        return;
    struct Depth {
        ObserverList& list;
        explicit Depth(ObserverList& l) : list(l) { ++list.notifying_; }
        ~Depth()
        {
            if (--list.notifying_ == 0 && list.removedWhileNotifying_) {
                std::erase_if(list.slots_, [](const Slot& s) { return s.id == 0; });
                list.removedWhileNotifying_ = false;
            }
        }
    } depth(*this);

    // Observers added during this notification wait for the next event.
    const std::size_t count = slots_.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (slots_[i].id == 0)
            continue;
        ChartObserver& call = *slots_[i].call;
        call(event);
    }
}

std::size_t ObserverList::Size() const
{
    return std::count_if(slots_.begin(), slots_.end(), [](const Slot& s) { return s.id != 0; });
}

} // namespace landuse
