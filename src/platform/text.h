#pragma once
// Text helpers of the program. Case folding touches the ASCII letters only, whatever the code page.
#include <string>
#include <string_view>

namespace mx {

inline char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }
inline char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

std::string UpperAscii(std::string_view s);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

// A directory with one backslash appended when it does not already end in one.
std::string WithTrailingBackslash(std::string_view dir);

// The full path of a file from its directory and name, as every list entry builds it.
std::string JoinPath(std::string_view dir, std::string_view name);

}  // namespace mx
