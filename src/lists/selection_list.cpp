#include "lists/selection_list.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

#include "lists/categories.h"

namespace mx {

std::string_view StyleName(WallpaperStyle style) {
    size_t i = size_t(style);
    return i < kStyleNames.size() ? kStyleNames[i] : kStyleNames[0];
}

std::optional<WallpaperStyle> StyleNamed(std::string_view name) {
    for (size_t i = 0; i < kStyleNames.size(); ++i)
        if (kStyleNames[i] == name) return WallpaperStyle(i);
    return std::nullopt;
}

SelectionEntry SelectionList::operator[](size_t i) const {
    return {std::string(FileName(i)), Directory(i), withStyle_ ? std::string(StyleName(Style(i))) : std::string()};
}

SelectionList::Row SelectionList::MakeRow(std::string_view directory, std::string_view fileName,
                                          WallpaperStyle style) {
    constexpr size_t kLimit = std::numeric_limits<uint32_t>::max();
    if (rows_.size() >= size_t(std::numeric_limits<int>::max()) || fileName.size() >= kLimit - names_.size())
        throw std::length_error("too many entries in one list");
    Row row;
    row.name = uint32_t(names_.size());
    row.nameLength = uint32_t(fileName.size());
    row.style = style;
    names_.append(fileName);
    names_.push_back('\0');
    auto known = directoryIndex_.find(directory);
    if (known != directoryIndex_.end()) {
        row.directory = known->second;
    } else {
        row.directory = uint32_t(directories_.size());
        directories_.emplace_back(directory);
        directoryIndex_.emplace(directories_.back(), row.directory);
    }
    return row;
}

void SelectionList::Append(std::string_view directory, std::string_view fileName, WallpaperStyle style) {
    Row row = MakeRow(directory, fileName, style);
    rows_.push_back(row);
}

void SelectionList::Insert(size_t position, std::string_view directory, std::string_view fileName,
                           WallpaperStyle style) {
    Row row = MakeRow(directory, fileName, style);
    rows_.insert(rows_.begin() + std::ptrdiff_t(std::min(position, rows_.size())), row);
}

void SelectionList::InsertMany(std::span<const Insertion> insertions) {
    if (insertions.size() == 1) {
        const Insertion& one = insertions.front();
        return Insert(one.position, one.directory, one.fileName, one.style);
    }
    std::vector<Row> rows;
    rows.reserve(rows_.size() + insertions.size());
    size_t next = 0;
    for (const Insertion& insertion : insertions) {
        size_t until = std::max(next, std::min(insertion.position, rows_.size()));
        rows.insert(rows.end(), rows_.begin() + std::ptrdiff_t(next), rows_.begin() + std::ptrdiff_t(until));
        next = until;
        rows.push_back(MakeRow(insertion.directory, insertion.fileName, insertion.style));
    }
    rows.insert(rows.end(), rows_.begin() + std::ptrdiff_t(next), rows_.end());
    rows_ = std::move(rows);
}

// The captions are laid out again in the new order, so that going through the list reads its text
// from the first byte to the last.
void SelectionList::Reorder(std::span<const uint32_t> order) {
    std::vector<Row> rows;
    rows.reserve(order.size());
    for (uint32_t i : order) rows.push_back(rows_.at(i));
    rows_ = std::move(rows);
    CompactNames();
}

size_t SelectionList::SetStyleOfSelected(WallpaperStyle style) {
    size_t changed = 0;
    for (Row& row : rows_)
        if (row.selected) {
            row.style = style;
            ++changed;
        }
    return changed;
}

void SelectionList::Select(size_t i, bool selected) {
    Row& row = rows_[i];
    if (row.selected == selected) return;
    row.selected = selected;
    if (selected) ++selectedCount_;
    else --selectedCount_;
}

void SelectionList::SelectRange(size_t first, size_t last, bool selected) {
    last = std::min(last, rows_.size());
    for (size_t i = first; i < last; ++i) Select(i, selected);
}

void SelectionList::InvertSelection() {
    for (Row& row : rows_) row.selected = !row.selected;
    selectedCount_ = rows_.size() - selectedCount_;
}

std::optional<size_t> SelectionList::NextSelected(size_t from) const {
    if (selectedCount_ == 0) return std::nullopt;
    for (size_t i = from; i < rows_.size(); ++i)
        if (rows_[i].selected) return i;
    return std::nullopt;
}

size_t SelectionList::UnselectedBefore(size_t i) const {
    i = std::min(i, rows_.size());
    return size_t(std::count_if(rows_.begin(), rows_.begin() + std::ptrdiff_t(i), [](const Row& r) { return !r.selected; }));
}

size_t SelectionList::RemoveSelected() {
    size_t removed = selectedCount_;
    if (removed == 0) return 0;
    for (const Row& row : rows_)
        if (row.selected) unusedNames_ += row.nameLength + 1;
    std::erase_if(rows_, [](const Row& r) { return r.selected; });
    selectedCount_ = 0;
    if (unusedNames_ > names_.size() / 2) CompactNames();
    return removed;
}

// The captions of removed entries are dropped once they are most of the text, and after a reordering.
void SelectionList::CompactNames() {
    std::string names;
    names.reserve(names_.size() - unusedNames_);
    for (Row& row : rows_) {
        uint32_t start = uint32_t(names.size());
        names.append(names_, row.name, size_t(row.nameLength) + 1);
        row.name = start;
    }
    names_ = std::move(names);
    unusedNames_ = 0;
}

std::optional<size_t> SelectionList::Find(size_t start, bool wrap,
                                          const std::function<bool(std::string_view)>& matches) const {
    start = std::min(start, rows_.size());
    for (size_t i = start; i < rows_.size(); ++i)
        if (matches(FileName(i))) return i;
    if (wrap)
        for (size_t i = 0; i < start; ++i)
            if (matches(FileName(i))) return i;
    return std::nullopt;
}

}  // namespace mx
