// Times loading selection files of growing size into the four lists (creating and showing the main
// window) and saving them again, under the real list views. Run under Wine or on Windows:
//   selection_bench.exe [entries...]
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "app/form_select.h"
#include "bench_environment.h"
#include "lists/list_view.h"

namespace {

using mx::bench::BenchEnvironment;

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return double(to.QuadPart - from.QuadPart) / double(f.QuadPart);
}

LARGE_INTEGER Now() {
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return t;
}

// n entries spread over the four lists, in no particular order, with realistic names.
std::string SelectionFile(int n) {
    std::string text;
    const char* headers[] = {"[START]", "[WAIT]", "[SHUT]", "[WALLPAPER]"};
    const char* styles[] = {"Centred", "Stretched", "Tiled", "Fit 2 Screen", "Mirror"};
    unsigned seed = 12345;
    for (int s = 0; s < 4; ++s) {
        if (s) text += "\r\n";
        text += headers[s];
        text += "\r\n";
        for (int i = s; i < n; i += 4) {
            seed = seed * 1103515245u + 12345u;
            text += "C:\\Pictures\\Collection " + std::to_string(seed % 97) + "\\Picture" +
                    std::to_string(seed % 1000003) + (s == 3 ? ".JPG, " + std::string(styles[seed % 5]) : ".SYS");
            text += "\r\n";
        }
    }
    return text;
}

struct Times {
    double load, save;
};

Times Measure(const std::string& dir, int n) {
    std::string path = dir + "MXDATA.MXD";
    std::string text = SelectionFile(n);
    HANDLE f = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written;
    ::WriteFile(f, text.data(), DWORD(text.size()), &written, nullptr);
    ::CloseHandle(f);

    BenchEnvironment env(dir);
    mx::TFormSelect form(env);
    LARGE_INTEGER t0 = Now();
    form.Create();
    form.Show();
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
    LARGE_INTEGER t1 = Now();
    int loaded = 0;
    for (HWND l : {form.ListStart, form.ListWait, form.ListShut, form.ListWall}) loaded += mx::ItemCount(l);
    if (loaded != n) std::fprintf(stderr, "loaded %d of %d entries\n", loaded, n);
    form.SaveToFile();
    LARGE_INTEGER t2 = Now();
    return {Seconds(t0, t1), Seconds(t1, t2)};
}

}  // namespace

int main(int argc, char** argv) {
    INITCOMMONCONTROLSEX init{sizeof init, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&init);
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty()) sizes = {1000, 10000, 100000};

    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    std::string dir = std::string(temp) + "mx-selection-bench\\";
    ::CreateDirectoryA(dir.c_str(), nullptr);
    // The browser opens in the current directory: keep it small and the same for every run.
    ::SetCurrentDirectoryA(dir.c_str());

    // Each figure is the best of five runs; the reference is the same window with empty lists.
    auto best = [&](int n) {
        Times t = Measure(dir, n);
        for (int r = 1; r < 5; ++r) {
            Times u = Measure(dir, n);
            t.load = std::min(t.load, u.load);
            t.save = std::min(t.save, u.save);
        }
        return t;
    };
    Times empty = best(0);
    std::printf("| entries | load and show (s) | save (s) | load per entry (us) | growth of load | n log n growth |\n");
    std::printf("|---:|---:|---:|---:|---:|---:|\n");
    std::printf("| 0 | %.4f | %.4f | | | |\n", empty.load, empty.save);
    double previous = 0;
    int previousN = 0;
    for (int n : sizes) {
        Times t = best(n);
        double net = t.load - empty.load;
        std::printf("| %d | %.4f | %.4f | %.2f |", n, t.load, t.save, 1e6 * net / n);
        if (previousN > 1)
            std::printf(" %.1f | %.1f |\n", net / previous,
                        (double(n) * std::log(double(n))) / (double(previousN) * std::log(double(previousN))));
        else
            std::printf(" | |\n");
        previous = net;
        previousN = n;
    }
    ::DeleteFileA((dir + "MXDATA.MXD").c_str());
    ::RemoveDirectoryA(dir.c_str());
    return 0;
}
