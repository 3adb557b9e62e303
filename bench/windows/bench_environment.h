#pragma once
// The machine as the Windows benchmarks see it: the program seems to live in a folder of the
// benchmark's choosing, message boxes go to the error output instead of waiting for a click, the
// desktop's wallpaper is left alone and the screen is the test screen's 1024 x 768.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/environment.h"

namespace mx::bench {

// The performance counter in milliseconds.
inline double NowMs() {
    LARGE_INTEGER t, f;
    ::QueryPerformanceCounter(&t);
    ::QueryPerformanceFrequency(&f);
    return 1000.0 * double(t.QuadPart) / double(f.QuadPart);
}

class BenchEnvironment : public SystemEnvironment {
public:
    explicit BenchEnvironment(std::string dir) : dir_(std::move(dir)) {}
    std::string ModuleFileName() override { return dir_ + "MXSelect.exe"; }
    std::vector<std::string> Arguments() override { return {}; }
    int ShowMessage(HWND, BoxKind, const std::string& text, UINT) override {
        std::fprintf(stderr, "message: %s\n", text.c_str());
        return IDOK;
    }
    bool SetDesktopWallpaper(const std::string&) override { return true; }
    SIZE ScreenSize() override { return SIZE{1024, 768}; }
    MonitorLayout Monitors() override { return MonitorLayout::One({1024, 768}); }

private:
    std::string dir_;
};

}  // namespace mx::bench
