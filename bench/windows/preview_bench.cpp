// Times the two heavy paths of previewing and applying a picture, each beside its reference, in the
// main window as the user drives it (shown, in the wallpaper category). Run under Wine or on Windows:
//   preview_bench.exe DIRECTORY FILE1 FILE2
// FILE1 and FILE2 are two copies of one picture in DIRECTORY, so that every click loads anew.
// It prints, best of ten each:
//   click: from the file list's change report to the pane painted, beside the whole picture's decode
//   alone (from the file, into a fresh picture, as the pane decoded it before it took thumbnails);
//   the pane's decode alone: the file decoded for the pane's 160 x 100;
//   wallpaper: the main window's wallpaper command in Mirror style on a 1024 x 768 screen (the file
//   decoded again for the screen, rendered, written as @MX!BACK.BMP, desktop values).
#include <windows.h>
#include <windowsx.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "app/form_select.h"
#include "app/layout.h"
#include "bench_environment.h"
#include "picture/decoder.h"

namespace {

using mx::bench::BenchEnvironment;

double Now() {
    LARGE_INTEGER t, f;
    ::QueryPerformanceCounter(&t);
    ::QueryPerformanceFrequency(&f);
    return 1000.0 * double(t.QuadPart) / double(f.QuadPart);
}

void Pump() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: preview_bench DIRECTORY FILE1 FILE2\n");
        return 2;
    }
    INITCOMMONCONTROLSEX init{sizeof init, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&init);
    std::string dir = argv[1];
    if (dir.back() != '\\') dir += '\\';
    BenchEnvironment env(dir);
    mx::TFormSelect form(env);
    if (!form.Create()) return 1;
    form.Show();
    ::SendMessageA(form.sbtnWall, BM_CLICK, 0, 0);
    form.ApplyFilePath(dir);
    Pump();

    double click = 1e300, decode = 1e300, thumbnail = 1e300, wallpaper = 1e300;
    for (int run = 0; run < 10; ++run) {
        const char* name = argv[2 + run % 2];
        int index = ListBox_FindStringExact(form.FileListBox1, -1, name);
        ListBox_SetSel(form.FileListBox1, FALSE, -1);
        ListBox_SetSel(form.FileListBox1, TRUE, index);
        ListBox_SetCaretIndex(form.FileListBox1, index);
        double t0 = Now();
        ::SendMessageA(form.Handle(), WM_COMMAND, MAKEWPARAM(mx::ID_FileListBox1, LBN_SELCHANGE),
                       LPARAM(form.FileListBox1));
        ::UpdateWindow(form.Handle());
        double t1 = Now();
        mx::Picture alone;
        mx::DecodePictureFile(dir + name, alone);
        double t2 = Now();
        mx::DecodedPicture pane;
        mx::DecodePictureFile(dir + name, {mx::ShowRequest::Kind::Scaled, {160, 100}}, pane);
        thumbnail = std::min(thumbnail, Now() - t2);
        t2 = Now();
        ComboBox_SetCurSel(form.CBStyle, 4);  // Mirror
        form.Setascurrentwallpaper1Click();
        double t3 = Now();
        click = std::min(click, t1 - t0);
        decode = std::min(decode, t2 - t1);
        wallpaper = std::min(wallpaper, t3 - t2);
    }
    std::printf("picture %d x %d, decoded for the pane at %d x %d\n", form.PreviewPicture.width,
                form.PreviewPicture.height, form.PreviewPicture.picture.width, form.PreviewPicture.picture.height);
    std::printf("click to pane painted: %.1f ms, decode alone: %.1f ms, ratio %.2f\n", click, decode, click / decode);
    std::printf("the pane's decode alone (160 x 100): %.1f ms\n", thumbnail);
    std::printf("wallpaper command, Mirror, 1024 x 768: %.1f ms\n", wallpaper);
    return 0;
}
