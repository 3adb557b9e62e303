// The reference for the selector's start: a minimal Win32 window with one list view in virtual mode
// showing every line of a selection file, file name and directory, as read (nothing sorted or parsed
// beyond the line ends). Run under Wine or on Windows:
//   list_reference.exe FILE
// It prints the time from the process's creation to the window shown and painted, and the peak
// working set.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "start_report.h"

namespace {

std::string text;
std::vector<std::string_view> lines;

std::string_view Cell(int item, int column) {
    if (item < 0 || size_t(item) >= lines.size()) return {};
    std::string_view line = lines[size_t(item)];
    size_t cut = line.find_last_of('\\');
    if (cut == std::string_view::npos) return column == 0 ? line : std::string_view();
    return column == 0 ? line.substr(cut + 1) : line.substr(0, cut + 1);
}

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lp)->code == LVN_GETDISPINFOA) {
        LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(lp)->item;
        if ((item.mask & LVIF_TEXT) && item.cchTextMax > 0) {
            std::string_view cell = Cell(item.iItem, item.iSubItem);
            size_t n = std::min(cell.size(), size_t(item.cchTextMax) - 1);
            std::copy_n(cell.data(), n, item.pszText);
            item.pszText[n] = '\0';
        }
        return 0;
    }
    if (msg == WM_DESTROY) ::PostQuitMessage(0);
    return ::DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    HANDLE file = ::CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    char buffer[64 * 1024];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
    ::CloseHandle(file);
    for (size_t pos = 0; pos < text.size();) {
        size_t end = std::min(text.find('\r', pos), text.size());
        if (end > pos) lines.push_back(std::string_view(text).substr(pos, end - pos));
        pos = end + 2;
    }

    INITCOMMONCONTROLSEX init{sizeof init, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&init);
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.hbrBackground = ::GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = "ListReference";
    ::RegisterClassA(&wc);
    HWND window = ::CreateWindowA("ListReference", "List", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 460, 500,
                                  nullptr, nullptr, wc.hInstance, nullptr);
    HWND list = ::CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                                  WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS, 4, 290, 436,
                                  118, window, nullptr, wc.hInstance, nullptr);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
    const char* names[] = {"Filename", "Path"};
    for (int i = 0; i < 2; ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<char*>(names[i]);
        column.cx = 200;
        ListView_InsertColumn(list, i, &column);
    }
    ListView_SetItemCountEx(list, int(lines.size()), 0);
    ::ShowWindow(window, SW_SHOWNORMAL);
    ::UpdateWindow(window);
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);

    const std::string rows = " (" + std::to_string(lines.size()) + " rows)";
    mx::bench::PrintStart(rows.c_str());
    return 0;
}
