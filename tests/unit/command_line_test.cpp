#include <gtest/gtest.h>

#include "app/command_line.h"

namespace mx {
namespace {

TEST(CommandLine, ArgumentsThatAskForTheUninstall) {
    for (const char* arg : {"/u", "-U", "+uninstall", "u", "UPDATE", "/UNINSTALL", "-x"})
        EXPECT_EQ(IsUninstallArgument(arg), arg[1] != 'x') << arg;
    EXPECT_TRUE(IsUninstallRequest({"x", "/u"}));  // every argument counts, not only the first
    EXPECT_TRUE(IsUninstallRequest({"/u", "x"}));
}

TEST(CommandLine, ArgumentsThatGiveANormalRun) {
    // Only one leading sign is removed; what is left must start with U.
    for (const char* arg : {"//u", "/", "-", "+", "", "x", "+-u", "Ü"})
        EXPECT_FALSE(IsUninstallArgument(arg)) << arg;
    EXPECT_FALSE(IsUninstallRequest({}));
    EXPECT_FALSE(IsUninstallRequest({"", "/", "//u"}));
}

TEST(ProgramDir, EndsInExactlyOneBackslash) {
    EXPECT_EQ(ProgramDirOf("C:\\Program Files\\Mosalux\\MXSelect.exe"), "C:\\Program Files\\Mosalux\\");
    EXPECT_EQ(ProgramDirOf("C:\\MXSelect.exe"), "C:\\");  // a program in a drive root
    EXPECT_EQ(ProgramDirOf("\\\\server\\share\\MXSelect.exe"), "\\\\server\\share\\");
}

}  // namespace
}  // namespace mx
