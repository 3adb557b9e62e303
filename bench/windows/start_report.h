#pragma once
// What a start-up benchmark prints once its window is painted: the milliseconds since its process was
// created and its peak working set, in the same words for the selector and its reference.
#include <windows.h>
#include <psapi.h>

#include <cstdio>

namespace mx::bench {

inline void PrintStart(const char* after = "") {
    FILETIME created, exited, kernel, user, now;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    ::GetSystemTimePreciseAsFileTime(&now);
    auto ticks = [](FILETIME t) { return (ULONGLONG(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    PROCESS_MEMORY_COUNTERS memory{};
    ::K32GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof memory);
    std::printf("%.1f ms to the painted window, peak working set %.1f MB%s\n", double(ticks(now) - ticks(created)) / 1e4,
                double(memory.PeakWorkingSetSize) / (1 << 20), after);
}

}  // namespace mx::bench
