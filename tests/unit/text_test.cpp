#include "platform/text.h"

#include <gtest/gtest.h>

namespace mx {
namespace {

TEST(Text, Utf8IsRecognisedAndCountedAsTheSystemCountsPaths) {
    struct Case { std::string text; bool valid; size_t units; } cases[] = {
        {"", true, 0},
        {"C:\\Photos\\sea.jpg", true, 17},
        {"Caf\xc3\xa9 \xc3\xa9t\xc3\xa9.jpg", true, 12},                   // Latin-1 letters: two bytes each
        {"\xf0\x9f\x8c\x85 Sonne", true, 8},                               // an emoji: four bytes, two units
        {"Caf\xe9 \xe9t\xe9.jpg", false, 12},                              // the same name in code page 1252
        {"C:\\Photos\\Caf\xe9.jpg", false, 18},                            // after eight bytes of ASCII
        {"\xc3", false, 1},                                                // cut off
        {"\xc0\xaf", false, 2},                                            // an overlong "/"
        {"\xed\xa0\x80", false, 3},                                        // a surrogate
        {"\x80", false, 1}};
    for (const Case& c : cases) {
        EXPECT_EQ(IsValidUtf8(c.text), c.valid) << c.text;
        EXPECT_EQ(Utf16Length(c.text), c.units) << c.text;
    }
    // Cutting a text at a byte keeps no part of a character: "a", two bytes, three, four, "b".
    const std::string mixed = "a\xc3\xa9\xe6\x97\x85\xf0\x9f\x8c\x85" "b";
    const size_t starts[] = {0, 1, 1, 3, 3, 3, 6, 6, 6, 6, 10, 11};
    for (size_t pos = 0; pos <= mixed.size(); ++pos) EXPECT_EQ(CharacterStart(mixed, pos), starts[pos]) << pos;
    EXPECT_EQ(CharacterStart("Caf\xe9\xe9", 4), 4u);  // code page 1252: every byte a character
}

}  // namespace
}  // namespace mx
