#include "lists/directory_reader.h"

#include <windowsx.h>

#include <algorithm>

#include "platform/code_page.h"
#include "platform/handles.h"

namespace mx {

// Through the wide calls: a name of the longest kind, 255 characters of a script that takes three
// bytes each in UTF-8, does not fit the 8-bit calls' 260 bytes.
bool ReadDirectory(const std::string& dir, DirectoryContents& contents, DWORD& error) {
    contents = {};
    std::wstring pattern = Widen(dir);
    if (pattern.empty() || pattern.back() != L'\\') pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW data;
    // The basic information level skips the short names, and the large fetch asks for many names per
    // call: together they make directories of many thousands of files quick to read.
    FindHandle find(::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                       FIND_FIRST_EX_LARGE_FETCH));
    // Systems before Windows 7 know neither.
    if (!find && ::GetLastError() == ERROR_INVALID_PARAMETER) find.reset(::FindFirstFileW(pattern.c_str(), &data));
    if (!find) {
        error = ::GetLastError();
        // An empty drive root has no entry at all, not even ".".
        if (error != ERROR_FILE_NOT_FOUND) return false;
        DWORD attributes = ::GetFileAttributesW(Widen(dir).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            if (attributes == INVALID_FILE_ATTRIBUTES) error = ::GetLastError();
            return false;
        }
        return true;
    }
    do {
        DWORD attributes = data.dwFileAttributes;
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            std::wstring_view name = data.cFileName;
            if (name == L"." || name == L".." || (attributes & FILE_ATTRIBUTE_HIDDEN)) continue;
            contents.subdirectories.push_back(Narrow(name));
        } else if (!(attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))) {
            contents.files.push_back(Narrow(data.cFileName));
        }
    } while (::FindNextFileW(find.get(), &data));
    return true;
}

void SortAsListBox(std::vector<std::string>& names) {
    // A sorted list box compares its rows with CompareString in the user's locale, ignoring case.
    // Comparing the locale's sort keys orders names the same way, and each name is converted once
    // instead of at every comparison.
    struct Keyed {
        std::string key;
        size_t index;
    };
    std::vector<Keyed> keyed(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string& name = names[i];
        std::string& key = keyed[i].key;
        keyed[i].index = i;
        int size = ::LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, name.c_str(), int(name.size()),
                                  nullptr, 0);
        key.resize(size_t(std::max(size, 0)));
        if (size > 0)
            ::LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, name.c_str(), int(name.size()),
                           reinterpret_cast<char*>(key.data()), size);
    }
    std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) { return a.key < b.key; });
    std::vector<std::string> sorted;
    sorted.reserve(names.size());
    for (Keyed& k : keyed) sorted.push_back(std::move(names[k.index]));
    names = std::move(sorted);
}

std::vector<std::string> MatchingNamesSorted(std::vector<std::string> names, const FileMask& mask) {
    std::erase_if(names, [&](const std::string& name) { return !mask.Matches(name); });
    SortAsListBox(names);
    return names;
}

void FillListBox(HWND list, const std::vector<std::string>& rows) {
    size_t bytes = 0;
    for (const std::string& row : rows) bytes += row.size() + 1;
    ::SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    ListBox_ResetContent(list);
    ::SendMessageA(list, LB_INITSTORAGE, rows.size(), bytes);
    // Inserting at the end never searches for a place, even in a sorted list box: the rows arrive
    // sorted already, so each one costs the same however long the list grows.
    for (const std::string& row : rows) ListBox_InsertString(list, -1, row.c_str());
    ::SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list, nullptr, TRUE);
}

}  // namespace mx
