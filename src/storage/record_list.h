#pragma once
// The growable in-memory lists of records the main window owns.
//
// A RecordList is a std::vector with its own allocator, for the reservation
// list's sake: it can hold hundreds of megabytes and is filled by one read at
// start-up. Large blocks come straight from the system in huge pages where the
// system offers them (a few page faults instead of one per 4 KB), and a list
// that is about to be overwritten by a read can be sized without first
// writing zeros into every record (resizeForOverwrite). Everything else is
// plain std::vector: new records from resize, assign or the constructor are
// zero records as always.

#include <cstddef>
#include <cstdint>
#include <new>
#include <utility>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace record_memory {

inline constexpr std::size_t hugePage = std::size_t(2) << 20;

#if defined(__linux__)
// Blocks of a huge page or more are mapped directly, aligned to huge pages.
inline bool mapped(std::size_t bytes) { return bytes >= hugePage; }
inline std::size_t mappedLength(std::size_t bytes) { return (bytes + hugePage - 1) & ~(hugePage - 1); }
#else
inline bool mapped(std::size_t) { return false; }
#endif

inline void *allocate(std::size_t bytes)
{
#if defined(__linux__)
    if (mapped(bytes)) {
        const std::size_t length = mappedLength(bytes);
        // Over-map by one huge page and trim, so the block starts on a huge page.
        void *raw = ::mmap(nullptr, length + hugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (raw == MAP_FAILED)
            throw std::bad_alloc();
        const auto start = reinterpret_cast<std::uintptr_t>(raw);
        const std::uintptr_t aligned = (start + hugePage - 1) & ~std::uintptr_t(hugePage - 1);
        if (aligned > start)
            ::munmap(raw, aligned - start);
        if (const std::size_t tail = start + hugePage - aligned)
            ::munmap(reinterpret_cast<void *>(aligned + length), tail);
        void *p = reinterpret_cast<void *>(aligned);
#if defined(MADV_HUGEPAGE)
        ::madvise(p, length, MADV_HUGEPAGE);
#endif
        return p;
    }
#endif
    return ::operator new(bytes);
}

inline void deallocate(void *p, std::size_t bytes) noexcept
{
#if defined(__linux__)
    if (mapped(bytes)) {
        ::munmap(p, mappedLength(bytes));
        return;
    }
#endif
    ::operator delete(p);
}

// While set on this thread, resize leaves new records as the memory holds them.
inline thread_local bool leaveNewRecords = false;

} // namespace record_memory

template <class T> struct RecordAllocator {
    using value_type = T;

    RecordAllocator() noexcept = default;
    template <class U> RecordAllocator(const RecordAllocator<U> &) noexcept {}

    T *allocate(std::size_t n)
    {
        if (n > std::size_t(-1) / sizeof(T))
            throw std::bad_array_new_length();
        return static_cast<T *>(record_memory::allocate(n * sizeof(T)));
    }
    void deallocate(T *p, std::size_t n) noexcept { record_memory::deallocate(p, n * sizeof(T)); }

    template <class U, class... Args> void construct(U *p, Args &&...args)
    {
        ::new (static_cast<void *>(p)) U(std::forward<Args>(args)...);
    }
    // New records without a value are zero records, except inside resizeForOverwrite.
    template <class U> void construct(U *p)
    {
        if (record_memory::leaveNewRecords)
            ::new (static_cast<void *>(p)) U;
        else
            ::new (static_cast<void *>(p)) U();
    }

    friend bool operator==(const RecordAllocator &, const RecordAllocator &) noexcept { return true; }
};

template <class T> using RecordList = std::vector<T, RecordAllocator<T>>;

// Makes the list n records long without writing the records it gains: for a
// list that a read fills at once. The caller overwrites every new record
// (their bytes are whatever the memory held).
template <class T> void resizeForOverwrite(RecordList<T> &list, std::size_t n)
{
    struct Scope {
        Scope() { record_memory::leaveNewRecords = true; }
        ~Scope() { record_memory::leaveNewRecords = false; }
    } scope;
    list.resize(n);
}
