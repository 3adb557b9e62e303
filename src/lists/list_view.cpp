#include "lists/list_view.h"

#include <windowsx.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <unordered_map>

#include "lists/categories.h"
#include "lists/folder_entries.h"
#include "platform/code_page.h"
#include "platform/handles.h"
#include "platform/joined_thread.h"
#include "platform/text.h"
#include "platform/window.h"

namespace mx {

std::string ItemText(HWND list, int item, int column) {
    std::string text(64, '\0');
    for (;;) {
        LVITEMA lv{};
        lv.iSubItem = column;
        lv.pszText = text.data();
        lv.cchTextMax = int(text.size());
        int n = int(::SendMessageA(list, LVM_GETITEMTEXTA, WPARAM(item), LPARAM(&lv)));
        // A text cut short may stop up to a character before the end: the whole of it fits only when
        // more than a character's room is left.
        if (n < int(text.size()) - 4) {
            text.resize(size_t(n));
            return text;
        }
        text.resize(text.size() * 4);
    }
}

int ItemCount(HWND list) { return ListView_GetItemCount(list); }
int SelectedCount(HWND list) { return int(ListView_GetSelectedCount(list)); }
bool IsSelected(HWND list, int item) { return ListView_GetItemState(list, item, LVIS_SELECTED) & LVIS_SELECTED; }

namespace {

// The widths of characters in a device context's font, to estimate how wide captions are: the bytes
// of the 8-bit calls from one call, every character of more bytes measured once, as UTF-16, the way
// the system measures the text it shows.
class CharacterWidths {
public:
    explicit CharacterWidths(HDC dc) : dc_(dc) {
        if (!::GetCharWidth32A(dc, 0, 255, bytes_)) std::fill(std::begin(bytes_), std::end(bytes_), 1);
    }
    long long Of(std::string_view text) {
        long long width = 0;
        for (size_t pos = 0; pos < text.size();) {
            const auto c = static_cast<unsigned char>(text[pos]);
            const size_t n = c < 0x80 ? 1 : CharacterBytes(text, pos);
            width += n == 1 ? bytes_[c] : Character(text.substr(pos, n));
            pos += n;
        }
        return width;
    }

private:
    int Character(std::string_view bytes) {
        auto [known, added] = others_.try_emplace(std::string(bytes), 0);
        if (added) known->second = mx::TextWidth(dc_, bytes);
        return known->second;
    }
    HDC dc_;
    int bytes_[256] = {};
    std::unordered_map<std::string, int> others_;
};

// Captions are followed by a NUL in the list, so they go to lstrcmpA as they lie.
int CompareCaptions(std::string_view a, std::string_view b) { return ::lstrcmpA(a.data(), b.data()); }

}  // namespace

size_t SortedPosition(const SelectionList& list, const std::string& caption) {
    size_t low = 0, high = list.size();
    while (low < high) {
        size_t mid = low + (high - low) / 2;
        if (CompareCaptions(list.FileName(mid), caption) <= 0)
            low = mid + 1;
        else
            high = mid;
    }
    return low;
}

namespace {

// The sort keys of captions first to last - 1, one after another in `keys`, the start of each in
// `starts` (one more at the end). One call a caption, into room on the stack that fits any usual key;
// only a longer key is asked for again.
struct SortKeys {
    std::string keys;
    std::vector<uint32_t> starts;
    std::string_view Key(size_t i) const { return std::string_view(keys).substr(starts[i], starts[i + 1] - starts[i]); }
};

SortKeys MakeSortKeys(const SelectionList& list, size_t first, size_t last, LCID locale) {
    SortKeys made;
    made.starts.reserve(last - first + 1);
    // Room that is never written is never touched: this much costs no memory beyond the keys made.
    made.keys.reserve(64 * (last - first));
    char room[1024];
    std::string longer;
    for (size_t i = first; i < last; ++i) {
        std::string_view name = list.FileName(i);
        made.starts.push_back(uint32_t(made.keys.size()));
        int length = ::LCMapStringA(locale, LCMAP_SORTKEY, name.data(), int(name.size()), room, int(sizeof room));
        if (length > 0) {
            made.keys.append(room, size_t(length));
            continue;
        }
        // Longer than the room; a caption the system cannot map has an empty key.
        length = ::LCMapStringA(locale, LCMAP_SORTKEY, name.data(), int(name.size()), nullptr, 0);
        if (length <= 0) continue;
        longer.resize(size_t(length));
        length = ::LCMapStringA(locale, LCMAP_SORTKEY, name.data(), int(name.size()), longer.data(), length);
        made.keys.append(longer, 0, size_t(std::max(length, 0)));
    }
    made.starts.push_back(uint32_t(made.keys.size()));
    return made;
}

// The bytes of a key in their order, eight at a time: keys of similar names share long beginnings.
uint64_t BigEndianWord(const char* bytes) {
    unsigned char b[8];
    std::memcpy(b, bytes, 8);
    return uint64_t(b[0]) << 56 | uint64_t(b[1]) << 48 | uint64_t(b[2]) << 40 | uint64_t(b[3]) << 32 |
           uint64_t(b[4]) << 24 | uint64_t(b[5]) << 16 | uint64_t(b[6]) << 8 | uint64_t(b[7]);
}

// Keys compare as unsigned bytes, as memcmp compares them.
bool KeyBefore(std::string_view a, std::string_view b) {
    const size_t common = std::min(a.size(), b.size());
    size_t i = 0;
    for (; i + 8 <= common; i += 8) {
        uint64_t x = BigEndianWord(a.data() + i), y = BigEndianWord(b.data() + i);
        if (x != y) return x < y;
    }
    for (; i < common; ++i)
        if (a[i] != b[i]) return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[i]);
    return a.size() < b.size();
}

}  // namespace

// lstrcmpA compares in the thread's locale as its sort keys do, and calling it for every comparison is
// many times slower than making each caption's key once. A long list's keys are made on two threads,
// half each. A list read from the file is usually in order already, since the file is written in it:
// then nothing moves.
void SortByCaption(SelectionList& list, LCID locale) {
    const size_t n = list.size();
    if (n < 2) return;
    constexpr size_t kKeysOnTwoThreads = 2048;
    const size_t half = n >= kKeysOnTwoThreads ? n / 2 : n;
    SortKeys second;
    std::optional<JoinedThread> helper;
    if (half < n) helper.emplace([&] { second = MakeSortKeys(list, half, n, locale); });
    const SortKeys first = MakeSortKeys(list, 0, half, locale);
    if (helper) helper->Join();
    auto key = [&](uint32_t i) { return i < half ? first.Key(i) : second.Key(i - half); };
    auto before = [&](uint32_t a, uint32_t b) { return KeyBefore(key(a), key(b)); };
    std::vector<uint32_t> order(n);
    std::iota(order.begin(), order.end(), 0u);
    if (std::is_sorted(order.begin(), order.end(), before)) return;
    std::stable_sort(order.begin(), order.end(), before);
    list.Reorder(order);
}

namespace {

int ColumnCount(HWND list) { return Header_GetItemCount(ListView_GetHeader(list)); }

// The rows as the list view has them; the program changes them with its redrawing off, so that a
// change of many rows is painted once, not row by row.
class RedrawOff {
public:
    explicit RedrawOff(HWND list, bool off = true) : list_(off ? list : nullptr) {
        if (list_) ::SendMessageA(list_, WM_SETREDRAW, FALSE, 0);
    }
    ~RedrawOff() {
        if (list_) {
            ::SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
            ::InvalidateRect(list_, nullptr, TRUE);
        }
    }
    RedrawOff(const RedrawOff&) = delete;
    RedrawOff& operator=(const RedrawOff&) = delete;

private:
    HWND list_;
};

class Flag {
public:
    explicit Flag(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
    ~Flag() { flag_ = old_; }
    Flag(const Flag&) = delete;
    Flag& operator=(const Flag&) = delete;

private:
    bool& flag_;
    bool old_;
};

void SetRowState(HWND list, int item, UINT state, UINT mask) { ListView_SetItemState(list, item, state, mask); }

}  // namespace

void SelectionListView::Bind(SelectionList& entries, std::function<void()> changed) {
    entries_ = &entries;
    changed_ = std::move(changed);
}

void SelectionListView::Attach(HWND list, const SelectionListView* like) {
    hwnd_ = list;
    // Made before the subclass, the columns' messages skip its dispatch (a window property read per
    // message under Wine).
    AddColumns(like);
    Subclass(hwnd_, InputProc, this);
    ShowRows();
}

void SelectionListView::Detach() {
    if (hwnd_) Unsubclass(hwnd_);
    hwnd_ = nullptr;
}

void SelectionListView::EnsureSorted() {
    if (!unsorted_) return;
    unsorted_ = false;
    SortByCaption(*entries_, ::GetThreadLocale());
}

SelectionList& SelectionListView::Entries() {
    EnsureSorted();
    // A report the list view leaves out (a range of one row selected with Shift) shows as a count that
    // differs: the selection is then read from the list view.
    if (hwnd_ && !pushing_ && size_t(SelectedCount(hwnd_)) != entries_->SelectedCount()) {
        entries_->SelectAll(false);
        for (int i = -1; (i = ListView_GetNextItem(hwnd_, i, LVNI_SELECTED)) >= 0 && size_t(i) < entries_->size();)
            entries_->Select(size_t(i), true);
    }
    return *entries_;
}

int SelectionListView::FocusedItem() const { return hwnd_ ? ListView_GetNextItem(hwnd_, -1, LVNI_FOCUSED) : -1; }

std::string_view SelectionListView::CellText(int item, int column) const {
    if (probe_) return probe_;
    if (item < 0 || size_t(item) >= entries_->size()) return {};
    switch (column) {
    case ColumnFilename: return EntryCaption(entries_->FileName(size_t(item)));
    case ColumnPath: return entries_->Directory(size_t(item));
    case ColumnStyle: return entries_->WithStyle() ? StyleName(entries_->Style(size_t(item))) : std::string_view();
    }
    return {};
}

std::optional<LRESULT> SelectionListView::OnNotify(const NMHDR& header) {
    if (!hwnd_ || header.hwndFrom != hwnd_) return std::nullopt;
    // Every row number the list view gives is one of the list's order.
    EnsureSorted();
    switch (header.code) {
    case LVN_GETDISPINFOA: {
        LVITEMA& item = const_cast<NMLVDISPINFOA&>(reinterpret_cast<const NMLVDISPINFOA&>(header)).item;
        if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
            std::string_view text = CellText(item.iItem, item.iSubItem);
            size_t n = CharacterStart(text, std::min(text.size(), size_t(item.cchTextMax) - 1));
            std::copy_n(text.data(), n, item.pszText);
            item.pszText[n] = '\0';
        }
        return 0;
    }
    case LVN_GETDISPINFOW: {
        LVITEMW& item = const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(header)).item;
        if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
            // A text longer than the room the list view gives is cut after a whole character.
            const std::wstring text = Widen(CellText(item.iItem, item.iSubItem));
            size_t n = std::min(text.size(), size_t(item.cchTextMax) - 1);
            if (n < text.size() && n > 0 && IS_HIGH_SURROGATE(text[n - 1])) --n;
            std::copy_n(text.data(), n, item.pszText);
            item.pszText[n] = L'\0';
        }
        return 0;
    }
    case LVN_ODFINDITEMA: {
        const auto& find = reinterpret_cast<const NMLVFINDITEMA&>(header);
        if (!find.lvfi.psz) return -1;
        return FindItem(size_t(std::max(find.iStart, 0)), find.lvfi.flags, find.lvfi.psz);
    }
    case LVN_ODFINDITEMW: {
        const auto& find = reinterpret_cast<const NMLVFINDITEMW&>(header);
        if (!find.lvfi.psz) return -1;
        int n = ::WideCharToMultiByte(CP_ACP, 0, find.lvfi.psz, -1, nullptr, 0, nullptr, nullptr);
        std::string text(size_t(std::max(n, 1)), '\0');
        ::WideCharToMultiByte(CP_ACP, 0, find.lvfi.psz, -1, text.data(), n, nullptr, nullptr);
        text.resize(text.size() - 1);
        return FindItem(size_t(std::max(find.iStart, 0)), find.lvfi.flags, text);
    }
    case LVN_ITEMCHANGED: FollowItemChange(reinterpret_cast<const NMLISTVIEW&>(header)); return 0;
    case LVN_ODSTATECHANGED: FollowRangeChange(reinterpret_cast<const NMLVODSTATECHANGE&>(header)); return 0;
    case LVN_ODCACHEHINT:
    case LVN_DELETEALLITEMS: return 0;
    }
    return std::nullopt;
}

// Typing the first letters of a name: the first caption from the row after the focused one that starts
// with them, compared as the system compares names without regard to case.
LRESULT SelectionListView::FindItem(size_t start, UINT flags, const std::string& text) const {
    if (!(flags & (LVFI_STRING | LVFI_PARTIAL)) || text.empty()) return -1;
    bool partial = flags & LVFI_PARTIAL;
    auto matches = [&](std::string_view caption) {
        if (partial ? caption.size() < text.size() : caption.size() != text.size()) return false;
        if (CharacterStart(caption, text.size()) != text.size()) return false;  // only part of a character
        return ::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, caption.data(), int(text.size()), text.data(),
                                int(text.size())) == CSTR_EQUAL;
    };
    std::optional<size_t> found = entries_->Find(start, flags & LVFI_WRAP, matches);
    return found ? LRESULT(*found) : -1;
}

void SelectionListView::FollowItemChange(const NMLISTVIEW& change) {
    if (pushing_ || !(change.uChanged & LVIF_STATE)) return;
    bool selected = change.uNewState & LVIS_SELECTED;
    bool changedSelection = (change.uNewState ^ change.uOldState) & LVIS_SELECTED;
    if (change.iItem < 0) {
        // All rows at once: "select all", or "deselect all" when some were selected.
        if (changedSelection) entries_->SelectAll(selected);
    } else if (changedSelection && size_t(change.iItem) < entries_->size()) {
        entries_->Select(size_t(change.iItem), selected);
    }
    Report();
}

void SelectionListView::FollowRangeChange(const NMLVODSTATECHANGE& change) {
    if (pushing_) return;
    if ((change.uNewState ^ change.uOldState) & LVIS_SELECTED)
        entries_->SelectRange(size_t(std::max(change.iFrom, 0)), size_t(std::max(change.iTo, -1)) + 1,
                              change.uNewState & LVIS_SELECTED);
    Report();
}

// A click or key of the user's can change many rows; the list's change report comes once, after it.
void SelectionListView::Report() {
    if (inInput_ > 0) reportPending_ = true;
    else if (changed_) changed_();
}

LRESULT SelectionListView::InputProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, void* data) {
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_KEYDOWN:
    case WM_CHAR: return static_cast<SelectionListView*>(data)->OnInput(msg, wp, lp);
    case WM_SHOWWINDOW: {
        auto* self = static_cast<SelectionListView*>(data);
        if (wp && self->unfitted_) self->FitToCaptions();
        else if (wp) self->ShareWidth();
        break;
    }
    }
    return CallSubclassed(hwnd, msg, wp, lp);
}

LRESULT SelectionListView::OnInput(UINT msg, WPARAM wp, LPARAM lp) {
    HWND hwnd = hwnd_;
    // With many rows selected, a click or key that selects one row unselects the others row by row:
    // they are painted once at the end. A plain click does that whatever it hits, so the others are
    // unselected in one step before it.
    bool many = Entries().SelectedCount() > 1;
    if (many && msg == WM_LBUTTONDOWN && !(wp & (MK_CONTROL | MK_SHIFT))) {
        ClearShownSelection();
        entries_->SelectAll(false);
        reportPending_ = true;
    }
    ++inInput_;
    LRESULT result;
    {
        RedrawOff quiet(hwnd, many);
        result = CallSubclassed(hwnd, msg, wp, lp);
    }
    if (--inInput_ == 0 && reportPending_ && hwnd_ == hwnd) {
        reportPending_ = false;
        Entries();
        if (changed_) changed_();
    }
    return result;
}

void SelectionListView::ScrollTo(int top) {
    int now = ListView_GetTopIndex(hwnd_);
    RECT row{};
    if (now == top || !ListView_GetItemRect(hwnd_, 0, &row, LVIR_BOUNDS)) return;
    ListView_Scroll(hwnd_, 0, (top - now) * (row.bottom - row.top));
}

void SelectionListView::ClearShownSelection() {
    Flag pushing(pushing_);
    int top = ListView_GetTopIndex(hwnd_);
    int focus = FocusedItem();
    int mark = ListView_GetSelectionMark(hwnd_);
    int count = ItemCount(hwnd_);
    // Emptying the list view forgets its selection at once; unselecting all rows goes row by row.
    ListView_DeleteAllItems(hwnd_);
    ListView_SetItemCountEx(hwnd_, count, LVSICF_NOSCROLL);
    ScrollTo(top);
    if (focus >= 0) SetRowState(hwnd_, focus, LVIS_FOCUSED, LVIS_FOCUSED);
    ListView_SetSelectionMark(hwnd_, mark);
}

// The rows that differ go one by one, in the order that keeps the list view's record of selected
// ranges short: from none upwards, or from all downwards, whichever changes fewer rows.
void SelectionListView::ShowSelection() {
    Flag pushing(pushing_);
    RedrawOff quiet(hwnd_);
    const size_t n = entries_->size(), selected = entries_->SelectedCount();
    if (selected <= n - selected) {
        ClearShownSelection();
        for (size_t i = 0; i < n && selected > 0; ++i)
            if (entries_->Selected(i)) SetRowState(hwnd_, int(i), LVIS_SELECTED, LVIS_SELECTED);
    } else {
        SetRowState(hwnd_, -1, LVIS_SELECTED, LVIS_SELECTED);
        for (size_t i = n; i-- > 0;)
            if (!entries_->Selected(i)) SetRowState(hwnd_, int(i), 0, LVIS_SELECTED);
    }
}

void SelectionListView::Reload(bool inOrder) {
    unsorted_ = !inOrder;
    if (hwnd_) ShowRows();
}

void SelectionListView::ShowRows() {
    // An empty list view given no rows is left alone: a new count costs about a millisecond under Wine.
    if (!entries_->empty() || ItemCount(hwnd_) > 0) {
        Flag pushing(pushing_);
        ListView_SetItemCountEx(hwnd_, int(entries_->size()), LVSICF_NOSCROLL);
    }
    unfitted_ = true;
    // A list shown later is fitted as it is shown (WM_SHOWWINDOW).
    if (::GetWindowLongPtrA(hwnd_, GWL_STYLE) & WS_VISIBLE) FitToCaptions();
}

void SelectionListView::FitToCaptions() {
    unfitted_ = false;
    // The widest caption is measured for the few captions that the font's character widths make the
    // widest, not for every entry.
    WindowDC dc(hwnd_);
    SelectGuard font(dc.get(), GetWindowFont(hwnd_));
    CharacterWidths widths(dc.get());
    std::vector<std::pair<long long, uint32_t>> estimates;
    estimates.reserve(entries_->size());
    for (size_t i = 0; i < entries_->size(); ++i) estimates.emplace_back(widths.Of(entries_->FileName(i)), uint32_t(i));
    constexpr size_t kMeasured = 64;
    size_t measured = std::min(kMeasured, estimates.size());
    std::partial_sort(estimates.begin(), estimates.begin() + std::ptrdiff_t(measured), estimates.end(),
                      [](const auto& a, const auto& b) { return a.first > b.first; });
    int widest = 0;
    for (size_t i = 0; i < measured; ++i)
        widest = std::max(widest, mx::TextWidth(dc.get(), entries_->FileName(estimates[i].second)));
    FitFilenameTo(widest);
}

void SelectionListView::Add(const SelectionEntry& entry) {
    waiting_.push_back(entry);
    if (!Batching()) Flush();
}

void SelectionListView::EndBatch() {
    if (--batch_ == 0) Flush();
}

void SelectionListView::Flush() {
    if (waiting_.empty()) return;
    std::vector<SelectionEntry> added = std::move(waiting_);
    waiting_.clear();
    SelectionList& entries = Entries();
    // Each new entry goes after every entry that lstrcmpA does not order after it, the entries added
    // earlier included: by its place among the entries there were, then among the new ones.
    std::vector<std::pair<size_t, uint32_t>> places;
    places.reserve(added.size());
    for (size_t i = 0; i < added.size(); ++i) places.emplace_back(SortedPosition(entries, added[i].fileName), uint32_t(i));
    std::stable_sort(places.begin(), places.end(), [&](const auto& a, const auto& b) {
        if (a.first != b.first) return a.first < b.first;
        return CompareCaptions(added[a.second].fileName, added[b.second].fileName) < 0;
    });
    std::vector<SelectionList::Insertion> insertions;
    std::vector<size_t> positions;
    for (const auto& [position, i] : places) {
        insertions.push_back({position, added[i].directory, added[i].fileName,
                              StyleNamed(added[i].style).value_or(kCentredStyle)});
        positions.push_back(position);
    }
    const size_t first = positions.front(), oldCount = entries.size();
    std::vector<bool> shownSelected(oldCount - first);
    for (size_t i = first; i < oldCount; ++i) shownSelected[i - first] = entries.Selected(i);
    int focus = FocusedItem();
    int mark = ListView_GetSelectionMark(hwnd_);
    entries.InsertMany(insertions);
    auto moved = [&](int row) {
        return row < 0 ? row : row + int(std::upper_bound(positions.begin(), positions.end(), size_t(row)) - positions.begin());
    };
    {
        Flag pushing(pushing_);
        RedrawOff quiet(hwnd_);
        const size_t n = entries.size();
        ListView_SetItemCountEx(hwnd_, int(n), LVSICF_NOSCROLL);
        // The list view's rows from the first new one down keep their old selection: only the rows whose
        // selection differs from the entry now there change, the last first.
        if (entries.SelectedCount() > 0) {
            for (size_t i = n; i-- > first;) {
                bool shown = i < oldCount && shownSelected[i - first];
                if (shown != entries.Selected(i))
                    SetRowState(hwnd_, int(i), entries.Selected(i) ? LVIS_SELECTED : 0, LVIS_SELECTED);
            }
        }
        if (moved(focus) != focus) SetRowState(hwnd_, moved(focus), LVIS_FOCUSED, LVIS_FOCUSED);
        if (moved(mark) != mark) ListView_SetSelectionMark(hwnd_, moved(mark));
    }
    int widest = 0;
    {
        WindowDC dc(hwnd_);
        SelectGuard font(dc.get(), GetWindowFont(hwnd_));
        for (const SelectionEntry& e : added) widest = std::max(widest, mx::TextWidth(dc.get(), e.fileName));
    }
    FitFilenameTo(widest);
}

size_t SelectionListView::RemoveSelected() {
    SelectionList& entries = Entries();
    if (entries.SelectedCount() == 0) return 0;
    int focus = FocusedItem();
    int mark = ListView_GetSelectionMark(hwnd_);
    size_t left = entries.size() - entries.SelectedCount();
    // As when the rows go one by one: the focus and the mark move to the row that followed theirs.
    auto after = [&](int item) { return item < 0 || left == 0 ? -1 : int(std::min(entries.UnselectedBefore(size_t(item)), left - 1)); };
    int newFocus = after(focus), newMark = after(mark);
    int top = ListView_GetTopIndex(hwnd_);
    size_t removed = entries.RemoveSelected();
    {
        Flag pushing(pushing_);
        RedrawOff quiet(hwnd_);
        ListView_DeleteAllItems(hwnd_);
        ListView_SetItemCountEx(hwnd_, int(left), LVSICF_NOSCROLL);
        ScrollTo(top);
        if (newFocus >= 0) SetRowState(hwnd_, newFocus, LVIS_FOCUSED, LVIS_FOCUSED);
        ListView_SetSelectionMark(hwnd_, newMark);
    }
    FitColumnsToWidth();
    return removed;
}

bool SelectionListView::SelectAll() {
    SelectionList& entries = Entries();
    if (entries.SelectedCount() == entries.size()) return false;
    {
        Flag pushing(pushing_);
        RedrawOff quiet(hwnd_);
        SetRowState(hwnd_, -1, LVIS_SELECTED, LVIS_SELECTED);
    }
    entries.SelectAll(true);
    return true;
}

bool SelectionListView::InvertSelection() {
    SelectionList& entries = Entries();
    if (entries.empty()) return false;
    entries.InvertSelection();
    ShowSelection();
    return true;
}

size_t SelectionListView::SetStyleOfSelected(WallpaperStyle style) {
    size_t changed = Entries().SetStyleOfSelected(style);
    if (changed) ::InvalidateRect(hwnd_, nullptr, TRUE);
    return changed;
}

void SelectionListView::AddColumns(const SelectionListView* like) {
    const char* names[] = {"Filename", "Path", "Style"};
    const bool withStyle = entries_->WithStyle();
    int header = 0;
    {
        HWND control = ListView_GetHeader(hwnd_);
        WindowDC dc(control);
        SelectGuard font(dc.get(), GetWindowFont(control));
        header = mx::TextWidth(dc.get(), names[ColumnFilename]);
    }
    // "Filename" starts as wide as its header and grows to fit the captions added. A list view made
    // like another has its columns made at their widths, since it takes the other's measure.
    if (like) std::copy(std::begin(like->padding_), std::end(like->padding_), padding_);
    wantedFilename_ = header + padding_[ColumnFilename] + 4;
    const std::array<int, 3> widths = like ? ColumnShares(withStyle) : std::array<int, 3>{60, 60, 60};
    {
        // With its redrawing off the list view sets its scroll bars once, not at every column (about
        // 0.3 ms each under Wine).
        RedrawOff quiet(hwnd_);
        for (int i = 0; i < (withStyle ? 3 : 2); ++i) {
            LVCOLUMNA column{};
            column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
            column.pszText = const_cast<char*>(names[i]);
            column.cx = widths[size_t(i)];
            column.iSubItem = i;
            ListView_InsertColumn(hwnd_, i, &column);
        }
        if (!like) {
            MeasurePadding();
            wantedFilename_ = header + padding_[ColumnFilename] + 4;
        }
    }
    FitColumnsToWidth();
}

// What the list view adds to a text's width when it fits a column to it: measured once on a probe
// row, so that fitting new rows later needs only their own widths.
void SelectionListView::MeasurePadding() {
    Flag pushing(pushing_);
    probe_ = "Wg";
    ListView_SetItemCountEx(hwnd_, 1, LVSICF_NOSCROLL);
    int text = ListView_GetStringWidth(hwnd_, probe_);
    for (int column : {ColumnFilename, ColumnPath}) {
        ListView_SetColumnWidth(hwnd_, column, LVSCW_AUTOSIZE);
        padding_[column] = ListView_GetColumnWidth(hwnd_, column) - text;
    }
    ListView_SetItemCountEx(hwnd_, 0, LVSICF_NOSCROLL);
    probe_ = nullptr;
}

void SelectionListView::FitFilenameTo(int captionWidth) {
    wantedFilename_ = std::max(wantedFilename_, captionWidth + padding_[ColumnFilename]);
    ShareWidth();
}

void SelectionListView::FitColumnsToWidth() {
    // A hidden list's width is shared out as it is shown (WM_SHOWWINDOW): given its rows while hidden,
    // it would fit its columns now, and again to the scroll bar that the rows bring.
    if (hwnd_ && (::GetWindowLongPtrA(hwnd_, GWL_STYLE) & WS_VISIBLE)) ShareWidth();
}

void SelectionListView::ShareWidth() {
    if (!hwnd_ || ColumnCount(hwnd_) <= ColumnPath) return;
    const bool withStyle = ColumnCount(hwnd_) > ColumnStyle;
    // A column change can show or hide the scroll bars, which changes the client width: settle it.
    for (int pass = 0; pass < 3; ++pass) {
        const auto [filename, path, style] = ColumnShares(withStyle);
        if (ListView_GetColumnWidth(hwnd_, ColumnFilename) == filename && ListView_GetColumnWidth(hwnd_, ColumnPath) == path &&
            (!withStyle || ListView_GetColumnWidth(hwnd_, ColumnStyle) == style))
            return;
        ListView_SetColumnWidth(hwnd_, ColumnFilename, filename);
        ListView_SetColumnWidth(hwnd_, ColumnPath, path);
        if (withStyle) ListView_SetColumnWidth(hwnd_, ColumnStyle, style);
    }
}

std::array<int, 3> SelectionListView::ColumnShares(bool withStyle) {
    int style = 0;
    if (withStyle) {
        // Measured again only when the list has a new font (on a screen of another DPI).
        HFONT font = GetWindowFont(hwnd_);
        if (font != styleFont_ || styleWidth_ == 0) {
            WindowDC dc(hwnd_);
            SelectGuard select(dc.get(), font);
            int widest = mx::TextWidth(dc.get(), "Style");
            for (std::string_view name : kStyleNames) widest = std::max(widest, mx::TextWidth(dc.get(), name));
            styleWidth_ = widest;
            styleFont_ = font;
        }
        style = styleWidth_ + padding_[ColumnPath];
    }
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    const int rest = std::max(0, int(client.right) - style);
    const int filename = std::min(wantedFilename_, rest / 2);
    return {filename, rest - filename, style};
}

}  // namespace mx
