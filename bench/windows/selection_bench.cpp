// The selection lists under the real main window, run under Wine or on Windows:
//   selection_bench.exe [entries...]   loading and saving files of growing size, best of five
//   selection_bench.exe start DIR      the program's start with DIR\MXDATA.MXD: from the process's
//                                      creation to the window shown and painted, and the peak working set
//   selection_bench.exe edit [N]       editing a wallpaper list of N entries (100,000) as the user does
//   selection_bench.exe file N FILE    writes a selection file of N entries, in no order, to FILE
//   selection_bench.exe save DIR FILE  loads DIR\MXDATA.MXD and saves the lists, each in its order, to FILE
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/form_select.h"
#include "app/resource.h"
#include "bench_environment.h"
#include "lists/list_view.h"
#include "picture/bmp_writer.h"
#include "picture/load_picture.h"
#include "picture/reader_util.h"
#include "platform/file_replacement.h"
#include "start_report.h"
#include "state/selection_file.h"

namespace {

using mx::bench::BenchEnvironment;
using mx::bench::PrintStart;

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

// n entries with realistic names in no particular order, spread over the four lists, or all of them
// wallpapers.
std::string SelectionFile(int n, bool wallpapersOnly = false) {
    std::string text;
    const char* headers[] = {"[START]", "[WAIT]", "[SHUT]", "[WALLPAPER]"};
    const char* styles[] = {"Centred", "Stretched", "Tiled", "Fit 2 Screen", "Mirror"};
    unsigned seed = 12345;
    for (int s = 0; s < 4; ++s) {
        if (s) text += "\r\n";
        text += headers[s];
        text += "\r\n";
        if (wallpapersOnly && s < 3) continue;
        for (int i = wallpapersOnly ? 0 : s; i < n; i += wallpapersOnly ? 1 : 4) {
            seed = seed * 1103515245u + 12345u;
            text += "C:\\Pictures\\Collection " + std::to_string(seed % 97) + "\\Picture" +
                    std::to_string(seed % 1000003) + (s == 3 ? ".JPG, " + std::string(styles[seed % 5]) : ".SYS");
            text += "\r\n";
        }
    }
    return text;
}

void WriteBytes(const std::string& path, const std::string& text) {
    HANDLE f = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written;
    ::WriteFile(f, text.data(), DWORD(text.size()), &written, nullptr);
    ::CloseHandle(f);
}

void Pump() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
}

std::string ScratchDir(const char* name) {
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    std::string dir = std::string(temp) + name + "\\";
    ::CreateDirectoryA(dir.c_str(), nullptr);
    // The browser opens in the current directory: keep it small and the same for every run.
    ::SetCurrentDirectoryA(dir.c_str());
    return dir;
}

struct Times {
    double load, save;
};

Times Measure(const std::string& dir, int n) {
    WriteBytes(dir + "MXDATA.MXD", SelectionFile(n));
    BenchEnvironment env(dir);
    mx::TFormSelect form(env);
    LARGE_INTEGER t0 = Now();
    form.Create();
    form.Show();
    Pump();
    LARGE_INTEGER t1 = Now();
    size_t loaded = 0;
    for (const mx::SelectionList& list : form.Lists) loaded += list.size();
    if (loaded != size_t(n)) std::fprintf(stderr, "loaded %zu of %d entries\n", loaded, n);
    form.SaveToFile();
    LARGE_INTEGER t2 = Now();
    return {Seconds(t0, t1), Seconds(t1, t2)};
}

int Table(std::vector<int> sizes) {
    if (sizes.empty()) sizes = {1000, 10000, 100000};
    std::string dir = ScratchDir("mx-selection-bench");
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

int Start(std::string dir) {
    if (dir.back() != '\\') dir += '\\';
    BenchEnvironment env(dir);
    mx::TFormSelect form(env);
    LARGE_INTEGER t0 = Now();
    form.Create();
    LARGE_INTEGER t1 = Now();
    form.Show();
    LARGE_INTEGER t2 = Now();
    ::UpdateWindow(form.Handle());
    Pump();
    LARGE_INTEGER t3 = Now();
    PrintStart();
    size_t entries = 0;
    for (const mx::SelectionList& list : form.Lists) entries += list.size();
    std::printf("%zu entries; creating the window %.1f ms, the start-up sequence %.1f ms, painting %.1f ms\n", entries,
                1000 * Seconds(t0, t1), 1000 * Seconds(t1, t2), 1000 * Seconds(t2, t3));
    // The start ends at the painted window, as the reference's does: closing the window and freeing
    // the lists (6 to 10 ms under Wine) belong to the end of a session, not to its start.
    std::fflush(stdout);
    ::ExitProcess(0);
}

class Editing {
public:
    Editing(const std::string& dir, int n) : env_(dir), form_(env_) {
        form_.Create();
        form_.Show();
        Pump();
        ::SendMessageA(form_.sbtnWall, BM_CLICK, 0, 0);
        Pump();
        list_ = form_.ListWall;
        if (mx::ItemCount(list_) != n) std::fprintf(stderr, "loaded %d of %d wallpapers\n", mx::ItemCount(list_), n);
    }
    mx::TFormSelect& Form() { return form_; }
    HWND List() const { return list_; }

    // Milliseconds of one command of the user's, painting included.
    template <class Act>
    double Time(Act&& act) {
        LARGE_INTEGER t0 = Now();
        act();
        ::UpdateWindow(form_.Handle());
        return 1000 * Seconds(t0, Now());
    }
    void Menu(int id) { ::SendMessageA(form_.Handle(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    void Click(int row) {
        RECT r{};
        ListView_GetItemRect(list_, row, &r, LVIR_BOUNDS);
        LPARAM at = MAKELPARAM(r.left + 4, (r.top + r.bottom) / 2);
        ::SendMessageA(list_, WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::SendMessageA(list_, WM_LBUTTONUP, 0, at);
    }
    // Chooses every n-th row as a ctrl-click would, without timing it.
    void Choose(int every) {
        Menu(IDM_SEL_SELECTALL);
        Menu(IDM_SEL_INVERT);
        for (int i = 0; i < mx::ItemCount(list_); i += every) ListView_SetItemState(list_, i, LVIS_SELECTED, LVIS_SELECTED);
    }

private:
    BenchEnvironment env_;
    mx::TFormSelect form_;
    HWND list_ = nullptr;
};

int Edit(int n) {
    std::string dir = ScratchDir("mx-list-edit-bench");
    WriteBytes(dir + "MXDATA.MXD", SelectionFile(n, true));
    // Adding checks that each file holds a picture: 1,000 small bitmaps, whose decoding is timed alone too.
    std::string added = dir + "added";
    ::CreateDirectoryA(added.c_str(), nullptr);
    WIN32_FIND_DATAA found{};
    HANDLE search = ::FindFirstFileA((added + "\\*").c_str(), &found);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = ::FindNextFileA(search, &found))
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ::DeleteFileA((added + "\\" + found.cFileName).c_str());
    if (search != INVALID_HANDLE_VALUE) ::FindClose(search);
    const std::vector<uint8_t> bitmap = mx::EncodeBmp(mx::Picture::MakeTrueColour(16, 16, false));
    std::vector<std::string> addedFiles;
    for (int i = 0; i < 1000; ++i) {
        addedFiles.push_back(added + "\\Holiday " + std::to_string(i * 7919 % 100003) + ".bmp");
        WriteBytes(addedFiles.back(), std::string(bitmap.begin(), bitmap.end()));
    }

    const char* names[] = {"load and show",  "Select All", "a click that unselects the rest",
                           "Invert Selection (1 selected)", "Invert Selection (all but 1 selected)",
                           "adding 1,000 wallpaper files", "decoding the same 1,000 files alone", "save",
                           "the same text written from memory",
                           "removing 10,000 chosen rows", "removing all rows"};
    constexpr size_t kSteps = std::size(names);
    std::vector<double> best(kSteps, 1e300);
    for (int run = 0; run < 3; ++run) {
        std::vector<double> t;
        LARGE_INTEGER t0 = Now();
        Editing e(dir, n);
        t.push_back(1000 * Seconds(t0, Now()));
        t.push_back(e.Time([&] { e.Menu(IDM_SEL_SELECTALL); }));
        t.push_back(e.Time([&] { e.Click(3); }));
        t.push_back(e.Time([&] { e.Menu(IDM_SEL_INVERT); }));
        t.push_back(e.Time([&] { e.Menu(IDM_SEL_INVERT); }));
        e.Form().ApplyFilePath(added);
        e.Menu(IDM_FILE_SELECTALL);
        t.push_back(e.Time([&] { e.Menu(IDM_FILE_ADD); }));
        if (mx::ItemCount(e.List()) != n + 1000) std::fprintf(stderr, "added %d\n", mx::ItemCount(e.List()) - n);
        t.push_back(e.Time([&] {
            for (const std::string& file : addedFiles) {
                mx::DecodedPicture decoded;
                if (mx::LoadPictureFile(file, 40, {mx::ShowRequest::Kind::Scaled, {1, 1}}, decoded) != mx::kStatusOk)
                    std::fprintf(stderr, "%s cannot be read\n", file.c_str());
            }
        }));
        // Saving and its reference take turns, five times each.
        const std::string text = mx::FormatSelectionFile(e.Form().Lists);
        double save = 1e300, write = 1e300;
        for (int k = 0; k < 5; ++k) {
            save = std::min(save, e.Time([&] { e.Form().SaveToFile(); }));
            write = std::min(write, e.Time([&] {
                mx::FileReplacement file(dir + "MXDATA.MXD");
                DWORD written = 0;
                if (!file.Create() || !::WriteFile(file.Handle(), text.data(), DWORD(text.size()), &written, nullptr) ||
                    !::FlushFileBuffers(file.Handle()) || !file.Commit())
                    std::fprintf(stderr, "the reference write failed\n");
            }));
        }
        t.push_back(save);
        t.push_back(write);
        e.Choose(std::max(1, mx::ItemCount(e.List()) / 10000));
        int before = mx::ItemCount(e.List());
        t.push_back(e.Time([&] { e.Menu(IDM_SEL_REMOVE); }));
        std::fprintf(stderr, "removed %d\n", before - mx::ItemCount(e.List()));
        e.Menu(IDM_SEL_SELECTALL);
        t.push_back(e.Time([&] { e.Menu(IDM_SEL_REMOVE); }));
        for (size_t i = 0; i < kSteps; ++i) best[i] = std::min(best[i], t[i]);
        // The file is back as it was for the next run.
        WriteBytes(dir + "MXDATA.MXD", SelectionFile(n, true));
    }
    std::printf("| %d wallpapers: best of three (ms) | |\n|---|---:|\n", n);
    for (size_t i = 0; i < kSteps; ++i) std::printf("| %s | %.1f |\n", names[i], best[i]);
    std::printf("| adding, less the decoding | %.1f |\n", best[5] - best[6]);
    std::printf("| save / the same text written | %.2f |\n", best[7] / best[8]);
    PrintStart();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    INITCOMMONCONTROLSEX init{sizeof init, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&init);
    if (argc > 2 && std::strcmp(argv[1], "start") == 0) return Start(argv[2]);
    if (argc > 1 && std::strcmp(argv[1], "edit") == 0) return Edit(argc > 2 ? std::atoi(argv[2]) : 100000);
    if (argc > 3 && std::strcmp(argv[1], "save") == 0) {
        std::string dir = argv[2];
        if (dir.back() != '\\') dir += '\\';
        BenchEnvironment env(dir);
        mx::TFormSelect form(env);
        form.Create();
        form.Show();
        for (int category : {10, 20, 30, 40}) form.ViewForCategory(category).EnsureSorted();
        WriteBytes(argv[3], mx::FormatSelectionFile(form.Lists));
        return 0;
    }
    if (argc > 3 && std::strcmp(argv[1], "file") == 0) {
        WriteBytes(argv[3], SelectionFile(std::atoi(argv[2])));
        return 0;
    }
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
    return Table(sizes);
}
