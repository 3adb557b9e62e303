// Plays the user for the install test, where no one sits at the screen:
//   answer.exe TITLE=BUTTON [TITLE=BUTTON ...]   waits for each message box of that title in turn and
//                                                presses yes, no or ok
//   answer.exe save-and-close                   waits for the selector's window, saves the lists and
//                                                closes it
// Each wait gives up after 60 s with exit code 1.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

HWND WaitFor(const char* windowClass, const char* title) {
    for (int i = 0; i < 600; ++i) {
        if (HWND found = ::FindWindowA(windowClass, title)) return found;
        ::Sleep(100);
    }
    std::fprintf(stderr, "answer: no window \"%s\"\n", title ? title : windowClass);
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "save-and-close") == 0) {
        HWND form = WaitFor("TFormSelect", nullptr);
        if (!form) return 1;
        ::Sleep(500);  // the start-up sequence runs before the window shows; let it finish
        ::SendMessageA(form, WM_COMMAND, 200, 0);  // File > Save
        ::PostMessageA(form, WM_CLOSE, 0, 0);
        return 0;
    }
    for (int i = 1; i < argc; ++i) {
        std::string pair = argv[i];
        size_t equals = pair.find('=');
        if (equals == std::string::npos) return 2;
        std::string title = pair.substr(0, equals), button = pair.substr(equals + 1);
        int id = button == "yes" ? IDYES : button == "no" ? IDNO : IDOK;
        HWND box = WaitFor("#32770", title.c_str());
        if (!box) return 1;
        ::SendMessageA(::GetDlgItem(box, id), BM_CLICK, 0, 0);
        // The next box of the same title must be a new one.
        for (int k = 0; k < 100 && ::IsWindow(box); ++k) ::Sleep(50);
    }
    return 0;
}
