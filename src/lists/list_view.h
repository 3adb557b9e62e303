#pragma once
// The selection lists' list views: report views in virtual mode (LVS_OWNERDATA) over the lists the
// program holds. Caption "Filename", then "Path", then for the wallpaper list "Style"; the entries are
// kept sorted by caption with lstrcmpA, as the system compares names.
#include <windows.h>
#include <commctrl.h>

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lists/selection_list.h"

namespace mx {

enum ListColumn { ColumnFilename = 0, ColumnPath = 1, ColumnStyle = 2 };

// What a list view shows, asked through its messages.
std::string ItemText(HWND list, int item, int column);
int ItemCount(HWND list);
int SelectedCount(HWND list);
bool IsSelected(HWND list, int item);

// Where a caption belongs in a list kept in lstrcmpA's order: after every caption that lstrcmpA does
// not order after it.
size_t SortedPosition(const SelectionList& list, const std::string& caption);
// Puts a list in lstrcmpA's order of its captions, as a thread whose locale is `locale` compares them;
// entries with equal captions keep their order.
void SortByCaption(SelectionList& list, LCID locale);

// One list view and the list it shows. The list view keeps which rows are selected and focused, as
// the user clicks and types; the list follows it through the list view's reports, and the program's
// own changes of the list are handed to the list view as the fewest changes of its rows.
class SelectionListView {
public:
    SelectionListView() = default;
    ~SelectionListView() { Detach(); }
    SelectionListView(const SelectionListView&) = delete;
    SelectionListView& operator=(const SelectionListView&) = delete;

    // Binds the view to its list, before its list view is made. `changed` is the list's change report,
    // made when the user changes the selection or the focus.
    void Bind(SelectionList& entries, std::function<void()> changed);
    // Gives a list view made with LVS_OWNERDATA, at its size, its columns and the list's rows. A list
    // view made `like` another, in the same font, takes its measure of what the list view adds to a
    // text's width.
    void Attach(HWND list, const SelectionListView* like = nullptr);
    void Detach();
    HWND Handle() const { return hwnd_; }
    // The list, its selection as the list view shows it.
    SelectionList& Entries();

    // The list view's notifications to its parent; a result when they were about the list's rows.
    std::optional<LRESULT> OnNotify(const NMHDR& header);

    // Shows the list anew after it was filled in any order (or put in order already), nothing selected,
    // and fits the columns to its widest caption; a list view made later shows it as it is made.
    // It is put in order when its rows are first asked for, and its columns are fitted when it is first
    // shown, so that at start-up only the list in sight waits for its sorting and measuring.
    void Reload(bool inOrder = false);
    void EnsureSorted();
    // Adds an entry at its sorted place; the selection, the focus and the rows in sight stay with
    // their entries. While a batch is open the entries wait, and go in together at Flush or at its end,
    // so that adding many is one change of the list view.
    void Add(const SelectionEntry& entry);
    void BeginBatch() { ++batch_; }
    void EndBatch();
    bool Batching() const { return batch_ > 0; }
    void Flush();
    // Removes the selected entries; the focus goes to the entry that followed the focused one. How
    // many went.
    size_t RemoveSelected();
    // Each true when the selection changed.
    bool SelectAll();
    bool InvertSelection();
    // Gives the style to the selected entries; how many there were.
    size_t SetStyleOfSelected(WallpaperStyle style);
    // The focused row, or -1.
    int FocusedItem() const;

    // Shares the width out again, after the list's size or its rows have changed: "Style" shows its
    // longest name and "Filename" its widest caption, up to half of what "Style" leaves; "Path" takes
    // the rest and shows a long directory shortened.
    void FitColumnsToWidth();

private:
    static LRESULT InputProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, void* data);
    LRESULT OnInput(UINT msg, WPARAM wp, LPARAM lp);
    void Report();
    void FollowItemChange(const NMLISTVIEW& change);
    void FollowRangeChange(const NMLVODSTATECHANGE& change);
    LRESULT FindItem(size_t start, UINT flags, const std::string& text) const;
    std::string_view CellText(int item, int column) const;

    void AddColumns(const SelectionListView* like);
    // The list's rows given to the list view, nothing selected; the columns fitted now if it is shown.
    void ShowRows();
    void MeasurePadding();
    void FitToCaptions();
    // FitColumnsToWidth, whether the list is shown or not.
    void ShareWidth();
    // What "Filename", "Path" and "Style" get of the list's client width now.
    std::array<int, 3> ColumnShares(bool withStyle);
    void FitFilenameTo(int captionWidth);

    // The list view's selection made empty in one step, its focus, selection mark and the row at its
    // top kept; the list's selection is left to the caller.
    void ClearShownSelection();
    // The list view's selection made the list's, after the list's selection changed wholesale.
    void ShowSelection();
    void ScrollTo(int top);

    HWND hwnd_ = nullptr;
    SelectionList* entries_ = nullptr;
    std::function<void()> changed_;
    int padding_[2] = {};         // what the list view adds to a text's width in "Filename" and "Path"
    int wantedFilename_ = 0;      // the width that shows the widest caption whole
    int styleWidth_ = 0;          // the longest style name's, in the font below
    HFONT styleFont_ = nullptr;
    const char* probe_ = nullptr; // the text of every cell while the padding is measured
    bool pushing_ = false;        // the program is changing the list view's rows: its reports are its own
    int inInput_ = 0;             // the list view is handling the user's click or key
    bool reportPending_ = false;
    bool unsorted_ = false;       // the list's order is not yet the list view's
    bool unfitted_ = false;       // "Filename" is not yet fitted to the list's captions
    int batch_ = 0;
    std::vector<SelectionEntry> waiting_;  // added in the open batch
};

}  // namespace mx
