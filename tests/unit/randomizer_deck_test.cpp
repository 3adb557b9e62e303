#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "randomizer/deck.h"
#include "randomizer/randomizer_text.h"

namespace mx {
namespace {

// One log-on: the deck is rebuilt from the kept text, the first usable entry is shown, and the text
// kept again. Returns the shown key, or 0 when nothing could be used.
uint64_t LogOn(const std::vector<uint64_t>& list, const std::set<uint64_t>& unusable, uint64_t seed, std::string& kept,
               std::vector<uint64_t>* tried = nullptr, size_t* place = nullptr) {
    SeededRandom random(seed);
    Deck deck(list, ParseDeckText(kept), random);
    uint64_t shown = 0;
    while (std::optional<size_t> next = deck.Next()) {
        if (tried) tried->push_back(list[*next]);
        if (unusable.count(list[*next])) continue;
        deck.Shown(*next);
        shown = list[*next];
        if (place) *place = deck.Place();
        break;
    }
    kept = DeckText(deck.State());
    return shown;
}

TEST(Deck, EveryEntryOncePerRoundNoneTwiceInARowAcrossEdits) {
    struct Edit {
        int run;
        std::vector<uint64_t> list;
    };
    struct Case {
        const char* name;
        std::vector<uint64_t> list;
        std::vector<Edit> edits;
    } cases[] = {
        {"five entries", {11, 12, 13, 14, 15}, {}},
        {"entries added, removed and reordered",
         {11, 12, 13, 14, 15},
         {{97, {11, 12, 13, 14, 15, 16}},
          {201, {11, 12, 14, 15, 16}},
          {333, {16, 15, 14, 12, 11, 17, 18}},
          {334, {16, 15, 14, 12, 11, 17, 18, 13}},
          {600, {18, 13}},
          {700, {18, 13, 11, 12, 14}}}},
        {"two entries", {21, 22}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint64_t> list = c.list, previousList = c.list;
        std::string kept;
        std::set<uint64_t> round;
        std::set<std::vector<uint64_t>> orders;
        std::vector<uint64_t> order;
        uint64_t previous = 0;
        for (int run = 1; run <= 1000; ++run) {
            SCOPED_TRACE("run " + std::to_string(run));
            for (const Edit& e : c.edits) {
                if (e.run == run) {
                    list = e.list;
                    // Entries removed from the list leave the round.
                    std::erase_if(round, [&](uint64_t key) { return std::count(list.begin(), list.end(), key) == 0; });
                }
            }
            size_t place = 0;
            uint64_t shown = LogOn(list, {}, uint64_t(run), kept, nullptr, &place);
            ASSERT_NE(std::find(list.begin(), list.end(), shown), list.end());
            ASSERT_NE(shown, previous);
            if (place == 1) {
                // The round before covered every entry its list held at its end, but those just removed.
                for (uint64_t key : previousList) {
                    if (run > 1 && std::count(list.begin(), list.end(), key)) {
                        ASSERT_TRUE(round.count(key)) << key;
                    }
                }
                if (order.size() == list.size()) orders.insert(order);
                round.clear();
                order.clear();
            }
            ASSERT_TRUE(round.insert(shown).second) << "twice in a round: " << shown;
            ASSERT_EQ(place, round.size());
            order.push_back(shown);
            previous = shown;
            previousList = list;
        }
        // The rounds of five entries come in many orders, not one.
        if (c.list.size() == 5 && c.edits.empty()) {
            EXPECT_GT(orders.size(), 50u);
        }
    }
}

TEST(Deck, UnusableEntriesArePassedOverAndEachTriedOncePerRun) {
    struct Case {
        const char* name;
        std::vector<uint64_t> list;
        std::set<uint64_t> unusable;
    } cases[] = {
        {"some unusable", {1, 2, 3, 4, 5, 6}, {2, 5}},
        {"one usable", {1, 2, 3}, {1, 3}},
        {"none usable", {1, 2, 3, 4}, {1, 2, 3, 4}},
        {"the same entry twice counts once", {7, 8, 7, 9}, {9}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::set<uint64_t> usable(c.list.begin(), c.list.end());
        for (uint64_t key : c.unusable) usable.erase(key);
        const std::set<uint64_t> distinct(c.list.begin(), c.list.end());
        std::string kept;
        std::set<uint64_t> seen;
        uint64_t previous = 0;
        for (int run = 1; run <= 200; ++run) {
            std::vector<uint64_t> tried;
            uint64_t shown = LogOn(c.list, c.unusable, uint64_t(run), kept, &tried);
            std::set<uint64_t> triedOnce(tried.begin(), tried.end());
            ASSERT_EQ(triedOnce.size(), tried.size()) << "an entry tried twice in one run";
            if (usable.empty()) {
                ASSERT_EQ(shown, 0u);
                ASSERT_EQ(triedOnce, distinct);
                continue;
            }
            ASSERT_TRUE(usable.count(shown));
            if (usable.size() > 1) {
                ASSERT_NE(shown, previous);
            }
            seen.insert(shown);
            previous = shown;
        }
        EXPECT_EQ(seen, usable);
    }
}

TEST(Deck, KeptTextReadsBackAndAnythingElseStartsAfresh) {
    DeckState state{0x0123456789ABCDEFu, 42u, {1u, 0xFFFFFFFFFFFFFFFFu}};
    DeckState back = ParseDeckText(DeckText(state));
    EXPECT_EQ(back.round, state.round);
    EXPECT_EQ(back.last, state.last);
    EXPECT_EQ(back.dealt, state.dealt);
    EXPECT_FALSE(ParseDeckText(DeckText({5u, std::nullopt, {}})).last);
    for (const char* garbage : {"", "-", "- -", "1", "zz 1", "1 2 3 x", "11111111111111111 1", "1 2 -"}) {
        SCOPED_TRACE(garbage);
        DeckState fresh = ParseDeckText(garbage);
        EXPECT_FALSE(fresh.round);
        EXPECT_TRUE(fresh.dealt.empty());
    }
    EXPECT_EQ(EntryKey("C:\\Pics\\a.bmp", ""), EntryKey("c:\\PICS\\A.BMP", ""));
    EXPECT_NE(EntryKey("C:\\a.jpg", "Tiled"), EntryKey("C:\\a.jpg", "Mirror"));
}

TEST(RandomizerText, ArgumentsFolderRootsAndTheLogsLength) {
    RandomizerOptions o = ParseRandomizerArguments({"--dry-run", "--seed", "18446744073709551615", "--screen", "3840x2160"});
    EXPECT_TRUE(o.dryRun);
    EXPECT_EQ(o.seed, 18446744073709551615u);
    EXPECT_EQ(o.screenWidth, 3840);
    EXPECT_EQ(o.screenHeight, 2160);
    EXPECT_TRUE(o.ignored.empty());
    o = ParseRandomizerArguments({"--seed", "-1", "--screen", "0x5", "/x", "--seed"});
    EXPECT_FALSE(o.seed);
    EXPECT_FALSE(o.screenWidth);
    EXPECT_EQ(o.ignored, (std::vector<std::string>{"--seed -1", "--screen 0x5", "/x", "--seed"}));

    for (auto [path, root] : std::vector<std::pair<const char*, const char*>>{
             {"C:\\pics\\a.bmp", "C:\\"}, {"q:a.bmp", "q:\\"}, {"\\\\server\\share\\dir\\a.bmp", "\\\\server\\share\\"},
             {"\\\\server\\share", "\\\\server\\share\\"}, {"\\\\server", ""}, {"\\\\\\x", ""}, {"a.bmp", ""}, {"", ""}})
        EXPECT_EQ(FolderRoot(path), root) << path;

    std::string log;
    for (int i = 0; i < 400; ++i) log = AppendToLog(log, {"line " + std::to_string(i)}, 300);
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 300);
    EXPECT_EQ(log.substr(0, 10), "line 100\r\n");
    EXPECT_EQ(AppendToLog("old without end", {"new"}, 300), "old without end\r\nnew\r\n");
}

}  // namespace
}  // namespace mx
