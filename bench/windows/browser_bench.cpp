// Times opening a directory in the browser: the main window is created, then moved to the directory
// given, as "Find file directory" or the start-up positioning moves it. Run under Wine or on Windows:
//   browser_bench.exe DIRECTORY [--phases]
// It prints the rows shown and the time of the move; --phases also times reading, filtering and
// sorting, and filling the list box, each on its own.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/form_select.h"
#include "lists/directory_reader.h"

namespace {

class BenchEnvironment : public mx::SystemEnvironment {
public:
    std::vector<std::string> Arguments() override { return {}; }
    int ShowMessage(HWND, mx::BoxKind, const std::string& text, UINT) override {
        std::fprintf(stderr, "message: %s\n", text.c_str());
        return IDOK;
    }
};

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return 1000.0 * double(to.QuadPart - from.QuadPart) / double(f.QuadPart);
}

LARGE_INTEGER Now() {
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return t;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: browser_bench DIRECTORY [--phases]\n");
        return 2;
    }
    INITCOMMONCONTROLSEX init{sizeof init, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&init);
    BenchEnvironment env;
    mx::TFormSelect form(env);
    if (!form.Create()) return 1;
    // The window is shown, as the user sees it, so that the list boxes paint.
    ::ShowWindow(form.Handle(), SW_SHOWNORMAL);

    LARGE_INTEGER t0 = Now();
    bool moved = form.ApplyFilePath(argv[1]);
    ::UpdateWindow(form.Handle());
    LARGE_INTEGER t1 = Now();
    int rows = int(::SendMessageA(form.FileListBox1, LB_GETCOUNT, 0, 0));
    std::printf("%s: %d rows, %.1f ms\n", moved ? "moved" : "failed", rows, Milliseconds(t0, t1));

    if (argc > 2 && std::strcmp(argv[2], "--phases") == 0) {
        mx::DirectoryContents contents;
        DWORD error = 0;
        LARGE_INTEGER r0 = Now();
        mx::ReadDirectory(form.FileListDirectory(), contents, error);
        LARGE_INTEGER r1 = Now();
        std::vector<std::string> names = mx::MatchingNamesSorted(contents.files, mx::FileMask(form.FileListMask()));
        LARGE_INTEGER r2 = Now();
        mx::FillListBox(form.FileListBox1, names);
        ::UpdateWindow(form.Handle());
        LARGE_INTEGER r3 = Now();
        std::printf("read %zu names %.1f ms, filter and sort %.1f ms, fill %.1f ms\n", contents.files.size(),
                    Milliseconds(r0, r1), Milliseconds(r1, r2), Milliseconds(r2, r3));
    }
    return moved ? 0 : 1;
}
