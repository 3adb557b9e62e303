#pragma once
// The most heap memory a call holds at once, counted through AddressSanitizer's allocation hooks
// (the unit tests are built with it), libraries' allocations included.
#include <atomic>
#include <cstddef>

#if defined(__SANITIZE_ADDRESS__)
#define MX_COUNTS_ALLOCATIONS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MX_COUNTS_ALLOCATIONS 1
#endif
#endif
#if MX_COUNTS_ALLOCATIONS
// The sanitizer's allocator interface (declared here: GCC installs no header for it).
extern "C" {
size_t __sanitizer_get_allocated_size(const volatile void* p);
int __sanitizer_install_malloc_and_free_hooks(void (*allocated)(const volatile void*, size_t),
                                              void (*freed)(const volatile void*));
}
#endif

namespace mx::test {

namespace meter {
inline std::atomic<bool> counting{false};
inline std::atomic<long long> held{0}, most{0};
inline void Allocated(const volatile void*, size_t size) {
    if (!counting) return;
    const long long now = held += (long long)size;
    for (long long seen = most; now > seen && !most.compare_exchange_weak(seen, now);) {}
}
#if MX_COUNTS_ALLOCATIONS
inline void Freed(const volatile void* p) {
    if (counting && p) held -= (long long)__sanitizer_get_allocated_size(p);
}
#endif
}  // namespace meter

// The most bytes the call held allocated at once, beyond what was allocated before it; -1 when the
// tests run without the sanitizer, which does the counting.
template <class Call>
long long MostBytesHeld(Call&& call) {
#if MX_COUNTS_ALLOCATIONS
    static const bool hooked = __sanitizer_install_malloc_and_free_hooks(meter::Allocated, meter::Freed) != 0;
    if (!hooked) {
        call();
        return -1;
    }
    meter::held = 0;
    meter::most = 0;
    meter::counting = true;
    call();
    meter::counting = false;
    return meter::most;
#else
    call();
    return -1;
#endif
}

}  // namespace mx::test
