#include "lists/file_masks.h"

#include <gtest/gtest.h>

#include "lists/browser_filters.h"

namespace mx {
namespace {

TEST(FileMasks, WildcardsMatchAsOnWindows) {
    struct Case {
        const char* pattern;
        const char* name;
        bool matches;
    } cases[] = {
        {"*.bmp", "LOGO.BMP", true},
        {"*.bmp", "logo.bmp", true},
        {"*.BMP", "Logo.Bmp", true},
        {"*.bmp", "logo.bmpx", false},
        {"*.bmp", "logo.bm", false},
        {"*.bmp", "bmp", false},
        {"*.bmp", ".bmp", true},
        {"*.bmp", "a.b.bmp", true},
        {"*.*", "README", true},
        {"*.*", "a.b", true},
        {"*", "anything.at.all", true},
        {"*.", "README", true},
        {"*.", "a.txt", false},
        {"logo.*", "logo", true},
        {"logo.*", "logo.sys", true},
        {"logo.*", "logos.sys", false},
        {"l?go.sys", "LOGO.SYS", true},
        {"l?go.sys", "lgo.sys", false},
        {"???.sys", "ab.sys", false},
        {"*o*o*.sys", "logow.sys", true},
        {"*o*o*.sys", "logw.sys", false},
        {"a*b*c", "aXbYbZc", true},
        {"a*b*c", "aXbYcZ", false},
        // "?" is one character, however many bytes it takes in UTF-8 (\xf0\x9f\x8c\x85 is one emoji).
        {"l?go.sys", "l\xc3\xb6go.sys", true},
        {"??.jpg", "\xe6\x97\x85.jpg", false},
        {"*???", "\xf0\x9f\x8c\x85", false},
        {"*?", "\xf0\x9f\x8c\x85", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.pattern) + " / " + c.name);
        EXPECT_EQ(MatchesPattern(c.pattern, c.name), c.matches);
    }
}

TEST(FileMasks, ManyStarsOnALongNameStayFast) {
    std::string name(5000, 'a');
    EXPECT_FALSE(MatchesPattern("*a*a*a*a*a*a*a*a*b", name));
    EXPECT_TRUE(MatchesPattern("*a*a*a*a*a*a*a*a*", name));
}

TEST(FileMasks, AMaskMatchesAnyOfItsPatternsAndEmptyPatternsNothing) {
    FileMask boot("*.bmp;*.sys;");
    EXPECT_TRUE(boot.Matches("LOGO.SYS"));
    EXPECT_TRUE(boot.Matches("clouds.bmp"));
    EXPECT_FALSE(boot.Matches("photo.jpg"));
    EXPECT_FALSE(boot.Matches(""));
    EXPECT_EQ(boot.Text(), "*.bmp;*.sys;");

    EXPECT_FALSE(FileMask("").Matches("a.bmp"));
    EXPECT_FALSE(FileMask(";").Matches("a.bmp"));
    EXPECT_FALSE(FileMask("").Matches(""));
    EXPECT_TRUE(FileMask(";;*.gif").Matches("x.GIF"));
}

TEST(FileMasks, TheTwoFilterTexts) {
    std::vector<FilterItem> boot = ParseFilterText(kBootScreenFilter);
    ASSERT_EQ(boot.size(), 4u);
    EXPECT_EQ(boot[0], (FilterItem{"All usable files (*.bmp, *.sys)", "*.bmp;*.sys;"}));
    EXPECT_EQ(boot[1], (FilterItem{"Windows Bitmaps (*.bmp)", "*.bmp"}));
    EXPECT_EQ(boot[2], (FilterItem{"System Files (*.sys)", "*.sys"}));
    EXPECT_EQ(boot[3], (FilterItem{"All files (*.*)", "*.*"}));

    // The wallpaper's: the system's extensions follow the program's own, each once, whatever their
    // case; ones that would break the filter text are passed over.
    const std::string own = "*.bmp, *.jpg, *.jpeg, *.gif, *.dib, *.rle, *.tga, *.pcx, *.sys, *.png, *.webp";
    const std::string ownMask = "*.bmp;*.jpg;*.jpeg;*.jif;*.gif;*.dib;*.rle;*.tga;*.pcx;*.sys;*.png;*.webp;";
    struct Case { std::vector<std::string> system; std::string description, mask; } cases[] = {
        {{}, own, ownMask},
        {{".tiff", ".tif"}, own + ", *.tiff, *.tif", ownMask + "*.tiff;*.tif;"},
        {{".bmp", ".dib", ".JPG", ".jfif", ".jif", ".tif", ".TIF", ".png", ".WEBP", ".ico"}, own + ", *.jfif, *.tif, *.ico",
         ownMask + "*.jfif;*.tif;*.ico;"},
        {{"", ".", "tif", ".a;b", ".a|b", ".a b", ".*", ".heic", ".cr2", ".x-y_1"}, own + ", *.heic, *.cr2, *.x-y_1",
         ownMask + "*.heic;*.cr2;*.x-y_1;"},
    };
    for (const Case& c : cases) {
        std::vector<FilterItem> wall = ParseFilterText(WallpaperFilterText(c.system));
        ASSERT_EQ(wall.size(), 4u);
        EXPECT_EQ(wall[0].description, "All usable files (" + c.description + ")");
        EXPECT_EQ(wall[0].mask, c.mask);
        EXPECT_EQ(std::vector<FilterItem>(wall.begin() + 1, wall.end()), std::vector<FilterItem>(boot.begin() + 1, boot.end()));
    }
    FileMask usable(ownMask);
    for (const char* name : {"a.jif", "b.JPEG", "c.tga", "d.pcx", "e.rle", "f.dib", "g.gif", "LOGO.SYS", "h.png", "i.WebP"})
        EXPECT_TRUE(usable.Matches(name)) << name;
    EXPECT_FALSE(usable.Matches("h.tif"));
}

TEST(FileMasks, UnusualFilterTexts) {
    EXPECT_TRUE(ParseFilterText("").empty());
    EXPECT_EQ(ParseFilterText("Only a description"), (std::vector<FilterItem>{{"Only a description", ""}}));
    EXPECT_EQ(ParseFilterText("A|*.a|B"), (std::vector<FilterItem>{{"A", "*.a"}, {"B", ""}}));
    EXPECT_EQ(ParseFilterText("A||B|*.b"), (std::vector<FilterItem>{{"A", ""}, {"B", "*.b"}}));
}

TEST(FileMasks, DirectoryFormsOfTheBrowser) {
    EXPECT_EQ(BrowserDirectory("C:\\"), "C:\\");
    EXPECT_EQ(BrowserDirectory("C:"), "C:\\");
    EXPECT_EQ(BrowserDirectory("C:\\\\"), "C:\\");
    EXPECT_EQ(BrowserDirectory("C:\\PICS\\"), "C:\\PICS");
    EXPECT_EQ(BrowserDirectory("C:\\PICS"), "C:\\PICS");
    EXPECT_EQ(BrowserDirectory("\\\\server\\share\\pics\\"), "\\\\server\\share\\pics");

    EXPECT_EQ(PathSteps("C:\\"), (std::vector<std::string>{"C:\\"}));
    EXPECT_EQ(PathSteps("C:\\PICS\\Old"), (std::vector<std::string>{"C:\\", "PICS", "Old"}));
    EXPECT_EQ(PathSteps("C:\\PICS\\"), (std::vector<std::string>{"C:\\", "PICS"}));
    EXPECT_EQ(PathSteps("\\\\server\\share\\pics"), (std::vector<std::string>{"\\\\server\\share\\", "pics"}));
    EXPECT_EQ(PathSteps("\\\\server\\share"), (std::vector<std::string>{"\\\\server\\share\\"}));
}

// The directory list's rows, and where typing in it goes from the row chosen now.
TEST(FileMasks, TypingANameGoesToTheNextRowStartingWithIt) {
    const std::vector<std::string> rows = {"C:\\", "Pictures", "alpha", "Apple",
                                           "beta", "\xc3\x9c" "bung", "\xc3\xbc" "ber", "alps"};
    struct Case { int current; const char* typed; bool newSearch; int row; } cases[] = {
        {1, "a", true, 2},     {2, "a", true, 3},       {7, "a", true, 2},        // after the current row, round
        {2, "al", false, 2},   {2, "alp", false, 2},    {2, "alps", false, 7},    // more letters stay while they match
        {3, "aa", false, 7},   {7, "aaa", false, 2},    {0, "B", true, 4},         // one letter again goes on; any case
        {0, "\xc3\x9c", true, 5}, {0, "\xc3\xbc", true, 6}, {0, "\xc3", true, 5},  // other letters as they are
        {0, "x", true, -1},    {-1, "p", true, 1},      {4, "", true, -1}};
    for (const Case& c : cases)
        EXPECT_EQ(TypedRow(rows, c.current, c.typed, c.newSearch), c.row) << c.current << " " << c.typed;
    EXPECT_EQ(TypedRow({}, 0, "a", true), -1);
}

}  // namespace
}  // namespace mx
