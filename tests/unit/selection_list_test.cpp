#include <gtest/gtest.h>

#include "lists/categories.h"
#include "lists/selection_list.h"

namespace mx {
namespace {

std::vector<std::string> Captions(const SelectionList& list, bool selectedOnly = false) {
    std::vector<std::string> captions;
    for (size_t i = 0; i < list.size(); ++i)
        if (!selectedOnly || list.Selected(i)) captions.emplace_back(list.FileName(i));
    return captions;
}

using Names = std::vector<std::string>;

// Every change of the entries keeps each entry's selection with it, and the count with the flags.
TEST(SelectionList, TheSelectionStaysWithItsEntries) {
    SelectionList list;
    for (const char* name : {"a", "b", "c", "d", "e"}) list.Append("C:\\P", name);
    list.Select(1, true);
    list.Select(3, true);
    const struct { const char* what; std::function<void()> change; Names all, selected; } steps[] = {
        {"insert before them", [&] { list.Insert(0, "C:\\P", "0"); }, {"0", "a", "b", "c", "d", "e"}, {"b", "d"}},
        {"insert at the end", [&] { list.Insert(99, "C:\\Q", "z"); }, {"0", "a", "b", "c", "d", "e", "z"}, {"b", "d"}},
        {"select a range", [&] { list.SelectRange(4, 6, true); }, {"0", "a", "b", "c", "d", "e", "z"}, {"b", "d", "e"}},
        {"invert", [&] { list.InvertSelection(); }, {"0", "a", "b", "c", "d", "e", "z"}, {"0", "a", "c", "z"}},
        {"reorder", [&] { list.Reorder(std::vector<uint32_t>{6, 5, 4, 3, 2, 1, 0}); },
         {"z", "e", "d", "c", "b", "a", "0"}, {"z", "c", "a", "0"}},
        {"remove the selected", [&] { EXPECT_EQ(list.RemoveSelected(), 4u); }, {"e", "d", "b"}, {}},
        {"select all", [&] { list.SelectAll(true); }, {"e", "d", "b"}, {"e", "d", "b"}},
        {"remove all", [&] { list.RemoveSelected(); }, {}, {}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        step.change();
        EXPECT_EQ(Captions(list), step.all);
        EXPECT_EQ(Captions(list, true), step.selected);
        EXPECT_EQ(list.SelectedCount(), step.selected.size());
    }
}

// Where the focus goes when the selected entries are removed: to its own entry, or to the first one
// after it that stays.
TEST(SelectionList, UnselectedBeforeGivesTheNewPlaces) {
    SelectionList list;
    for (int i = 0; i < 6; ++i) list.Append("D:\\", std::to_string(i));
    for (size_t i : {1, 2, 4}) list.Select(i, true);
    const size_t expected[] = {0, 1, 1, 1, 2, 2, 3};
    for (size_t i = 0; i <= 6; ++i) EXPECT_EQ(list.UnselectedBefore(i), expected[i]) << i;
    EXPECT_EQ(list.NextSelected(), 1u);
    EXPECT_EQ(list.NextSelected(3), 4u);
    EXPECT_EQ(list.NextSelected(5), std::nullopt);
}

// Many removals leave the names, directories and styles of the entries that stay as they were, and new
// entries after them.
TEST(SelectionList, LargeRemovalsKeepTheRestIntact) {
    SelectionList list(true);
    const int n = 3000;
    for (int i = 0; i < n; ++i)
        list.Append(i % 2 ? "C:\\Odd\\" : "C:\\Even", "picture" + std::to_string(i) + std::string(size_t(i % 40), 'x'),
                    WallpaperStyle(i % kStyleNames.size()));
    for (int round = 0; round < 3; ++round) {
        for (size_t i = 0; i < list.size(); ++i) list.Select(i, i % 3 != 0);
        list.RemoveSelected();
        list.Append("E:\\New", "added" + std::to_string(round), StyleNamed("Mirror").value());
    }
    ASSERT_EQ(list.size(), 113u);
    for (size_t i = 0; i < list.size(); ++i) {
        SelectionEntry e = list[i];
        if (e.fileName.starts_with("added")) {
            EXPECT_EQ(e.directory, "E:\\New");
            EXPECT_EQ(e.style, "Mirror");
            continue;
        }
        int k = std::stoi(e.fileName.substr(7));
        EXPECT_EQ(e.fileName, "picture" + std::to_string(k) + std::string(size_t(k % 40), 'x'));
        EXPECT_EQ(e.directory, k % 2 ? "C:\\Odd\\" : "C:\\Even");
        EXPECT_EQ(e.style, kStyleNames[size_t(k) % kStyleNames.size()]);
    }
}

TEST(SelectionList, FindGoesOnFromTheStartWhenAskedTo) {
    SelectionList list;
    for (const char* name : {"alps", "beach", "bay", "cliff"}) list.Append("C:\\", name);
    auto startsWithB = [](std::string_view caption) { return caption.starts_with("b"); };
    EXPECT_EQ(list.Find(0, false, startsWithB), 1u);
    EXPECT_EQ(list.Find(2, false, startsWithB), 2u);
    EXPECT_EQ(list.Find(3, false, startsWithB), std::nullopt);
    EXPECT_EQ(list.Find(3, true, startsWithB), 1u);
    EXPECT_EQ(list.Find(9, true, startsWithB), 1u);
}

}  // namespace
}  // namespace mx
