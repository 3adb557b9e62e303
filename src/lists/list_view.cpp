#include "lists/list_view.h"

#include <windowsx.h>

#include <algorithm>

#include "lists/categories.h"
#include "platform/handles.h"
#include "platform/window.h"

namespace mx {

namespace {

constexpr const char* kPaddingProperty[] = {"MxPadFilename", "MxPadPath"};
// The width "Filename" would take to show its longest caption whole.
constexpr const char* kWantedFilenameProperty = "MxWantFilename";

int Padding(HWND list, int column) { return int(INT_PTR(::GetPropA(list, kPaddingProperty[column]))); }

// What the list view adds to a text's width when it fits a column to it: measured once on a probe
// row, so that fitting new rows later needs only their own widths.
void MeasurePadding(HWND list) {
    const char* probe = "Wg";
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.pszText = const_cast<char*>(probe);
    int row = int(::SendMessageA(list, LVM_INSERTITEMA, 0, LPARAM(&item)));
    ListView_SetItemText(list, row, ColumnPath, const_cast<char*>(probe));
    int text = ListView_GetStringWidth(list, probe);
    for (int column : {ColumnFilename, ColumnPath}) {
        ListView_SetColumnWidth(list, column, LVSCW_AUTOSIZE);
        ::SetPropA(list, kPaddingProperty[column], HANDLE(INT_PTR(ListView_GetColumnWidth(list, column) - text)));
    }
    ListView_DeleteItem(list, row);
}

void RemovePadding(HWND list) {
    for (const char* name : kPaddingProperty) ::RemovePropA(list, name);
    ::RemovePropA(list, kWantedFilenameProperty);
}

int ColumnCount(HWND list) { return Header_GetItemCount(ListView_GetHeader(list)); }

// The widths of "Filename", "Path" and "Style" for the list's client width: "Style" shows its longest name
// and "Filename" its longest caption, up to half of what "Style" leaves; "Path" takes the rest.
void LayOutColumns(HWND list) {
    if (ColumnCount(list) <= ColumnPath) return;
    bool withStyle = ColumnCount(list) > ColumnStyle;
    int style = 0;
    if (withStyle) {
        WindowDC dc(list);
        SelectGuard font(dc.get(), GetWindowFont(list));
        int widest = TextWidth(dc.get(), "Style");
        for (std::string_view name : kStyleNames) widest = std::max(widest, TextWidth(dc.get(), name));
        style = widest + Padding(list, ColumnPath);
    }
    // A column change can show or hide the scroll bars, which changes the client width: settle it.
    for (int pass = 0; pass < 3; ++pass) {
        RECT client{};
        ::GetClientRect(list, &client);
        int rest = std::max(0, int(client.right) - style);
        int filename = std::min(int(INT_PTR(::GetPropA(list, kWantedFilenameProperty))), rest / 2);
        int path = rest - filename;
        if (ListView_GetColumnWidth(list, ColumnFilename) == filename && ListView_GetColumnWidth(list, ColumnPath) == path &&
            (!withStyle || ListView_GetColumnWidth(list, ColumnStyle) == style))
            return;
        ListView_SetColumnWidth(list, ColumnFilename, filename);
        ListView_SetColumnWidth(list, ColumnPath, path);
        if (withStyle) ListView_SetColumnWidth(list, ColumnStyle, style);
    }
}

}  // namespace

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
    MeasurePadding(list);
    // "Filename" starts as wide as its header and grows to fit the captions added.
    HWND header = ListView_GetHeader(list);
    WindowDC dc(header);
    SelectGuard font(dc.get(), GetWindowFont(header));
    int wanted = TextWidth(dc.get(), names[ColumnFilename]) + Padding(list, ColumnFilename) + 4;
    ::SetPropA(list, kWantedFilenameProperty, HANDLE(INT_PTR(wanted)));
    LayOutColumns(list);
}

void ForgetListColumns(HWND list) { RemovePadding(list); }

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
    FitColumns(list, std::span(&entry, 1), withStyle);
    return position;
}

namespace {

bool InOrder(const std::string& a, const std::string& b) { return ::lstrcmpA(a.c_str(), b.c_str()) <= 0; }

// Sorts by caption in lstrcmpA's order. Sorting by the locale's sort keys is many times faster than
// calling lstrcmpA for every comparison; one pass of lstrcmpA over neighbours confirms the result,
// and any disagreement falls back to sorting with lstrcmpA itself.
void SortByCaption(std::vector<SelectionEntry>& entries) {
    std::vector<std::pair<std::string, size_t>> keys;
    keys.reserve(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        const std::string& name = entries[i].fileName;
        int n = ::LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY, name.c_str(), int(name.size()), nullptr, 0);
        std::string key(size_t(n > 0 ? n : 0), '\0');
        if (n > 0) ::LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY, name.c_str(), int(name.size()), key.data(), n);
        keys.emplace_back(std::move(key), i);
    }
    std::stable_sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<SelectionEntry> sorted;
    sorted.reserve(entries.size());
    for (const auto& k : keys) sorted.push_back(std::move(entries[k.second]));
    entries = std::move(sorted);
    for (size_t i = 1; i < entries.size(); ++i)
        if (!InOrder(entries[i - 1].fileName, entries[i].fileName)) {
            std::stable_sort(entries.begin(), entries.end(), [](const SelectionEntry& a, const SelectionEntry& b) {
                return !InOrder(b.fileName, a.fileName);
            });
            return;
        }
}

}  // namespace

void InsertSortedBatch(HWND list, std::vector<SelectionEntry> entries, bool withStyle) {
    if (entries.empty()) return;
    SortByCaption(entries);
    ::SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    // Merge from the back: every entry goes after the last item that does not sort after it.
    if (ItemCount(list) == 0) {
        ListView_SetItemCount(list, int(entries.size()));
        for (size_t i = 0; i < entries.size(); ++i) InsertAt(list, int(i), entries[i], withStyle);
    } else {
        for (const SelectionEntry& e : entries) InsertAt(list, SortedPosition(list, e.fileName), e, withStyle);
    }
    ::SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    // After the redraw is back on, when the list has set its scroll bars for the new rows.
    FitColumns(list, entries, withStyle);
}

void FitColumns(HWND list, std::span<const SelectionEntry> entries, bool) {
    // The longest caption in pixels, measured with the list's font; only new entries can widen it.
    WindowDC dc(list);
    SelectGuard font(dc.get(), GetWindowFont(list));
    int wanted = int(INT_PTR(::GetPropA(list, kWantedFilenameProperty)));
    for (const SelectionEntry& e : entries)
        wanted = std::max(wanted, TextWidth(dc.get(), e.fileName) + Padding(list, ColumnFilename));
    ::SetPropA(list, kWantedFilenameProperty, HANDLE(INT_PTR(wanted)));
    LayOutColumns(list);
}

void FillStyleColumn(HWND list) { LayOutColumns(list); }

void FitColumnsToWidth(HWND list) { LayOutColumns(list); }

}  // namespace mx
