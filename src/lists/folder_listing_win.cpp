#include <windows.h>

#include "lists/folder_listing_win.h"

#include <algorithm>

#include "platform/handles.h"
#include "platform/text.h"

namespace mx {

namespace {

uint64_t FileTimeValue(const FILETIME& time) { return (uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime; }

// The system asks for a folder without its trailing backslash ("C:\PICS\" names nothing when PICS is
// a file), except at a drive's or a share's root, which needs it.
std::string WithoutTrailingBackslash(const std::string& path) {
    if (path.size() < 2 || path.back() != '\\') return path;
    std::string trimmed = path.substr(0, path.size() - 1);
    if (trimmed.size() == 2 && trimmed[1] == ':') return path;
    if (trimmed.starts_with("\\\\") && std::count(trimmed.begin() + 2, trimmed.end(), '\\') < 2) return path;
    return trimmed;
}

}  // namespace

bool SystemFolderSource::Stat(const std::string& path, FolderItem& item, uint32_t& error) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(WithoutTrailingBackslash(path).c_str(), GetFileExInfoStandard, &data)) {
        error = ::GetLastError();
        return false;
    }
    item.attributes = data.dwFileAttributes;
    item.lastWrite = FileTimeValue(data.ftLastWriteTime);
    return true;
}

bool SystemFolderSource::List(const std::string& folder, std::vector<FolderItem>& items, uint32_t& error) {
    const std::string pattern = WithTrailingBackslash(folder) + '*';
    WIN32_FIND_DATAA data;
    FindHandle find(::FindFirstFileExA(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                       FIND_FIRST_EX_LARGE_FETCH));
    // Systems before Windows 7 know neither.
    if (!find && ::GetLastError() == ERROR_INVALID_PARAMETER) find.reset(::FindFirstFileA(pattern.c_str(), &data));
    if (!find) {
        error = ::GetLastError();
        // An empty drive root has no entry at all, not even ".".
        if (error != ERROR_FILE_NOT_FOUND) return false;
        const DWORD attributes = ::GetFileAttributesA(WithoutTrailingBackslash(folder).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) error = ::GetLastError();
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    do {
        const std::string_view name = data.cFileName;
        if (name == "." || name == "..") continue;
        items.push_back({std::string(name), data.dwFileAttributes, FileTimeValue(data.ftLastWriteTime)});
    } while (::FindNextFileA(find.get(), &data));
    error = ::GetLastError();
    return error == ERROR_NO_MORE_FILES;
}

bool SystemFolderSource::TracksFolderChanges(const std::string& folder) {
    char root[MAX_PATH + 1];
    if (!::GetVolumePathNameA(WithoutTrailingBackslash(folder).c_str(), root, sizeof root)) return false;
    auto known = tracking_.find(UpperAscii(root));
    if (known != tracking_.end()) return known->second;
    char fileSystem[MAX_PATH + 1] = {};
    const bool tracks = ::GetVolumeInformationA(root, nullptr, 0, nullptr, nullptr, nullptr, fileSystem,
                                                sizeof fileSystem) &&
                        (EqualsIgnoreCase(fileSystem, "NTFS") || EqualsIgnoreCase(fileSystem, "ReFS"));
    tracking_[UpperAscii(root)] = tracks;
    return tracks;
}

uint64_t SystemFolderSource::Now() {
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    return FileTimeValue(now);
}

}  // namespace mx
