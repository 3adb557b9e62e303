#include "lists/directory_reader.h"

#include <windowsx.h>

#include <algorithm>

#include "lists/folder_listing_win.h"

namespace mx {

bool ReadDirectory(const std::string& dir, DirectoryContents& contents, DWORD& error) {
    contents = {};
    std::vector<FolderItem> items;
    uint32_t code = 0;
    // A listing broken off half-way shows what it read.
    if (!SystemFolderSource().List(dir, items, code) && items.empty()) {
        error = code;
        return false;
    }
    for (FolderItem& item : items) {
        if (item.attributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!(item.attributes & FILE_ATTRIBUTE_HIDDEN)) contents.subdirectories.push_back(std::move(item.name));
        } else if (!(item.attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))) {
            contents.files.push_back(std::move(item.name));
        }
    }
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
