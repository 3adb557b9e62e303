#pragma once
// A list as the randomizer's deck deals it: every folder entry replaced by the pictures it holds
// now, beside the list's own file entries.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "lists/folder_listing.h"
#include "randomizer/deck.h"
#include "state/selection_file.h"

namespace mx {

// What one folder entry gave.
struct FolderEntryReport {
    std::string entry;           // as the list names it: "C:\PICS\**"
    FolderPictures pictures;     // how it was read (its files are in the expanded list)
    size_t first = 0, count = 0;  // where its pictures lie in the expanded list
    std::string unanswered;      // why its drive or share could not be asked; its pictures are then
                                 // the ones the cache last saw, which sit out this run
};

struct ExpandedList {
    SelectionList entries;
    std::vector<FolderEntryReport> folders;
};

// `usable` tells the names of the list's category; `unanswered` says why a folder's drive or share
// cannot be read now, or nothing when it can.
ExpandedList ExpandFolderEntries(const SelectionList& list, FolderSource& source, FolderCache* cache,
                                 const std::function<bool(std::string_view name)>& usable,
                                 const std::function<std::string(const std::string& folder)>& unanswered);

// What the deck knows each entry by: its path and, in a list with styles, its style.
std::vector<uint64_t> DeckKeys(const SelectionList& entries);

// The pictures of one of the list's folder entries in the order the deck kept in `state` would deal
// them from the next run on (the deck deals over the whole list; this is the part of it that falls in
// the folder): positions in the expanded list.
std::vector<size_t> FolderDealOrder(const ExpandedList& list, size_t folder, const DeckState& state);

// The log's line about a folder entry, after the list's name.
std::string FolderReportText(const FolderEntryReport& report);

}  // namespace mx
