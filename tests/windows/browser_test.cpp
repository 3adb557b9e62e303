#include <windowsx.h>

#include <algorithm>

#include "app/resource.h"
#include "lists/file_masks.h"
#include "sandbox.h"

namespace mx::test {
namespace {

class Browser : public MainWindowTest {
protected:
    // A scratch directory (and its parents) with these empty files in it; returns it without backslash.
    std::string MakeDir(const std::string& relative, std::vector<std::string> files = {}) {
        std::string dir = sandbox->root;
        size_t start = 0;
        while (start < relative.size()) {
            size_t end = relative.find('\\', start);
            if (end == std::string::npos) end = relative.size();
            dir += relative.substr(start, end - start) + "\\";
            ::CreateDirectoryA(dir.c_str(), nullptr);
            start = end + 1;
        }
        for (const std::string& file : files) sandbox->WriteFile(dir + file, "x");
        dir.pop_back();
        return dir;
    }

    static std::vector<std::string> Rows(HWND list) {
        std::vector<std::string> rows;
        for (int i = 0, n = ListBox_GetCount(list); i < n; ++i) {
            std::string text(size_t(ListBox_GetTextLen(list, i)), '\0');
            ListBox_GetText(list, i, text.data());
            rows.push_back(text);
        }
        return rows;
    }
    std::vector<std::string> Files() const { return Rows(form->FileListBox1); }
    // The directory list's rows without their indentation.
    std::vector<std::string> DirectoryRows() const {
        std::vector<std::string> rows = Rows(form->DirectoryListBox1);
        for (std::string& row : rows) row.erase(0, row.find_first_not_of(' '));
        return rows;
    }
    std::vector<std::string> Descriptions() const {
        std::vector<std::string> items;
        for (int i = 0, n = ComboBox_GetCount(form->FilterComboBox1); i < n; ++i) {
            std::string text(size_t(ComboBox_GetLBTextLen(form->FilterComboBox1, i)), '\0');
            ComboBox_GetLBText(form->FilterComboBox1, i, text.data());
            items.push_back(text);
        }
        return items;
    }
    std::string ChosenFilter() const { return Text(form->FilterComboBox1); }
    // Read through the wide message: the narrow one gives 80 characters at most.
    std::string Hint(HWND control) const {
        wchar_t wide[1024] = L"";
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = form->Handle();
        tool.uId = reinterpret_cast<UINT_PTR>(control);
        tool.lpszText = wide;
        ::SendMessageW(form->Tooltips, TTM_GETTEXTW, 1024, LPARAM(&tool));
        char text[1024] = "";
        ::WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
        return text;
    }

    // The user's actions: each changes the control, then the control tells the window.
    void Notify(HWND control, int code) {
        ::SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(control), code), LPARAM(control));
    }
    void ChooseFilter(const std::string& description) {
        int index = ComboBox_FindStringExact(form->FilterComboBox1, -1, description.c_str());
        ASSERT_GE(index, 0) << description;
        ComboBox_SetCurSel(form->FilterComboBox1, index);
        Notify(form->FilterComboBox1, CBN_SELCHANGE);
    }
    void OpenDirectory(const std::string& name) {
        std::vector<std::string> rows = DirectoryRows();
        auto found = std::find(rows.begin(), rows.end(), name);
        ASSERT_NE(found, rows.end()) << name;
        ListBox_SetCurSel(form->DirectoryListBox1, int(found - rows.begin()));
        Notify(form->DirectoryListBox1, LBN_DBLCLK);
    }
    void ChooseDrive(char letter) {
        for (int i = 0, n = ComboBox_GetCount(form->DriveComboBox1); i < n; ++i)
            if (ComboBox_GetItemData(form->DriveComboBox1, i) == letter) ComboBox_SetCurSel(form->DriveComboBox1, i);
        Notify(form->DriveComboBox1, CBN_SELCHANGE);
    }
    std::string ChosenDrive() const { return Text(form->DriveComboBox1).substr(0, 2); }

    static constexpr const char* kBootMask = "*.bmp;*.sys;";
    // The wallpaper filter's own part; the system's decoders add theirs after it.
    static constexpr const char* kWallMask = "*.bmp;*.jpg;*.jpeg;*.jif;*.gif;*.dib;*.rle;*.tga;*.pcx;*.sys;*.png;*.webp;";
};

TEST_F(Browser, AtCreationShowsTheCurrentDirectoryWithTheBootScreenFilter) {
    std::string dir = MakeDir("here", {"b.bmp", "a.sys", "c.jpg"});
    char saved[MAX_PATH];
    ::GetCurrentDirectoryA(MAX_PATH, saved);
    ::SetCurrentDirectoryA(dir.c_str());
    CreateWindowOnly();
    ::SetCurrentDirectoryA(saved);

    EXPECT_EQ(form->FileListDirectory(), dir);
    EXPECT_EQ(Files(), (std::vector<std::string>{"a.sys", "b.bmp"}));
    EXPECT_EQ(DirectoryRows().back(), "here");
    EXPECT_EQ(ChosenDrive(), "t:");
    EXPECT_EQ(form->FileListMask(), kBootMask);
    EXPECT_EQ(Descriptions(), (std::vector<std::string>{"All usable files (*.bmp, *.sys)", "Windows Bitmaps (*.bmp)",
                                                         "System Files (*.sys)", "All files (*.*)"}));
    EXPECT_EQ(ChosenFilter(), "All usable files (*.bmp, *.sys)");
    EXPECT_EQ(Hint(form->FilterComboBox1), "");
    // Showing the first directory is no change of directory.
    EXPECT_EQ(form->StartDir, "");
}

TEST_F(Browser, FiltersShowOrdinaryFilesThatMatchTheirMask) {
    std::string dir = MakeDir("pics", {"LOGO.SYS", "clouds.bmp", "Sky.BMP", "photo.jpg", "README", "hidden.bmp"});
    MakeDir("pics\\folder.bmp");
    std::string hidden = dir + "\\hidden.bmp";
    ASSERT_TRUE(::SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(::GetFileAttributesA(hidden.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    StartProgram();
    ASSERT_TRUE(form->ApplyFilePath(dir));

    EXPECT_EQ(Files(), (std::vector<std::string>{"clouds.bmp", "LOGO.SYS", "Sky.BMP"}));
    ChooseFilter("System Files (*.sys)");
    EXPECT_EQ(Files(), std::vector<std::string>{"LOGO.SYS"});
    EXPECT_EQ(Hint(form->FilterComboBox1), "System Files (*.sys)");
    ChooseFilter("Windows Bitmaps (*.bmp)");
    EXPECT_EQ(Files(), (std::vector<std::string>{"clouds.bmp", "Sky.BMP"}));
    ChooseFilter("All files (*.*)");
    EXPECT_EQ(form->FileListMask(), "*.*");
    EXPECT_EQ(Files(), (std::vector<std::string>{"clouds.bmp", "LOGO.SYS", "photo.jpg", "README", "Sky.BMP"}));
    // Choosing a filter re-reads the same directory; it is no change of directory.
    EXPECT_EQ(form->FileListDirectory(), dir);
}

TEST_F(Browser, FilesAreInTheOrderOfASortedListBox) {
    std::vector<std::string> names = {"b.bmp", "A.bmp", "_x.bmp", "a1.bmp", "Z.bmp", "a-b.bmp", "a b.bmp",
                                      "10.bmp", "9.bmp", "~t.bmp", "ab.bmp", "Ab2.bmp"};
    std::string dir = MakeDir("order", names);
    StartProgram();
    ASSERT_TRUE(form->ApplyFilePath(dir));

    HWND sorted = ::CreateWindowExA(0, WC_LISTBOXA, "", WS_CHILD | LBS_SORT | LBS_HASSTRINGS, 0, 0, 10, 10,
                                    form->Handle(), nullptr, nullptr, nullptr);
    for (const std::string& name : names) ListBox_AddString(sorted, name.c_str());
    EXPECT_EQ(Files(), Rows(sorted));
    ::DestroyWindow(sorted);
}

TEST_F(Browser, FilterIsKeptAcrossBootScreensAndResetByTheWallpaper) {
    std::string dir = MakeDir("pics", {"LOGO.SYS", "photo.jpg", "old.jif", "a.png"});
    StartProgram();
    ASSERT_TRUE(form->ApplyFilePath(dir));
    ChooseFilter("All files (*.*)");
    Click(form->sbtnWait);
    Click(form->sbtnShut);
    EXPECT_EQ(ChosenFilter(), "All files (*.*)");
    EXPECT_EQ(form->FileListMask(), "*.*");
    EXPECT_EQ(Files().size(), 4u);

    Click(form->sbtnWall);
    // Wine's imaging component reads TIFF among others, so its extensions follow the program's own.
    const std::string wallFirst =
        "All usable files (*.bmp, *.jpg, *.jpeg, *.gif, *.dib, *.rle, *.tga, *.pcx, *.sys, *.png, *.webp, ";
    EXPECT_EQ(ChosenFilter().substr(0, wallFirst.size()), wallFirst);
    EXPECT_NE(ChosenFilter().find("*.tif"), std::string::npos);
    EXPECT_EQ(Hint(form->FilterComboBox1), ChosenFilter());
    const std::string mask = form->FileListMask();
    EXPECT_EQ(mask.substr(0, std::string(kWallMask).size()), kWallMask);
    FileMask patterns(mask);
    EXPECT_TRUE(patterns.Matches("scan.tif"));
    for (size_t at = 0, end; at < mask.size(); at = end + 1) {
        end = mask.find(';', at);
        EXPECT_EQ(mask.find(mask.substr(at, end - at + 1)), at) << "twice: " << mask.substr(at, end - at);
    }
    EXPECT_EQ(Files(), (std::vector<std::string>{"a.png", "LOGO.SYS", "old.jif", "photo.jpg"}));
    // The user's choice among the wallpaper's filters survives pressing the wallpaper button again.
    ChooseFilter("System Files (*.sys)");
    Click(form->sbtnWall);
    EXPECT_EQ(ChosenFilter(), "System Files (*.sys)");

    Click(form->sbtnStart);
    EXPECT_EQ(ChosenFilter(), "All usable files (*.bmp, *.sys)");
    EXPECT_EQ(form->FileListMask(), kBootMask);
    EXPECT_EQ(Files(), std::vector<std::string>{"LOGO.SYS"});
    // Switching category never moves the browser.
    EXPECT_EQ(form->FileListDirectory(), dir);
}

// The box is narrower than its descriptions; its drop-down list shows the longest one whole.
TEST_F(Browser, FilterDropDownIsAsWideAsItsLongestDescription) {
    StartProgram();
    HWND box = form->FilterComboBox1;
    for (HWND button : {form->sbtnStart, form->sbtnWall}) {
        Click(button);
        HDC dc = ::GetDC(box);
        HGDIOBJ old = ::SelectObject(dc, GetWindowFont(box));
        SIZE size{};
        for (int i = 0; i < ComboBox_GetCount(box); ++i) {
            char text[256] = {};
            ComboBox_GetLBText(box, i, text);
            ::GetTextExtentPoint32A(dc, text, int(strlen(text)), &size);
            EXPECT_GT(::SendMessageA(box, CB_GETDROPPEDWIDTH, 0, 0), size.cx + 4) << text;
        }
        ::SelectObject(dc, old);
        ::ReleaseDC(box, dc);
    }
}

TEST_F(Browser, DirectoryChangesAreRecordedForTheCategoryAndTheStart) {
    std::string pics = MakeDir("pics");
    std::string waiting = MakeDir("pics\\waiting");
    std::string walls = MakeDir("walls");
    StartProgram();
    ASSERT_TRUE(form->ApplyFilePath(pics));
    EXPECT_EQ(form->StartDir, pics);

    Click(form->sbtnWait);
    OpenDirectory("waiting");
    EXPECT_EQ(form->FileListDirectory(), waiting);
    EXPECT_EQ(form->WaitDir, waiting);
    EXPECT_EQ(form->StartDir, waiting);
    EXPECT_EQ(form->ShutDir, sandbox->programDir);  // as the first start leaves it

    Click(form->sbtnWall);
    EXPECT_EQ(form->FileListDirectory(), waiting);
    EXPECT_EQ(form->WallDir, sandbox->programDir);
    ASSERT_TRUE(form->ApplyFilePath(walls + "\\"));
    EXPECT_EQ(form->WallDir, walls);
    EXPECT_EQ(form->StartDir, walls);
    EXPECT_EQ(form->WaitDir, waiting);
}

TEST_F(Browser, DirectoryListShowsThePathAndSubdirectoriesAndOpensRows) {
    std::string top = MakeDir("top", {"up.bmp"});
    MakeDir("top\\mid\\Beta");
    MakeDir("top\\mid\\alpha");
    MakeDir("top\\mid\\.secret");
    std::string mid = top + "\\mid";
    ::SetFileAttributesA((mid + "\\.secret").c_str(), FILE_ATTRIBUTE_HIDDEN);
    StartProgram();
    ASSERT_TRUE(form->ApplyFilePath(mid));

    std::vector<std::string> rows = DirectoryRows();
    std::string rootFolder = sandbox->root.substr(3, sandbox->root.size() - 4);
    EXPECT_EQ(rows, (std::vector<std::string>{"T:\\", rootFolder, "top", "mid", "alpha", "Beta"}));
    EXPECT_EQ(ListBox_GetCurSel(form->DirectoryListBox1), 3);
    // Each level is indented further than the one above it; subdirectories one more than the current.
    std::vector<std::string> raw = Rows(form->DirectoryListBox1);
    EXPECT_LT(raw[2].find_first_not_of(' '), raw[3].find_first_not_of(' '));
    EXPECT_LT(raw[3].find_first_not_of(' '), raw[4].find_first_not_of(' '));

    OpenDirectory("top");
    EXPECT_EQ(form->FileListDirectory(), top);
    EXPECT_EQ(Files(), std::vector<std::string>{"up.bmp"});
    EXPECT_EQ(DirectoryRows().back(), "mid");

    // Enter in the directory list opens the chosen row, as a double-click does.
    OpenDirectory("mid");
    ::SetFocus(form->DirectoryListBox1);
    ListBox_SetCurSel(form->DirectoryListBox1, 4);
    MSG enter{form->DirectoryListBox1, WM_KEYDOWN, VK_RETURN, 1, 0, {}};
    EXPECT_TRUE(form->IsKeyboardMessage(enter));
    EXPECT_EQ(form->FileListDirectory(), mid + "\\alpha");
}

TEST_F(Browser, RefreshShowsNewFilesAndClearsTheSelection) {
    std::string dir = MakeDir("pics", {"a.bmp", "c.bmp"});
    StartProgram();
    ASSERT_TRUE(form->ApplyFilePath(dir));
    ListBox_SetSel(form->FileListBox1, TRUE, 1);
    sandbox->WriteFile(dir + "\\b.bmp", "x");
    MakeDir("pics\\new");
    form->StartDir.clear();

    EXPECT_TRUE(Shortcut('R', true));
    EXPECT_EQ(Files(), (std::vector<std::string>{"a.bmp", "b.bmp", "c.bmp"}));
    EXPECT_EQ(ListBox_GetSelCount(form->FileListBox1), 0);
    EXPECT_EQ(DirectoryRows().back(), "new");
    // The refresh reports the directory as changed.
    EXPECT_EQ(form->StartDir, dir);
}

TEST_F(Browser, DriveRootKeepsItsBackslashAndOtherDirectoriesHaveNone) {
    std::string dir = MakeDir("sub");
    StartProgram();
    ASSERT_TRUE(form->ApplyFilePath(sandbox->driveRoot));
    EXPECT_EQ(form->FileListDirectory(), "T:\\");
    EXPECT_EQ(DirectoryRows().front(), "T:\\");
    ASSERT_TRUE(form->ApplyFilePath("T:"));
    EXPECT_EQ(form->FileListDirectory(), "T:\\");

    ASSERT_TRUE(form->ApplyFilePath(dir + "\\"));
    EXPECT_EQ(form->FileListDirectory(), dir);
    EXPECT_EQ(form->StartDir, dir);
    // The directory already shown, with or without its backslash, and an empty path change nothing.
    form->StartDir = "unchanged";
    EXPECT_TRUE(form->ApplyFilePath(dir));
    EXPECT_TRUE(form->ApplyFilePath(dir + "\\"));
    EXPECT_TRUE(form->ApplyFilePath(""));
    EXPECT_EQ(form->StartDir, "unchanged");
    EXPECT_EQ(form->FileListDirectory(), dir);
}

TEST_F(Browser, DrivesOpenAtTheirLastDirectory) {
    std::string dir = MakeDir("pics", {"a.bmp"});
    StartProgram();
    // Every drive of the machine is listed, by its letter.
    char drives[27 * 4 + 1] = "";
    ::GetLogicalDriveStringsA(sizeof drives, drives);
    int count = 0;
    for (const char* root = drives; *root; root += strlen(root) + 1) ++count;
    EXPECT_EQ(ComboBox_GetCount(form->DriveComboBox1), count);

    ASSERT_TRUE(form->ApplyFilePath(dir));
    ASSERT_TRUE(form->ApplyFilePath("C:\\"));
    EXPECT_EQ(ChosenDrive(), "c:");
    form->StartDir.clear();
    ChooseDrive('T');
    EXPECT_EQ(form->FileListDirectory(), dir);
    EXPECT_EQ(ChosenDrive(), "t:");
    EXPECT_EQ(Files(), std::vector<std::string>{"a.bmp"});
    EXPECT_EQ(form->StartDir, dir);
}

TEST_F(Browser, UnopenableDirectoryGivesAnErrorAndChangesNothing) {
    std::string dir = MakeDir("pics", {"a.bmp"});
    std::string gone = MakeDir("pics\\gone");
    StartProgram();
    ASSERT_TRUE(form->ApplyFilePath(dir));
    form->StartDir = "unchanged";
    std::vector<std::string> rows = DirectoryRows();

    env.ExpectBox(BoxKind::Error, "Cannot open directory " + dir + "\\missing");
    EXPECT_FALSE(form->ApplyFilePath(dir + "\\missing"));
    env.ExpectBox(BoxKind::Error, "Cannot open directory " + dir + "\\a.bmp");
    EXPECT_FALSE(form->ApplyFilePath(dir + "\\a.bmp"));

    // A directory removed since the list was read.
    ASSERT_TRUE(::RemoveDirectoryA(gone.c_str()));
    env.ExpectBox(BoxKind::Error, "Cannot open directory " + gone);
    OpenDirectory("gone");
    EXPECT_EQ(ListBox_GetCurSel(form->DirectoryListBox1), int(rows.size()) - 2);

    EXPECT_EQ(form->FileListDirectory(), dir);
    EXPECT_EQ(DirectoryRows(), rows);
    EXPECT_EQ(Files(), std::vector<std::string>{"a.bmp"});
    EXPECT_EQ(form->StartDir, "unchanged");
}

}  // namespace
}  // namespace mx::test
