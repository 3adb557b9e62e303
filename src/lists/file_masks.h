#pragma once
// File-name masks of the browser's file list, the filter texts that offer them, and the forms in
// which the browser names its directories.
#include <string>
#include <string_view>
#include <vector>

namespace mx {

// One wildcard pattern against one file name: "*" stands for any run of characters, "?" for any one
// character (all the bytes of a UTF-8 character), and letters match without regard to ASCII case. As
// on Windows, a pattern ending in ".*" also matches the name without that extension ("*.*" matches
// "README"), and one ending in "." also matches names that have no dot.
bool MatchesPattern(std::string_view pattern, std::string_view name);

// Patterns separated by ";": a name is shown when it matches any of them. An empty pattern, such as
// the one after a trailing ";", matches nothing.
class FileMask {
public:
    FileMask() = default;
    explicit FileMask(std::string_view mask);
    bool Matches(std::string_view name) const;
    const std::string& Text() const { return text_; }

private:
    std::string text_;
    std::vector<std::string> patterns_;
};

// One choice of the filter box.
struct FilterItem {
    std::string description;
    std::string mask;
    bool operator==(const FilterItem&) const = default;
};

// A filter text is "description|mask|description|mask..."; a last description without its mask gets
// an empty one, which shows nothing.
std::vector<FilterItem> ParseFilterText(std::string_view filter);

// A directory as the file list reports it: without trailing backslashes, except at a drive root,
// which keeps its one ("C:\").
std::string BrowserDirectory(std::string_view path);

// The steps from the root down to a directory, as the directory list shows them: the root ("C:\" or
// "\\server\share\"), then each folder's name.
std::vector<std::string> PathSteps(std::string_view dir);

// The row a name typed in a list goes to: the first at or after `current` (after it, when the typing
// starts a new search) whose name starts with the typed text, ASCII letters without regard to case,
// wrapping round to the top; -1 when none does. Typing one letter again and again goes on to the
// next name with that letter.
int TypedRow(const std::vector<std::string>& names, int current, std::string_view typed, bool newSearch);

}  // namespace mx
