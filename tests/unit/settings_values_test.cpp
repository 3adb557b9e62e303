#include <gtest/gtest.h>

#include <climits>

#include "state/settings_values.h"
#include "system/boot_screens.h"

namespace mx {
namespace {

TEST(SettingsValues, NumbersSwitchesAndCategoriesReadFromText) {
    const std::optional<std::string> missing;
    struct Case { std::optional<std::string> text; int expected; } cases[] = {
        {missing, -9}, {"30", 30}, {"0x14", 20}, {"0X1f", 31}, {"-7", -7}, {"+7", 7}, {"-2147483648", INT_MIN},
        {"0xFFFFFFFF", -1}, {"", -9}, {"0x", -9}, {" 5", -9}, {"5 ", -9}, {"abc", -9}, {"--5", -9}, {"+-5", -9},
        {"0x-5", -9}, {"0x1G", -9}, {"2147483648", -9}, {"0x100000000", -9}};
    for (const Case& c : cases) EXPECT_EQ(ReadIntegerValue(c.text, -9), c.expected) << c.text.value_or("(missing)");

    EXPECT_FALSE(ReadBooleanValue("0", true));
    EXPECT_TRUE(ReadBooleanValue("2", false));
    EXPECT_TRUE(ReadBooleanValue(missing, true));
    EXPECT_FALSE(ReadBooleanValue("yes", false));  // no number: the default
    EXPECT_EQ(IntegerText(-30) + BooleanText(true) + BooleanText(false), "-3010");

    for (const char* code : {"10", "20", "30", "40"}) EXPECT_EQ(CategoryFromText(code), std::stoi(code));
    for (const char* other : {"25", "0", "", "Wallpaper", "-10"}) EXPECT_EQ(CategoryFromText(other), 10) << other;
}

TEST(SettingsValues, TheRandomizerIsNamedByTheCommandsFileNamePart) {
    // Quoted, as the program writes it, or unquoted, as earlier versions did.
    for (const char* on : {"C:\\TOOLS\\mxrandom.exe", "MXRandom.exe", "D:MXRANDOM.EXE", "\\\\srv\\s\\MXRandom.exe",
                           "\"C:\\Program Files\\Mosalux\\MXRandom.exe\""})
        EXPECT_TRUE(NamesRandomizer(on)) << on;
    for (const char* off : {"\"C:\\TOOLS\\MXRandom.exe\" /q", "C:\\TOOLS\\MXRandom.exe /q", "", "C:\\MXRandom.exe\\",
                            "MXRandom.exe.bak", "\"C:\\TOOLS\\MXRandom.exe", "\"", "\"C:\\\"a\\MXRandom.exe\""})
        EXPECT_FALSE(NamesRandomizer(off)) << off;
    EXPECT_EQ(RandomizerCommand("C:\\Program Files\\Mosalux\\"), "\"C:\\Program Files\\Mosalux\\MXRandom.exe\"");
}

TEST(BootScreens, SystemFilesLieInTheDriveRootAndTheWindowsDirectory) {
    struct Case { const char* windows; const char* start; const char* wait; const char* shut; } cases[] = {
        {"C:\\WINDOWS", "C:\\logo.sys", "C:\\WINDOWS\\logow.sys", "C:\\WINDOWS\\logos.sys"},
        {"C:\\", "C:\\logo.sys", "C:\\logow.sys", "C:\\logos.sys"},
        {"", "", "", ""}};  // the system did not say: nothing is copied to or deleted from anywhere
    for (const Case& c : cases) {
        EXPECT_EQ(BootScreenPathOf(c.windows, 10), c.start);
        EXPECT_EQ(BootScreenPathOf(c.windows, 20), c.wait);
        EXPECT_EQ(BootScreenPathOf(c.windows, 30), c.shut);
        EXPECT_EQ(BootScreenPathOf(c.windows, 40), "");
    }
    EXPECT_EQ(WindowsDirOf("C:\\WINDOWS"), "C:\\WINDOWS\\");
    EXPECT_EQ(WindowsDirOf("C:\\"), "C:\\");
}

}  // namespace
}  // namespace mx
