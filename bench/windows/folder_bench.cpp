// Listing a folder entry's pictures with its subfolders, as the randomizer does at log-on, beside the
// system's own `cmd /c dir /s /b` over the same tree, in one run. Run under Wine or on Windows:
//   folder_bench.exe FOLDER [RUNS]
// Best of RUNS (10) each: `cmd /c dir /s /b FOLDER > NUL` and `cmd /c rem` (its start-up) as child
// processes; this program started again to list the folder (--list, a whole process as dir is) and
// to do nothing (--idle, its start-up); and in this process a bare walk of the folders with the
// system's wide calls alone, the first listing (no cache) and the listing with every folder unchanged
// (the cache read from its file and used).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>

#include "bench_environment.h"
#include "lists/file_masks.h"
#include "lists/folder_listing_win.h"
#include "picture/reader_util.h"
#include "platform/code_page.h"
#include "platform/handles.h"

namespace {

const mx::FileMask kWallpapers("*.bmp;*.jpg;*.jpeg;*.jif;*.gif;*.dib;*.rle;*.tga;*.pcx;*.sys;*.png;*.webp;");

mx::FolderPictures List(const std::string& folder, mx::FolderCache* cache) {
    mx::SystemFolderSource source;
    return mx::ListFolderPictures(source, cache, folder, true, [](std::string_view name) { return kWallpapers.Matches(name); });
}

// Milliseconds from starting the command line to its end.
double RunProcess(std::string commandLine) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const double start = mx::bench::NowMs();
    if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                          &startup, &process)) {
        std::fprintf(stderr, "cannot start %s\n", commandLine.c_str());
        std::exit(1);
    }
    ::WaitForSingleObject(process.hProcess, INFINITE);
    const double took = mx::bench::NowMs() - start;
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return took;
}

// The floor: the same folders walked with nothing but the system's calls, counting the files.
size_t BareWalk(const std::wstring& folder) {
    size_t files = 0;
    WIN32_FIND_DATAW data;
    mx::FindHandle find(::FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                           nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find) return 0;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++files;
        else if (std::wcscmp(data.cFileName, L".") != 0 && std::wcscmp(data.cFileName, L"..") != 0)
            files += BareWalk(folder + L"\\" + data.cFileName);
    } while (::FindNextFileW(find.get(), &data));
    return files;
}

bool WriteText(const std::string& path, const std::string& text) {
    mx::FileHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    return file && ::WriteFile(file.get(), text.data(), DWORD(text.size()), &written, nullptr) && written == text.size();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--list") == 0) return List(argv[2], nullptr).files.empty() ? 1 : 0;
    if (argc == 2 && std::strcmp(argv[1], "--idle") == 0) return 0;
    if (argc < 2) {
        std::fprintf(stderr, "usage: folder_bench FOLDER [RUNS]\n");
        return 2;
    }
    const std::string folder = argv[1];
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;
    char self[MAX_PATH];
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    const std::string cachePath = std::string(temp) + "folder_bench.cache";

    mx::FolderCache made;
    const mx::FolderPictures first = List(folder, &made);
    if (!WriteText(cachePath, made.Text())) return 1;

    double dir = 1e300, rem = 1e300, ours = 1e300, idle = 1e300, fresh = 1e300, cached = 1e300, bare = 1e300;
    size_t fromCache = 0, cachedFiles = 0;
    for (int run = 0; run < runs; ++run) {
        dir = std::min(dir, RunProcess("cmd /c dir /s /b \"" + folder + "\" > NUL"));
        rem = std::min(rem, RunProcess("cmd /c rem"));
        ours = std::min(ours, RunProcess(std::string("\"") + self + "\" --list \"" + folder + "\""));
        idle = std::min(idle, RunProcess(std::string("\"") + self + "\" --idle"));

        double start = mx::bench::NowMs();
        if (BareWalk(mx::Widen(folder)) < first.files.size()) return 1;
        bare = std::min(bare, mx::bench::NowMs() - start);

        start = mx::bench::NowMs();
        const mx::FolderPictures listed = List(folder, nullptr);
        fresh = std::min(fresh, mx::bench::NowMs() - start);
        if (listed.files.size() != first.files.size()) return 1;

        start = mx::bench::NowMs();
        std::vector<uint8_t> bytes;
        if (mx::ReadFileBytes(cachePath, bytes) != mx::kStatusOk) return 1;
        mx::FolderCache cache = mx::FolderCache::Parse(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        const mx::FolderPictures again = List(folder, &cache);
        cached = std::min(cached, mx::bench::NowMs() - start);
        fromCache = again.fromCache;
        cachedFiles = again.files.size();
    }
    ::DeleteFileA(cachePath.c_str());

    std::printf("%s: %zu pictures in %zu folders; with the cache %zu pictures, %zu folders from it; "
                "cache file %zu bytes\n",
                folder.c_str(), first.files.size(), first.folders, cachedFiles, fromCache, made.Text().size());
    std::printf("| best of %d | ms |\n|---|---:|\n", runs);
    std::printf("| `cmd /c dir /s /b` (whole process) | %.1f |\n", dir);
    std::printf("| `cmd /c rem` (its start-up) | %.1f |\n", rem);
    std::printf("| `dir` less its start-up | %.1f |\n", dir - rem);
    std::printf("| folder_bench --list (whole process) | %.1f |\n", ours);
    std::printf("| folder_bench --idle (its start-up) | %.1f |\n", idle);
    std::printf("| a bare FindFirstFileExW walk of the folders, in this process | %.1f |\n", bare);
    std::printf("| first listing, in this process | %.1f |\n", fresh);
    std::printf("| every folder unchanged: the cache read and used, in this process | %.1f |\n", cached);
    std::printf("\nwhole processes, ours / dir: %.2f\n", ours / dir);
    std::printf("less start-ups, ours / dir: %.2f\n", (ours - idle) / (dir - rem));
    std::printf("first listing in process / dir less its start-up: %.2f\n", fresh / (dir - rem));
    std::printf("first listing / bare walk: %.2f\n", fresh / bare);
    std::printf("with the cache / first listing: %.2f\n", cached / fresh);
    return 0;
}
