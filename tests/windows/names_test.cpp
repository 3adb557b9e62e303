// Names in any script, the longest name a folder holds and a path near the system's limit: each is
// browsed to, previewed, added, saved, read back, set by the randomizer and named in its log, byte
// for byte as UTF-8.
#include <windowsx.h>

#include "app/resource.h"
#include "lists/list_view.h"
#include "picture/bmp_writer.h"
#include "platform/text.h"
#include "randomizer/randomizer.h"
#include "sandbox.h"

namespace mx::test {
namespace {

class Names : public MainWindowTest {
protected:
    void Restart() {
        form.reset();
        sandbox.reset();
        env = TestEnvironment{};
        SetUp();
    }
    std::vector<std::string> Rows(HWND list) const {
        std::vector<std::string> rows;
        for (int i = 0, n = ListBox_GetCount(list); i < n; ++i) {
            std::string row = ListBoxText(list, i);
            rows.push_back(row.substr(row.find_first_not_of(' ')));
        }
        return rows;
    }
    void Notify(HWND control, int code) {
        ::SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(control), code), LPARAM(control));
    }
};

// Files and folders are made through the wide calls, by their UTF-16 names: the names on disk are
// those of the table whatever code page the program's calls use.
std::wstring Wide(const std::string& utf8) {
    std::wstring wide(utf8.size(), L'\0');
    wide.resize(size_t(::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), wide.data(), int(wide.size()))));
    return wide;
}
bool MakeFolder(const std::string& path) { return ::CreateDirectoryW(Wide(path).c_str(), nullptr); }
bool MakeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    HANDLE file = ::CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    bool ok = file != INVALID_HANDLE_VALUE && ::WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
    return ok;
}

std::string Repeat(const std::string& piece, size_t times) {
    std::string out;
    for (size_t i = 0; i < times; ++i) out += piece;
    return out;
}

TEST_F(Names, EveryScriptGoesThroughEveryStepByteForByte) {
    const std::string latin = "Reise \xc3\x9cn\xc3\xaf" "code", cafe = "Caf\xc3\xa9 \xc3\xa9t\xc3\xa9.jpg";
    const std::string chinese = "\xe9\x95\xbf\xe5\x9f\x8e \xe5\x8c\x97\xe4\xba\xac.jpg";  // the Great Wall, Beijing
    const std::string sunrise = "\xf0\x9f\x8c\x85";
    // The longest name a folder holds, 255 UTF-16 units, in letters of one byte: Linux, under Wine, keeps
    // no name longer than 255 bytes.
    const std::string longest = (Repeat("Sonnenuntergang am Meer ", 11) + "Sonne").substr(0, 251) + ".jpg";
    struct Case {
        const char* what;
        std::string folder;  // below the sandbox's root; empty: the drive's root, where the longest name fits
        std::string file;
        size_t pathUnits;    // the file's full path in UTF-16 units, when it matters
    } cases[] = {
        {"Latin-1", latin + " \xe6\x97\x85\xe8\xa1\x8c", cafe, 0},
        {"Greek", "\xce\x94\xce\xb9\xce\xb1\xce\xba\xce\xbf\xcf\x80\xce\xad\xcf\x82", "\xce\x98\xce\xac\xce\xbb\xce\xb1\xcf\x83\xcf\x83\xce\xb1.jpg", 0},
        {"Chinese", "\xe6\x97\x85\xe8\xa1\x8c", chinese, 0},
        {"Arabic", "\xd8\xb5\xd9\x88\xd8\xb1", "\xd8\xba\xd8\xb1\xd9\x88\xd8\xa8.jpg", 0},
        {"emoji", sunrise + " Fotos", sunrise + " Sonnenuntergang.jpg", 0},
        {"a name of 255 UTF-16 units", "", longest, 0},
        {"a path near 260", "", "\xc3\x9c.jpg", 259},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        Restart();
        std::string dir = c.folder.empty() ? sandbox->driveRoot.substr(0, 2) : sandbox->root + c.folder;
        if (c.pathUnits) {
            // Folders of two-byte letters, 100 to a folder, that bring the file's path to the length asked for.
            size_t rest = c.pathUnits - Utf16Length(sandbox->root + "\\" + c.file);
            for (; rest > 101; rest -= 101) {
                c.folder += Repeat("\xc3\x9c", 100);
                MakeFolder(sandbox->root + c.folder);
                c.folder += "\\";
            }
            c.folder += Repeat("\xc3\x9c", rest);
            dir = sandbox->root + c.folder;
        }
        ASSERT_TRUE(c.folder.empty() || MakeFolder(dir));
        const std::string path = JoinPath(dir, c.file);
        if (c.pathUnits) { ASSERT_EQ(Utf16Length(path), c.pathUnits); }
        ASSERT_TRUE(MakeFile(path, EncodeBmp(Picture::MakeTrueColour(3, 2, false))));

        StartProgram();
        Click(form->sbtnWall);
        // The browser opens the folder from its parent's row, and lists the file.
        form->ApplyFilePath(c.folder.empty() ? dir + "\\" : dir.substr(0, dir.rfind('\\')));
        if (!c.folder.empty()) {
            std::vector<std::string> rows = Rows(form->DirectoryListBox1);
            auto row = std::find(rows.begin(), rows.end(), dir.substr(dir.rfind('\\') + 1));
            ASSERT_NE(row, rows.end());
            ListBox_SetCurSel(form->DirectoryListBox1, int(row - rows.begin()));
            Notify(form->DirectoryListBox1, LBN_DBLCLK);
        }
        EXPECT_EQ(form->FileListDirectory(), c.folder.empty() ? dir + "\\" : dir);
        int index = ListBox_FindStringExact(form->FileListBox1, -1, c.file.c_str());
        ASSERT_GE(index, 0);
        EXPECT_EQ(ListBoxText(form->FileListBox1, index), c.file);

        // The pane previews it.
        ListBox_SetSel(form->FileListBox1, TRUE, index);
        ListBox_SetCaretIndex(form->FileListBox1, index);
        Notify(form->FileListBox1, LBN_SELCHANGE);
        EXPECT_EQ(Text(form->PnlPreviewName), path);
        EXPECT_EQ(form->SizeHint, "Size : 3 X 2");

        // Added, saved and read back as it is.
        Click(form->BtnAdd);
        ASSERT_EQ(Captions(form->ListWall), std::vector<std::string>{c.file});
        Menu(IDM_SAVE);
        const std::string line = path + ", Centred\r\n";
        EXPECT_EQ(sandbox->ReadFile(DataFile()), "[START]\r\n\r\n[WAIT]\r\n\r\n[SHUT]\r\n\r\n[WALLPAPER]\r\n" + line);
        form.reset();
        StartProgram();
        ASSERT_EQ(Captions(form->ListWall), std::vector<std::string>{c.file});
        EXPECT_EQ(JoinPath(ItemText(form->ListWall, 0, ColumnPath), c.file), path);
        form.reset();

        // The randomizer sets it, and its log names it.
        std::vector<std::string> lines;
        RunRandomizer(env, {}, [&](const std::string& l) { lines.push_back(l); });
        EXPECT_EQ(env.wallpapers.size(), 1u) << testing::PrintToString(lines);
        const std::string named = "Wallpaper: " + path + " as Centred";
        EXPECT_NE(sandbox->ReadFile(sandbox->programDir + "MXRandom.log").find(named), std::string::npos);
        if (c.folder.empty()) ::DeleteFileW(Wide(path).c_str());
    }
}

}  // namespace
}  // namespace mx::test
