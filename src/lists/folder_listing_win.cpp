#include <windows.h>

#include "lists/folder_listing_win.h"

#include <algorithm>

#include "platform/code_page.h"
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
    if (!::GetFileAttributesExW(Widen(WithoutTrailingBackslash(path)).c_str(), GetFileExInfoStandard, &data)) {
        error = ::GetLastError();
        return false;
    }
    item.attributes = data.dwFileAttributes;
    item.lastWrite = FileTimeValue(data.ftLastWriteTime);
    return true;
}

// Through the wide calls: a name of the longest kind, 255 characters of a script that takes three
// bytes each in UTF-8, does not fit the 8-bit calls' 260 bytes.
bool SystemFolderSource::List(const std::string& folder, std::vector<FolderItem>& items, uint32_t& error) {
    const std::wstring pattern = Widen(WithTrailingBackslash(folder)) + L'*';
    WIN32_FIND_DATAW data;
    FindHandle find(::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                       FIND_FIRST_EX_LARGE_FETCH));
    // Systems before Windows 7 know neither.
    if (!find && ::GetLastError() == ERROR_INVALID_PARAMETER) find.reset(::FindFirstFileW(pattern.c_str(), &data));
    if (!find) {
        error = ::GetLastError();
        // An empty drive root has no entry at all, not even ".".
        if (error != ERROR_FILE_NOT_FOUND) return false;
        const DWORD attributes = ::GetFileAttributesW(Widen(WithoutTrailingBackslash(folder)).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) error = ::GetLastError();
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    do {
        const std::wstring_view name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        items.push_back({Narrow(name), data.dwFileAttributes, FileTimeValue(data.ftLastWriteTime)});
    } while (::FindNextFileW(find.get(), &data));
    error = ::GetLastError();
    return error == ERROR_NO_MORE_FILES;
}

bool SystemFolderSource::TracksFolderChanges(const std::string& folder) {
    wchar_t root[MAX_PATH + 1];
    if (!::GetVolumePathNameW(Widen(WithoutTrailingBackslash(folder)).c_str(), root, MAX_PATH + 1)) return false;
    const std::string key = UpperAscii(Narrow(root));
    auto known = tracking_.find(key);
    if (known != tracking_.end()) return known->second;
    wchar_t fileSystem[MAX_PATH + 1] = {};
    const bool tracks = ::GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, nullptr, fileSystem, MAX_PATH + 1) &&
                        (EqualsIgnoreCase(Narrow(fileSystem), "NTFS") || EqualsIgnoreCase(Narrow(fileSystem), "ReFS"));
    tracking_[key] = tracks;
    return tracks;
}

uint64_t SystemFolderSource::Now() {
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    return FileTimeValue(now);
}

}  // namespace mx
