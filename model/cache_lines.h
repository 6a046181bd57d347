#pragma once
// Storage that starts on a cache line. The grid's passes load whole 64-byte
// lines of cells; a block that starts off a line makes every such load touch
// two lines, and how far off it is depends on the heap's history.

#include <cstddef>
#include <new>
#include <vector>

namespace landuse {

inline constexpr size_t CacheLineBytes = 64;

template <class T>
struct CacheLineAllocator {
    using value_type = T;
    CacheLineAllocator() = default;
    template <class U>
    CacheLineAllocator(const CacheLineAllocator<U>&)
    {
    }
    T* allocate(size_t n) { return static_cast<T*>(::operator new(n * sizeof(T), std::align_val_t(CacheLineBytes))); }
    void deallocate(T* p, size_t) { ::operator delete(p, std::align_val_t(CacheLineBytes)); }
    template <class U>
    bool operator==(const CacheLineAllocator<U>&) const
    {
        return true;
    }
};

template <class T>
using CacheLineVector = std::vector<T, CacheLineAllocator<T>>;

} // namespace landuse
