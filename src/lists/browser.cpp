// The file browser pane: drive box, directory list, file list and filter box.
#include <windowsx.h>

#include <algorithm>

#include "app/form_select.h"
#include "app/layout.h"
#include "lists/browser_filters.h"
#include "lists/categories.h"
#include "lists/directory_reader.h"
#include "platform/code_page.h"
#include "platform/text.h"
#include "platform/window.h"

namespace mx {

namespace {

// Each level of the directory list is indented by this many spaces.
constexpr int kIndentPerLevel = 4;

// The absolute form of a directory path as the file list reports it; a bare drive ("C:") names its root.
// The wide call takes paths of any length the system has.
std::string FullDirectory(const std::string& path) {
    std::string input = path;
    if (input.size() == 2 && input[1] == ':') input += '\\';
    const std::wstring wide = Widen(input);
    std::wstring buffer(MAX_PATH, L'\0');
    DWORD length = ::GetFullPathNameW(wide.c_str(), DWORD(buffer.size()), buffer.data(), nullptr);
    if (length >= buffer.size()) {
        buffer.resize(length);
        length = ::GetFullPathNameW(wide.c_str(), DWORD(buffer.size()), buffer.data(), nullptr);
    }
    std::string full = length > 0 && length < buffer.size() ? Narrow(std::wstring_view(buffer.data(), length)) : input;
    if (full.size() >= 2 && full[1] == ':') full[0] = UpperAscii(full[0]);
    return BrowserDirectory(full);
}

std::string CurrentDirectory() {
    std::wstring buffer(MAX_PATH, L'\0');
    DWORD length = ::GetCurrentDirectoryW(DWORD(buffer.size()), buffer.data());
    if (length >= buffer.size()) {
        buffer.resize(length);
        length = ::GetCurrentDirectoryW(DWORD(buffer.size()), buffer.data());
    }
    return length > 0 && length < buffer.size() ? Narrow(std::wstring_view(buffer.data(), length)) : std::string();
}

int DriveIndex(const std::string& dir) {
    if (dir.size() < 2 || dir[1] != ':') return -1;
    char letter = UpperAscii(dir[0]);
    return letter >= 'A' && letter <= 'Z' ? letter - 'A' : -1;
}

std::string UnopenableText(const std::string& dir, DWORD error) {
    if (error == ERROR_NOT_READY && DriveIndex(dir) >= 0) return "Drive " + dir.substr(0, 2) + " is not ready";
    return "Cannot open directory " + dir;
}

// Puts a filter text's descriptions into the filter box with the first one chosen; returns their masks.
std::vector<std::string> FillFilterBox(HWND box, std::string_view filter) {
    std::vector<std::string> masks;
    ComboBox_ResetContent(box);
    for (const FilterItem& item : ParseFilterText(filter)) {
        ComboBox_AddString(box, item.description.c_str());
        masks.push_back(item.mask);
    }
    ComboBox_SetCurSel(box, 0);
    return masks;
}

// The file list reports every click, not only those that move its selection: clicking the chosen file
// again shows its name and warning colour for the category now active. Ctrl+A chooses every file.
LRESULT FileListClicks(HWND list, UINT msg, WPARAM wp, LPARAM lp, void* form) {
    if (msg == WM_KEYDOWN && wp == 'A' && ::GetKeyState(VK_CONTROL) < 0 && ::GetKeyState(VK_MENU) >= 0) {
        static_cast<TFormSelect*>(form)->btnAllFilesClick();
        return 0;
    }
    LRESULT result = CallSubclassed(list, msg, wp, lp);
    if (msg == WM_LBUTTONUP) {
        auto* self = static_cast<TFormSelect*>(form);
        self->ReportingErrors([&] { self->ViewChooseBox(); });
    }
    return result;
}

// Letters typed in the directory list go to a folder by its name; the list box's own search would
// compare them with the rows' indentation.
LRESULT DirectoryListKeys(HWND list, UINT msg, WPARAM wp, LPARAM lp, void* form) {
    auto* self = static_cast<TFormSelect*>(form);
    if (msg == WM_CHAR && wp >= 0x20 && wp != 0x7F) {
        self->ReportingErrors([&] { self->DirectoryListBox1KeyPress(wp); });
        return 0;
    }
    // Moving by the arrow and page keys or the pointer starts a new name.
    if ((msg == WM_KEYDOWN && wp >= VK_PRIOR && wp <= VK_DOWN) || msg == WM_LBUTTONDOWN)
        self->DirectoryListBox1KeyPress(0);
    return CallSubclassed(list, msg, wp, lp);
}

// Letters typed within this time of each other make one name, as in a list view.
constexpr ULONGLONG kTypingPauseMs = 1000;

}  // namespace

std::string TFormSelect::FileListName(int index) const {
    if (index >= 0 && size_t(index) < fileListNames_.size()) return fileListNames_[size_t(index)];
    return ListBoxText(FileListBox1, index);
}

void TFormSelect::CreateBrowser() {
    Subclass(FileListBox1, FileListClicks, this);
    Subclass(DirectoryListBox1, DirectoryListKeys, this);
    char drives[27 * 4 + 1] = "";
    ::GetLogicalDriveStringsA(sizeof drives, drives);
    // Drives are shown by their letter only: asking a removable or network drive for its label can
    // take seconds or wait for a disc.
    for (const char* root = drives; *root; root += strlen(root) + 1) {
        char caption[] = {LowerAscii(root[0]), ':', '\0'};
        int index = ComboBox_AddString(DriveComboBox1, caption);
        ComboBox_SetItemData(DriveComboBox1, index, UpperAscii(root[0]));
    }

    // The filter box starts with the boot-screen filter but no hint: the hint follows the first change.
    FilterText = kBootScreenFilter;
    filterMasks_ = FillFilterBox(FilterComboBox1, FilterText);
    fileListMask_ = FileMask(filterMasks_.empty() ? "" : filterMasks_[0]);
    FitFilterDropDown();

    if (std::string current = CurrentDirectory(); !current.empty()) BrowseTo(current, false, BrowseReport::Nothing);
}

bool TFormSelect::OnBrowserCommand(int id, int code) {
    switch (id) {
    case ID_DriveComboBox1:
        if (code == CBN_SELCHANGE) DriveComboBox1Change();
        return true;
    case ID_DirectoryListBox1:
        if (code == LBN_DBLCLK) OpenDirectoryRow(ListBox_GetCurSel(DirectoryListBox1));
        return true;
    case ID_FilterComboBox1:
        if (code == CBN_SELCHANGE) ChooseFilter(ComboBox_GetCurSel(FilterComboBox1));
        return true;
    case IDOK:
        // The dialog keys turn Enter into IDOK; in the directory list it opens the chosen row.
        if (::GetFocus() != DirectoryListBox1) return false;
        OpenDirectoryRow(ListBox_GetCurSel(DirectoryListBox1));
        return true;
    }
    return false;
}

bool TFormSelect::BrowseTo(const std::string& path, bool rereadSameDirectory, BrowseReport report) {
    std::string dir = FullDirectory(path);
    if (!rereadSameDirectory && EqualsIgnoreCase(dir, fileListDir_)) return true;
    DirectoryContents contents;
    DWORD error = 0;
    if (!ReadDirectory(dir, contents, error)) {
        if (report == BrowseReport::All) env_.ShowMessage(hwnd_, BoxKind::Error, UnopenableText(dir, error), MB_OK);
        return false;
    }

    fileListDir_ = dir;
    if (int drive = DriveIndex(dir); drive >= 0) driveDirs_[drive] = dir;
    ShowDrive(dir);

    std::vector<std::string> rows;
    directoryRows_.clear();
    std::string stepPath;
    std::vector<std::string> steps = PathSteps(dir);
    for (size_t level = 0; level < steps.size(); ++level) {
        stepPath = level == 0 ? steps[0] : JoinPath(stepPath, steps[level]);
        rows.push_back(std::string(level * kIndentPerLevel, ' ') + steps[level]);
        directoryRows_.push_back(BrowserDirectory(stepPath));
    }
    int currentRow = int(rows.size()) - 1;
    SortAsListBox(contents.subdirectories);
    for (const std::string& name : contents.subdirectories) {
        rows.push_back(std::string(steps.size() * kIndentPerLevel, ' ') + name);
        directoryRows_.push_back(JoinPath(dir, name));
    }
    FillListBox(DirectoryListBox1, rows);
    ListBox_SetCurSel(DirectoryListBox1, currentRow);

    fileListNames_ = MatchingNamesSorted(std::move(contents.files), fileListMask_);
    FillListBox(FileListBox1, fileListNames_);
    if (report == BrowseReport::Nothing) return true;
    ViewChooseBox();
    DirectoryListBox1Change();
    return true;
}

void TFormSelect::ShowDrive(const std::string& dir) {
    int drive = DriveIndex(dir);
    int found = -1;
    for (int i = 0, n = ComboBox_GetCount(DriveComboBox1); i < n && drive >= 0; ++i)
        if (ComboBox_GetItemData(DriveComboBox1, i) == 'A' + drive) found = i;
    ComboBox_SetCurSel(DriveComboBox1, found);
}

void TFormSelect::ReadFileList() {
    DirectoryContents contents;
    DWORD error = 0;
    // A directory that has gone since it was shown leaves the list empty.
    if (fileListDir_.empty() || !ReadDirectory(fileListDir_, contents, error)) contents = {};
    fileListNames_ = MatchingNamesSorted(std::move(contents.files), fileListMask_);
    FillListBox(FileListBox1, fileListNames_);
    ViewChooseBox();
}

// A character of a Unicode window comes as UTF-16, one of two halves at a time for some; an 8-bit
// window's comes in the program's own code page.
void TFormSelect::DirectoryListBox1KeyPress(WPARAM character) {
    if (character == 0) {
        typedName_.clear();
        return;
    }
    std::string text;
    if (::IsWindowUnicode(DirectoryListBox1)) {
        const wchar_t unit = wchar_t(character);
        if (IS_HIGH_SURROGATE(unit)) {
            typedHalf_ = unit;
            return;
        }
        std::wstring wide;
        if (IS_LOW_SURROGATE(unit) && typedHalf_) wide += typedHalf_;
        wide += unit;
        text = Narrow(wide);
    } else {
        text = std::string(1, char(character));
    }
    typedHalf_ = 0;
    const ULONGLONG now = ::GetTickCount64();
    const bool newSearch = typedName_.empty() || now - typedAt_ > kTypingPauseMs;
    if (newSearch) typedName_.clear();
    typedName_ += text;
    typedAt_ = now;
    std::vector<std::string> names;
    for (int i = 0, n = ListBox_GetCount(DirectoryListBox1); i < n; ++i) {
        std::string row = ListBoxText(DirectoryListBox1, i);
        names.push_back(row.substr(std::min(row.size(), row.find_first_not_of(' '))));
    }
    int row = TypedRow(names, ListBox_GetCurSel(DirectoryListBox1), typedName_, newSearch);
    if (row >= 0) ListBox_SetCurSel(DirectoryListBox1, row);
}

void TFormSelect::DriveComboBox1Change() {
    int index = ComboBox_GetCurSel(DriveComboBox1);
    if (index < 0) return;
    char letter = char(ComboBox_GetItemData(DriveComboBox1, index));
    if (letter < 'A' || letter > 'Z') return;
    std::string target = driveDirs_[letter - 'A'];
    // A drive not shown yet opens at its current directory, which the process keeps for every drive.
    if (target.empty()) target = FullDirectory(std::string{letter, ':'});
    if (!BrowseTo(target, false)) ShowDrive(fileListDir_);
}

void TFormSelect::OpenDirectoryRow(int row) {
    if (row < 0 || size_t(row) >= directoryRows_.size()) return;
    std::string dir = directoryRows_[size_t(row)];
    if (!BrowseTo(dir, false)) {
        int current = 0;
        for (size_t i = 0; i < directoryRows_.size(); ++i)
            if (directoryRows_[i] == fileListDir_) current = int(i);
        ListBox_SetCurSel(DirectoryListBox1, current);
    }
}

void TFormSelect::SetFilterText(std::string_view filter) {
    if (EqualsIgnoreCase(filter, FilterText)) return;
    FilterText = filter;
    filterMasks_ = FillFilterBox(FilterComboBox1, FilterText);
    fileListMask_ = FileMask(filterMasks_.empty() ? "" : filterMasks_[0]);
    FitFilterDropDown();
    ReadFileList();
    FilterComboBox1Change();
}

// The box is narrower than most descriptions: its drop-down list is as wide as the longest one.
void TFormSelect::FitFilterDropDown() {
    HWND box = FilterComboBox1;
    WindowDC dc(box);
    SelectGuard font(dc.get(), GetWindowFont(box));
    int widest = 0;
    for (int i = 0, n = ComboBox_GetCount(box); i < n; ++i) {
        std::string text(size_t(std::max(0, ComboBox_GetLBTextLen(box, i))), '\0');
        ComboBox_GetLBText(box, i, text.data());
        widest = std::max(widest, TextWidth(dc.get(), text.c_str()));
    }
    // The list's border and the margin it draws its rows with.
    int width = widest + 2 * ::GetSystemMetrics(SM_CXEDGE) + Scale(8);
    RECT frame{};
    ::GetWindowRect(box, &frame);
    ::SendMessageA(box, CB_SETDROPPEDWIDTH, WPARAM(std::max(width, int(frame.right - frame.left))), 0);
}

void TFormSelect::ChooseFilter(int index) {
    if (index < 0 || size_t(index) >= filterMasks_.size()) return;
    fileListMask_ = FileMask(filterMasks_[size_t(index)]);
    ReadFileList();
    FilterComboBox1Change();
}

void TFormSelect::DirectoryListBox1Change() {
    const std::string& dir = fileListDir_;
    switch (CurrentCategory) {
    case CategoryStart: StartDir = dir; break;
    case CategoryWait: WaitDir = dir; break;
    case CategoryShut: ShutDir = dir; break;
    case CategoryWall: WallDir = dir; break;
    }
    StartDir = dir;
}

void TFormSelect::FilterComboBox1Change() {
    int index = ComboBox_GetCurSel(FilterComboBox1);
    std::string description;
    if (index >= 0) {
        description.resize(size_t(std::max(0, ComboBox_GetLBTextLen(FilterComboBox1, index))));
        ComboBox_GetLBText(FilterComboBox1, index, description.data());
    }
    SetHint(FilterComboBox1, description);
}

void TFormSelect::Refresh1Click() {
    ::InvalidateRect(DriveComboBox1, nullptr, TRUE);
    // Re-reading the directory rebuilds the directory list and the file list from the disk alike, and
    // reports the directory as changed.
    if (!fileListDir_.empty()) BrowseTo(fileListDir_, true);
    ::InvalidateRect(FilterComboBox1, nullptr, TRUE);
}

bool TFormSelect::ApplyFilePath(const std::string& path, bool reportErrors) {
    if (path.empty()) return true;
    return BrowseTo(path, false, reportErrors ? BrowseReport::All : BrowseReport::NoErrorBox);
}

}  // namespace mx
