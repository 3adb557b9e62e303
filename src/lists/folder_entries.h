#pragma once
// A list entry may stand for a folder: every picture in it, or in it and its subfolders, found again
// at each run of the randomizer. In the selection file and in the lists it is an entry like a file's,
// whose name is "*" (the folder's own files) or "**" (with its subfolders): a name no file can have,
// so a program that knows nothing of folders takes it for a file it cannot open.
#include <string>
#include <string_view>

namespace mx {

enum class FolderScope { None, Folder, WithSubfolders };

inline constexpr std::string_view kFolderName = "*";
inline constexpr std::string_view kFolderTreeName = "**";

// What an entry's file name says it is.
inline FolderScope FolderScopeOf(std::string_view fileName) {
    if (fileName == kFolderName) return FolderScope::Folder;
    if (fileName == kFolderTreeName) return FolderScope::WithSubfolders;
    return FolderScope::None;
}
inline bool IsFolderEntry(std::string_view fileName) { return FolderScopeOf(fileName) != FolderScope::None; }

inline std::string_view FolderEntryName(FolderScope scope) {
    return scope == FolderScope::WithSubfolders ? kFolderTreeName : kFolderName;
}

// The name column's text for an entry: a folder is marked with a backslash before its stars ("\*",
// "\**"), as the end of its path would read; a file shows its name.
inline std::string_view EntryCaption(std::string_view fileName) {
    switch (FolderScopeOf(fileName)) {
    case FolderScope::Folder: return "\\*";
    case FolderScope::WithSubfolders: return "\\**";
    case FolderScope::None: break;
    }
    return fileName;
}

}  // namespace mx
