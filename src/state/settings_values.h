#pragma once
// How the settings' values read and write: every value is stored as text, numbers in decimal and
// switches as "1" or "0". A value that is missing, or holds no number where one is expected, reads
// as the caller's default.
#include <optional>
#include <string>
#include <string_view>

namespace mx {

// Text longer than two characters that starts with "0x" or "0X" is hexadecimal (up to 32 bits, as
// the signed number with those bits); other text is decimal with an optional sign. Anything else,
// or a number that does not fit, gives the default.
int ReadIntegerValue(const std::optional<std::string>& text, int defaultValue);
// A switch is a number: any number but 0 is on.
bool ReadBooleanValue(const std::optional<std::string>& text, bool defaultValue);

std::string IntegerText(int value);
inline std::string BooleanText(bool value) { return value ? "1" : "0"; }

// The preview mode a stored number gives: 0, 10, 20 or 30 as stored; any other number is read as
// 30, both sources, whose menu item keeps its mark.
int PreviewModeOf(int stored);

// Whether a stored directory is text a directory's path can be: empty, or up to the system's longest
// path (32,767 UTF-16 units) with no control character and none of < > " | ? *.
inline constexpr size_t kLongestPath = 32767;
bool CanBeDirectory(std::string_view text);

// The stored category: one of 10, 20, 30 and 40, or the start-up screen's 10 for anything else.
int CategoryFromText(std::string_view text);

inline constexpr std::string_view kRandomizerFile = "MXRandom.exe";

// A start-up command that runs the program at `path`: the path in quotes, so that a path with blanks
// can never start a program named by its first word.
std::string QuotedCommand(std::string_view path);
// The start-up command of the randomizer in the program directory.
std::string RandomizerCommand(std::string_view programDir);

// The randomizer counts as registered when the start-up command is a path, in quotes or (as earlier
// versions wrote it) without, whose file-name part (after the last "\" or ":") is MXRANDOM.EXE in
// any case; arguments make it another command.
bool NamesRandomizer(std::string_view runCommand);

}  // namespace mx
