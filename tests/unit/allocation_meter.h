#pragma once
// The most heap memory a call holds at once, libraries' allocations included, counted through
// AddressSanitizer's allocation hooks (declared here: GCC installs no header for them).
#include <algorithm>
#include <atomic>
#include <cstddef>

extern "C" size_t __sanitizer_get_allocated_size(const volatile void* p);
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, size_t), void (*)(const volatile void*));

namespace mx::test {

inline std::atomic<long long> meterHeld{0}, meterMost{-1};

// Installs the hooks, once for the whole process; false without the sanitizer.
inline bool MeterHooked() {
#if defined(__SANITIZE_ADDRESS__)
    static const bool hooked = __sanitizer_install_malloc_and_free_hooks(
        [](const volatile void*, size_t n) { if (meterMost >= 0) meterMost = std::max<long long>(meterMost, meterHeld += (long long)n); },
        [](const volatile void* p) { if (meterMost >= 0 && p) meterHeld -= (long long)__sanitizer_get_allocated_size(p); }) != 0;
    return hooked;
#else
    return false;
#endif
}

// The most bytes the call held allocated at once beyond what was allocated before it; -1 without
// the sanitizer.
template <class Call>
long long MostBytesHeld(Call&& call) {
    meterHeld = 0;
    meterMost = MeterHooked() ? 0 : -1;
    call();
    return meterMost.exchange(-1);
}

}  // namespace mx::test
