#pragma once
// Text helpers of the program. The program's text is the system's 8-bit code page, which is UTF-8
// wherever the system honours the programs' manifests; case folding touches the ASCII letters only,
// which never changes a byte of a longer UTF-8 character.
#include <cstddef>
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

// Whether the bytes are well-formed UTF-8: no stray or missing continuation bytes, no overlong forms,
// no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view text);

// The bytes of the character that starts at `pos`: the whole of a well-formed UTF-8 sequence, else 1.
size_t CharacterBytes(std::string_view text, size_t pos);

// Where the character that holds byte `pos` starts: a text cut there keeps no part of a UTF-8
// character. `pos` itself where a character starts there (or at the end).
size_t CharacterStart(std::string_view text, size_t pos);

// The length in UTF-16 units the system counts paths in, of UTF-8 text (any other byte counts one).
size_t Utf16Length(std::string_view text);

}  // namespace mx
