#include "lists/list_view.h"

#include <algorithm>

namespace mx {

void AddListColumns(HWND list, bool withStyle) {
    const char* names[] = {"Filename", "Path", "Style"};
    int count = withStyle ? 3 : 2;
    for (int i = 0; i < count; ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = const_cast<char*>(names[i]);
        column.cx = 60;
        column.iSubItem = i;
        ListView_InsertColumn(list, i, &column);
    }
    AutosizeColumns(list, withStyle);
}

std::string ItemText(HWND list, int item, int column) {
    std::string text(64, '\0');
    for (;;) {
        LVITEMA lv{};
        lv.iSubItem = column;
        lv.pszText = text.data();
        lv.cchTextMax = int(text.size());
        int n = int(::SendMessageA(list, LVM_GETITEMTEXTA, WPARAM(item), LPARAM(&lv)));
        if (n < int(text.size()) - 1) {
            text.resize(size_t(n));
            return text;
        }
        text.resize(text.size() * 4);
    }
}

int ItemCount(HWND list) { return ListView_GetItemCount(list); }
int SelectedCount(HWND list) { return int(ListView_GetSelectedCount(list)); }
bool IsSelected(HWND list, int item) { return ListView_GetItemState(list, item, LVIS_SELECTED) & LVIS_SELECTED; }

SelectionEntry EntryAt(HWND list, int item, bool withStyle) {
    SelectionEntry e;
    e.fileName = ItemText(list, item, ColumnFilename);
    e.directory = ItemText(list, item, ColumnPath);
    if (withStyle) e.style = ItemText(list, item, ColumnStyle);
    return e;
}

int SortedPosition(HWND list, const std::string& caption) {
    int low = 0, high = ItemCount(list);
    while (low < high) {
        int mid = low + (high - low) / 2;
        if (::lstrcmpA(ItemText(list, mid, ColumnFilename).c_str(), caption.c_str()) <= 0)
            low = mid + 1;
        else
            high = mid;
    }
    return low;
}

namespace {

void InsertAt(HWND list, int position, const SelectionEntry& entry, bool withStyle) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = position;
    item.pszText = const_cast<char*>(entry.fileName.c_str());
    int index = int(::SendMessageA(list, LVM_INSERTITEMA, 0, LPARAM(&item)));
    ListView_SetItemText(list, index, ColumnPath, const_cast<char*>(entry.directory.c_str()));
    if (withStyle) ListView_SetItemText(list, index, ColumnStyle, const_cast<char*>(entry.style.c_str()));
}

}  // namespace

int InsertSorted(HWND list, const SelectionEntry& entry, bool withStyle) {
    int position = SortedPosition(list, entry.fileName);
    InsertAt(list, position, entry, withStyle);
    AutosizeColumns(list, withStyle);
    return position;
}

void InsertSortedBatch(HWND list, std::vector<SelectionEntry> entries, bool withStyle) {
    if (entries.empty()) return;
    std::stable_sort(entries.begin(), entries.end(), [](const SelectionEntry& a, const SelectionEntry& b) {
        return ::lstrcmpA(a.fileName.c_str(), b.fileName.c_str()) < 0;
    });
    ::SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    // Merge from the back: every entry goes after the last item that does not sort after it.
    if (ItemCount(list) == 0) {
        for (size_t i = 0; i < entries.size(); ++i) InsertAt(list, int(i), entries[i], withStyle);
    } else {
        for (const SelectionEntry& e : entries) InsertAt(list, SortedPosition(list, e.fileName), e, withStyle);
    }
    AutosizeColumns(list, withStyle);
    ::SendMessageA(list, WM_SETREDRAW, TRUE, 0);
}

void AutosizeColumns(HWND list, bool withStyle) {
    // Fit the longest text but never shrink below the header's text.
    for (int column : {ColumnFilename, ColumnPath}) {
        ListView_SetColumnWidth(list, column, LVSCW_AUTOSIZE);
        int fit = ListView_GetColumnWidth(list, column);
        ListView_SetColumnWidth(list, column, LVSCW_AUTOSIZE_USEHEADER);
        if (ListView_GetColumnWidth(list, column) < fit) ListView_SetColumnWidth(list, column, fit);
    }
    if (withStyle) FillStyleColumn(list);
}

void FillStyleColumn(HWND list) { ListView_SetColumnWidth(list, ColumnStyle, LVSCW_AUTOSIZE_USEHEADER); }

}  // namespace mx
