#pragma once
// The four selection lists as the program holds them: each entry a picture file, by its directory and
// name, and in the wallpaper list its style. The selector shows them in its list views and keeps which
// entries are selected here too; the randomizer reads them. Both read and write them only through the
// selection file's reader and writer.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <iterator>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace mx {

// A wallpaper's style, as its position among kStyleNames, so that a new style is one more name there.
enum class WallpaperStyle : uint8_t {};
inline constexpr WallpaperStyle kCentredStyle{};

std::string_view StyleName(WallpaperStyle style);
// The style of that exact name; nothing for any other text.
std::optional<WallpaperStyle> StyleNamed(std::string_view name);

// One entry as plain values: what the browser adds and what the randomizer works through.
struct SelectionEntry {
    std::string fileName;   // the list row's caption
    std::string directory;  // as the entry was given: with or without a trailing backslash
    std::string style;      // wallpapers only
};

// One list, in the order it is shown. Entries are kept compactly (a list of 100,000 pictures takes a
// few megabytes): the names lie in one block of text, each directory is held once however many
// entries share it.
class SelectionList {
public:
    explicit SelectionList(bool withStyle = false) : withStyle_(withStyle) {}

    bool WithStyle() const { return withStyle_; }
    size_t size() const { return rows_.size(); }
    bool empty() const { return rows_.empty(); }

    // The caption; its text is followed by a NUL, so that it can be handed to the system as it is.
    std::string_view FileName(size_t i) const { return {names_.data() + rows_[i].name, rows_[i].nameLength}; }
    const std::string& Directory(size_t i) const { return directories_[rows_[i].directory]; }
    WallpaperStyle Style(size_t i) const { return rows_[i].style; }
    // The entry as values; the style is empty in a list without styles.
    SelectionEntry operator[](size_t i) const;

    class Iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = SelectionEntry;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = SelectionEntry;
        Iterator() = default;
        Iterator(const SelectionList* list, size_t i) : list_(list), i_(i) {}
        SelectionEntry operator*() const { return (*list_)[i_]; }
        Iterator& operator++() { ++i_; return *this; }
        Iterator operator++(int) { Iterator old = *this; ++i_; return old; }
        bool operator==(const Iterator& other) const { return i_ == other.i_; }

    private:
        const SelectionList* list_ = nullptr;
        size_t i_ = 0;
    };
    Iterator begin() const { return {this, 0}; }
    Iterator end() const { return {this, size()}; }

    // A new entry, not selected: at the end, or before the entry at `position`.
    void Append(std::string_view directory, std::string_view fileName, WallpaperStyle style = kCentredStyle);
    void Insert(size_t position, std::string_view directory, std::string_view fileName,
                WallpaperStyle style = kCentredStyle);
    struct Insertion {
        size_t position;  // before the entry at this place of the list as it was
        std::string_view directory, fileName;
        WallpaperStyle style;
    };
    // Many new entries in one pass, in the order given, which is that of their positions.
    void InsertMany(std::span<const Insertion> insertions);
    // Puts the entries in a new order: the entry at i becomes the one that was at order[i].
    void Reorder(std::span<const uint32_t> order);

    void SetStyle(size_t i, WallpaperStyle style) { rows_[i].style = style; }
    // Gives the style to every selected entry; how many there were.
    size_t SetStyleOfSelected(WallpaperStyle style);

    bool Selected(size_t i) const { return rows_[i].selected; }
    size_t SelectedCount() const { return selectedCount_; }
    void Select(size_t i, bool selected);
    // Entries first to last - 1.
    void SelectRange(size_t first, size_t last, bool selected);
    void SelectAll(bool selected) { SelectRange(0, size(), selected); }
    void InvertSelection();
    // The first selected entry at or after `from`.
    std::optional<size_t> NextSelected(size_t from = 0) const;
    // How many entries before `i` are not selected: where the entry at `i`, or the first one after it
    // that stays, will be once the selected entries are removed.
    size_t UnselectedBefore(size_t i) const;
    // Removes the selected entries; the others keep their order. How many went.
    size_t RemoveSelected();

    // The first entry from `start` on whose caption `matches`, continuing from the first entry when
    // `wrap` is set.
    std::optional<size_t> Find(size_t start, bool wrap, const std::function<bool(std::string_view)>& matches) const;

private:
    struct Row {
        uint32_t name = 0;        // where the caption starts in names_
        uint32_t nameLength = 0;
        uint32_t directory = 0;   // the index in directories_
        WallpaperStyle style{};
        bool selected = false;
    };
    Row MakeRow(std::string_view directory, std::string_view fileName, WallpaperStyle style);
    void CompactNames();

    bool withStyle_;
    std::vector<Row> rows_;
    std::string names_;        // every caption followed by a NUL; removed entries leave theirs until compacted
    size_t unusedNames_ = 0;   // the bytes of names_ that no entry uses
    struct TextHash {
        using is_transparent = void;
        size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
    };
    std::vector<std::string> directories_;
    std::unordered_map<std::string, uint32_t, TextHash, std::equal_to<>> directoryIndex_;
    size_t selectedCount_ = 0;
};

// The four lists in the selection file's order: start-up, waiting, shut-down, wallpaper.
class SelectionLists {
public:
    SelectionLists() : lists_{SelectionList(false), SelectionList(false), SelectionList(false), SelectionList(true)} {}
    SelectionList& operator[](size_t section) { return lists_[section]; }
    const SelectionList& operator[](size_t section) const { return lists_[section]; }
    static constexpr size_t size() { return 4; }
    auto begin() { return lists_.begin(); }
    auto end() { return lists_.end(); }
    auto begin() const { return lists_.begin(); }
    auto end() const { return lists_.end(); }

private:
    std::array<SelectionList, 4> lists_;
};

}  // namespace mx
