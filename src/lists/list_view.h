#pragma once
// The selection lists are report-view list views: caption "Filename", then "Path", then for the
// wallpaper list "Style". They are kept sorted by caption with lstrcmpA, as the system compares names.
#include <windows.h>
#include <commctrl.h>

#include <span>
#include <string>
#include <vector>

#include "state/selection_file.h"

namespace mx {

enum ListColumn { ColumnFilename = 0, ColumnPath = 1, ColumnStyle = 2 };

void AddListColumns(HWND list, bool withStyle);
// Drops what AddListColumns attached to the list (before it is destroyed).
void ForgetListColumns(HWND list);

std::string ItemText(HWND list, int item, int column);
int ItemCount(HWND list);
int SelectedCount(HWND list);
bool IsSelected(HWND list, int item);
SelectionEntry EntryAt(HWND list, int item, bool withStyle);

// Where a caption belongs: after every caption that lstrcmpA does not order after it.
int SortedPosition(HWND list, const std::string& caption);

// Inserts one entry at its sorted place.
int InsertSorted(HWND list, const SelectionEntry& entry, bool withStyle);
// Inserts many entries; each takes its sorted place, but the list is touched once per entry only.
void InsertSortedBatch(HWND list, std::vector<SelectionEntry> entries, bool withStyle);

// The columns share the list's width, so that "Style" is always in sight: "Filename" widens to fit the
// captions of new entries (up to half the width), "Style" fits the style names, "Path" takes the rest
// and shows a long directory shortened.
void FitColumns(HWND list, std::span<const SelectionEntry> entries, bool withStyle);
// Shares the width out again, after the list's size or its rows have changed.
void FitColumnsToWidth(HWND list);
// The same, once the selection file has filled the lists.
void FillStyleColumn(HWND list);

}  // namespace mx
