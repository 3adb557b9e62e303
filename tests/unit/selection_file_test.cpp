#include <gtest/gtest.h>


#include "lists/folder_entries.h"
#include "state/selection_file.h"

namespace mx {
namespace {

constexpr const char* kProgramDir = "C:\\MOSALUX\\";

SelectionLists Parse(std::string_view text) {
    SelectionLists lists;
    ParseSelectionFile(text, kProgramDir, lists);
    return lists;
}

// One wallpaper line read on its own.
SelectionEntry Wallpaper(std::string_view line) {
    SelectionLists lists = Parse("[WALLPAPER]\r\n" + std::string(line) + "\r\n");
    EXPECT_EQ(lists[3].size(), 1u);
    return lists[3].empty() ? SelectionEntry{} : lists[3][0];
}

void Fill(SelectionList& list, std::initializer_list<SelectionEntry> entries) {
    for (const SelectionEntry& e : entries)
        list.Append(e.directory, e.fileName, StyleNamed(e.style).value_or(kCentredStyle));
}

size_t EntryCount(const SelectionLists& lists) {
    return lists[0].size() + lists[1].size() + lists[2].size() + lists[3].size();
}

TEST(SelectionFileWriter, FourEmptyListsAreSevenLines) {
    EXPECT_EQ(FormatSelectionFile({}), "[START]\r\n\r\n[WAIT]\r\n\r\n[SHUT]\r\n\r\n[WALLPAPER]\r\n");
}

TEST(SelectionFileWriter, WritesEachSectionWithOneBlankLineBeforeTheNextHeader) {
    SelectionLists lists;
    Fill(lists[0], {{"CLOUDS.SYS", "C:\\PICS\\", ""}});
    Fill(lists[2], {{"BYE.BMP", "D:\\LOGOS", ""}});  // from the browser: no trailing backslash
    Fill(lists[3], {{"FOREST.BMP", "C:\\WINDOWS\\", "Tiled"}, {"SEA.JPG", "C:\\PHOTOS", "Fit 2 Screen"}});
    EXPECT_EQ(FormatSelectionFile(lists),
              "[START]\r\nC:\\PICS\\CLOUDS.SYS\r\n\r\n[WAIT]\r\n\r\n[SHUT]\r\nD:\\LOGOS\\BYE.BMP\r\n\r\n"
              "[WALLPAPER]\r\nC:\\WINDOWS\\FOREST.BMP, Tiled\r\nC:\\PHOTOS\\SEA.JPG, Fit 2 Screen\r\n");
}

TEST(SelectionFile, SaveThenLoadGivesTheSameEntries) {
    SelectionLists lists;
    Fill(lists[0], {{"CLOUDS.SYS", "C:\\PICS", ""}, {"pic.bmp", "C:", ""}, {"ROOT.SYS", "C:\\", ""}});
    Fill(lists[1], {{"a b.bmp", "\\\\server\\share\\dir", ""}});
    Fill(lists[3], {{"SEA.JPG", "C:\\PHOTOS", "Mirror"}, {"X.GIF", "E:\\", "Stretched"}});
    SelectionLists back = Parse(FormatSelectionFile(lists));
    for (size_t s = 0; s < 4; ++s) {
        ASSERT_EQ(back[s].size(), lists[s].size());
        for (size_t i = 0; i < lists[s].size(); ++i) {
            EXPECT_EQ(back[s][i].fileName, lists[s][i].fileName);
            // Every directory reads back with its trailing backslash.
            std::string dir = lists[s][i].directory;
            EXPECT_EQ(back[s][i].directory, dir.back() == '\\' ? dir : dir + "\\");
            EXPECT_EQ(back[s][i].style, lists[s][i].style);
        }
    }
    // C:pic.bmp is written as C:\pic.bmp.
    EXPECT_NE(FormatSelectionFile(lists).find("C:\\pic.bmp\r\n"), std::string::npos);
}

// Files as the writer makes them, of this version and of earlier ones, read and written again unchanged;
// a folder entry is a line whose name is "*" or "**".
TEST(SelectionFile, FilesReadAndWrittenAgainAreTheSameBytes) {
    struct Case {
        const char* name;
        std::string text;
        size_t folders;
    } cases[] = {
        {"files only, as earlier versions wrote them",
         "[START]\r\nC:\\PICS\\CLOUDS.SYS\r\n\r\n[WAIT]\r\n\r\n[SHUT]\r\nD:\\LOGOS\\BYE.BMP\r\n\r\n"
         "[WALLPAPER]\r\nC:\\WINDOWS\\FOREST.BMP, Tiled\r\nC:\\PHOTOS\\SEA.JPG, Fit 2 Screen\r\n",
         0},
        {"folders beside files",
         "[START]\r\nC:\\PICS\\**\r\nC:\\PICS\\CLOUDS.SYS\r\n\r\n[WAIT]\r\n\\\\server\\share\\*\r\n\r\n[SHUT]\r\n\r\n"
         "[WALLPAPER]\r\nD:\\*, Mirror\r\nD:\\Photos\\2024\\**, Fit 2 Screen\r\n",
         4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SelectionLists lists = Parse(c.text);
        EXPECT_EQ(FormatSelectionFile(lists), c.text);
        size_t folders = 0;
        for (const SelectionList& list : lists)
            for (const SelectionEntry& e : list) folders += IsFolderEntry(e.fileName);
        EXPECT_EQ(folders, c.folders);
    }
    const SelectionEntry tree = Wallpaper("D:\\Photos\\2024\\**, Fit 2 Screen");
    EXPECT_EQ(tree.directory, "D:\\Photos\\2024\\");
    EXPECT_EQ(FolderScopeOf(tree.fileName), FolderScope::WithSubfolders);
    EXPECT_EQ(tree.style, "Fit 2 Screen");
}

TEST(SelectionFileReader, EmptyFilesAndHeadersOnly) {
    EXPECT_EQ(EntryCount(Parse("")), 0u);
    EXPECT_EQ(EntryCount(Parse(FormatSelectionFile({}))), 0u);
}

TEST(SelectionFileReader, SplitsAtTheLastBackslashOrColon) {
    SelectionLists lists = Parse("[START]\r\nC:pic.bmp\r\nclouds.sys\r\nC:\\A:B\\C:D.SYS\r\n");
    ASSERT_EQ(lists[0].size(), 3u);
    EXPECT_EQ(lists[0][0].fileName, "pic.bmp");
    EXPECT_EQ(lists[0][0].directory, "C:");
    EXPECT_EQ(lists[0][1].fileName, "clouds.sys");  // no directory: the program's own
    EXPECT_EQ(lists[0][1].directory, kProgramDir);
    EXPECT_EQ(lists[0][2].fileName, "D.SYS");
    EXPECT_EQ(lists[0][2].directory, "C:\\A:B\\C:");
}

TEST(SelectionFileReader, WallpaperStyles) {
    EXPECT_EQ(Wallpaper("C:\\A\\B.BMP").style, "Centred");  // no comma: the whole line is the path
    EXPECT_EQ(Wallpaper("C:\\A\\B.BMP").fileName, "B.BMP");
    EXPECT_EQ(Wallpaper("C:\\A\\B.BMP, tiled").style, "Tiled");
    EXPECT_EQ(Wallpaper("C:\\A\\B.BMP, Tiled Mirror").style, "Mirror");
    EXPECT_EQ(Wallpaper("C:\\A\\B.BMP, Mirror Tiled").style, "Mirror");
    EXPECT_EQ(Wallpaper("C:\\A\\B.BMP, Stretched Tiled").style, "Stretched");  // searched after Tiled
    EXPECT_EQ(Wallpaper("C:\\A\\B.BMP, FIT 2 SCREEN").style, "Fit 2 Screen");
    EXPECT_EQ(Wallpaper("C:\\A\\B.BMP, Fit to Screen").style, "Centred");
    EXPECT_EQ(Wallpaper("C:\\A\\B.BMP, bogus").style, "Centred");
    // Fill, the newest, is taken only where no older name is: lists made before it read as they did.
    EXPECT_EQ(Wallpaper("C:\\A\\B.BMP, Fill").style, "Fill");
    EXPECT_EQ(Wallpaper("C:\\A,Fill\\B.BMP, Tiled").style, "Tiled");
    EXPECT_EQ(Wallpaper("C:\\A\\B.BMP, Tiled, fill").style, "Tiled");

    SelectionEntry noBlank = Wallpaper("C:\\A\\B.BMP,Stretched");
    EXPECT_EQ(noBlank.style, "Stretched");
    EXPECT_EQ(noBlank.fileName, "B.BMP");

    SelectionEntry commaInPath = Wallpaper("C:\\A,B\\C.BMP, Tiled");  // cut at the first comma
    EXPECT_EQ(commaInPath.fileName, "A");
    EXPECT_EQ(commaInPath.directory, "C:\\");
    EXPECT_EQ(commaInPath.style, "Tiled");

    EXPECT_EQ(Wallpaper("C:\\A\\B.BMP , Tiled").fileName, "B.BMP ");  // blanks before the comma stay
}

TEST(SelectionFileReader, OnlyWallpaperLinesHaveAStyle) {
    SelectionLists lists = Parse("[START]\r\nC:\\A,B\\C.BMP, Tiled\r\n");
    ASSERT_EQ(lists[0].size(), 1u);
    EXPECT_EQ(lists[0][0].fileName, "C.BMP, Tiled");
    EXPECT_EQ(lists[0][0].style, "");
}

TEST(SelectionFileReader, HeadersAreComparedWholeAndCaseSensitively) {
    SelectionLists lists = Parse(
        "C:\\BEFORE.SYS\r\n[start]\r\nC:\\A.SYS\r\n[START] \r\nC:\\B.SYS\r\n[WAIT]\r\nC:\\C.SYS\r\n[OTHER]\r\n"
        "C:\\D.SYS\r\n[SHUT]\r\nC:\\E.SYS\r\n");
    // Lines outside the four sections belong to no list.
    EXPECT_TRUE(lists[0].empty());
    ASSERT_EQ(lists[1].size(), 1u);
    EXPECT_EQ(lists[1][0].fileName, "C.SYS");
    ASSERT_EQ(lists[2].size(), 1u);
    EXPECT_EQ(lists[2][0].fileName, "E.SYS");
}

TEST(SelectionFileReader, LineEnds) {
    // CR alone and CR LF end lines; empty lines are skipped.
    SelectionLists lists = Parse("[START]\rC:\\A.SYS\r\n\r\n\rC:\\B.SYS");
    ASSERT_EQ(lists[0].size(), 2u);
    EXPECT_EQ(lists[0][1].fileName, "B.SYS");

    // A lone LF is part of the line: a file of LF line ends is one line, a header matching none.
    EXPECT_EQ(EntryCount(Parse("[START]\nC:\\A.SYS\nC:\\B.SYS\n")), 0u);
    SelectionLists lf = Parse("[START]\r\nC:\\A\nB.SYS\r\n");
    ASSERT_EQ(lf[0].size(), 1u);
    EXPECT_EQ(lf[0][0].fileName, "A\nB.SYS");

    // Ctrl-Z ends the file.
    EXPECT_EQ(Parse("[START]\r\nC:\\A.SYS\x1a\r\nC:\\B.SYS\r\n")[0].size(), 1u);
}

TEST(SelectionFileReader, DuplicatesAreKept) {
    EXPECT_EQ(Parse("[SHUT]\r\nC:\\A.SYS\r\nC:\\A.SYS\r\n")[2].size(), 2u);
}

TEST(SelectionFileReader, VeryLongLinesAndLargeFiles) {
    std::string longName(1 << 20, 'x');
    std::string text = "[WALLPAPER]\r\n";
    for (int i = 0; i < 8; ++i) text += "C:\\DIR\\" + longName + std::to_string(i) + ".BMP, Mirror\r\n";
    SelectionLists lists = Parse(text);
    ASSERT_EQ(lists[3].size(), 8u);
    EXPECT_EQ(lists[3][7].fileName.size(), longName.size() + 5);
    EXPECT_EQ(lists[3][7].style, "Mirror");
}

}  // namespace
}  // namespace mx
