// Names in any script, the longest name a folder holds and a path near the system's limit: each is
// browsed to, previewed, added, saved, read back, set by the randomizer and named in its log, byte
// for byte as UTF-8.
#include <windowsx.h>

#include "app/resource.h"
#include "lists/list_view.h"
#include "picture/bmp_writer.h"
#include "platform/text.h"
#include "randomizer/randomizer.h"
#include "lists/categories.h"
#include "sandbox.h"

namespace mx::test {
namespace {

// Folders and files are made through the wide calls: the names on disk are the table's whatever code
// page the program's own calls use.
std::wstring Wide(const std::string& utf8) {
    std::wstring wide(utf8.size(), L'\0');
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), wide.data(), int(utf8.size()));
    wide.resize(size_t(n));
    return wide;
}

std::string Repeat(const std::string& piece, size_t times) {
    std::string out;
    while (times-- > 0) out += piece;
    return out;
}

using Names = MainWindowTest;

TEST_F(Names, EveryScriptGoesThroughEveryStepByteForByte) {
    // The longest name is of one-byte letters: Linux, under Wine, keeps no name longer than 255 bytes.
    const struct { const char* what; std::string folder, file; bool near260 = false; } cases[] = {
        {"Latin-1", "Reise \xc3\x9cn\xc3\xaf" "code \xe6\x97\x85\xe8\xa1\x8c", "Caf\xc3\xa9 \xc3\xa9t\xc3\xa9.jpg"},
        {"Greek", "\xce\x94\xce\xb9\xce\xb1\xce\xba\xce\xbf\xcf\x80\xce\xad\xcf\x82",
         "\xce\x98\xce\xac\xce\xbb\xce\xb1.jpg"},
        {"Chinese", "\xe6\x97\x85\xe8\xa1\x8c", "\xe9\x95\xbf\xe5\x9f\x8e \xe5\x8c\x97\xe4\xba\xac.jpg"},
        {"Arabic", "\xd8\xb5\xd9\x88\xd8\xb1", "\xd8\xba\xd8\xb1\xd9\x88\xd8\xa8.jpg"},
        {"emoji", "\xf0\x9f\x8c\x85 Fotos", "\xf0\x9f\x8c\x85 Sonnenuntergang.jpg"},
        {"a name of 255 UTF-16 units, in the drive's root", "",
         Repeat("Sonnenuntergang am Meer ", 11).substr(0, 251) + ".jpg"},
        {"a path of 259 UTF-16 units, 100 two-byte letters to a folder", "", "\xc3\x9c.jpg", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        form.reset(), sandbox.reset(), env = TestEnvironment{}, SetUp();
        std::string folder = c.folder;
        if (c.near260) {
            size_t rest = 259 - Utf16Length(sandbox->root + "\\" + c.file);
            for (; rest > 101; rest -= 101) {
                folder += Repeat("\xc3\x9c", 100);
                ::CreateDirectoryW(Wide(sandbox->root + folder).c_str(), nullptr);
                folder += "\\";
            }
            folder += Repeat("\xc3\x9c", rest);
        }
        const std::string dir = folder.empty() ? sandbox->driveRoot : sandbox->root + folder;
        const std::string path = JoinPath(dir, c.file);
        ::CreateDirectoryW(Wide(dir).c_str(), nullptr);
        if (c.near260) { ASSERT_EQ(Utf16Length(path), 259u); }
        const std::vector<uint8_t> bmp = EncodeBmp(Picture::MakeTrueColour(3, 2, false));
        HANDLE file = ::CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        ASSERT_TRUE(::WriteFile(file, bmp.data(), DWORD(bmp.size()), &written, nullptr));
        ::CloseHandle(file);

        // The browser opens the folder, shows its name as the directory list's last step, lists the
        // file, and the pane previews it.
        StartProgram();
        Click(form->sbtnWall);
        ASSERT_TRUE(form->ApplyFilePath(dir));
        const std::string step = ListBoxText(form->DirectoryListBox1, ListBox_GetCurSel(form->DirectoryListBox1));
        EXPECT_EQ(step.substr(step.find_first_not_of(' ')), dir.substr(dir.find_last_of('\\', dir.size() - 2) + 1));
        Choose(dir, {c.file});
        EXPECT_EQ(ListBoxText(form->FileListBox1, ListBox_GetCaretIndex(form->FileListBox1)), c.file);
        EXPECT_EQ(Text(form->PnlPreviewName), path);
        EXPECT_EQ(form->SizeHint, "Size : 3 X 2");

        // Added, saved and read back as it is; the randomizer sets it and its log names it.
        Click(form->BtnAdd);
        Menu(IDM_SAVE);
        EXPECT_EQ(sandbox->ReadFile(DataFile()),
                  "[START]\r\n\r\n[WAIT]\r\n\r\n[SHUT]\r\n\r\n[WALLPAPER]\r\n" + path + ", Centred\r\n");
        form.reset();
        StartProgram();
        ASSERT_EQ(Captions(form->ListForCategory(CategoryWall)), std::vector<std::string>{c.file});
        EXPECT_EQ(JoinPath(ItemText(form->ListWall, 0, ColumnPath), c.file), path);
        form.reset();
        RunRandomizer(env, {});
        EXPECT_EQ(env.wallpapers.size(), 1u);
        const std::string log = sandbox->ReadFile(sandbox->programDir + "MXRandom.log");
        EXPECT_NE(log.find("Wallpaper: " + path + " as Centred"), std::string::npos);
        if (folder.empty()) ::DeleteFileW(Wide(path).c_str());
    }
}

}  // namespace
}  // namespace mx::test
