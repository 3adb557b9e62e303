#pragma once
// The four kinds of picture the program manages and the six wallpaper styles.
#include <array>
#include <string_view>

namespace mx {

// Stored in the settings as these numbers; no other value is ever held as the current category.
enum ScreenCategory : int {
    CategoryStart = 10,  // start-up screen
    CategoryWait = 20,   // waiting screen
    CategoryShut = 30,   // shut-down screen
    CategoryWall = 40,   // desktop wallpaper
};

inline bool IsScreenCategory(int code) {
    return code == CategoryStart || code == CategoryWait || code == CategoryShut || code == CategoryWall;
}
inline bool IsBootScreenCategory(int code) { return IsScreenCategory(code) && code != CategoryWall; }

// The style box's items, in the box's order.
inline constexpr std::array<std::string_view, 6> kStyleNames = {
    "Centred", "Stretched", "Tiled", "Fit 2 Screen", "Mirror", "Fill"};
inline constexpr std::string_view kDefaultStyle = "Centred";

}  // namespace mx
