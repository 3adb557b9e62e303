#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "randomizer/deck.h"
#include "randomizer/randomizer_text.h"

namespace mx {
namespace {

struct Dealt {
    uint64_t key;
    size_t place;
};

// One log-on: the deck is rebuilt from the kept text, entries are dealt until a usable one is shown,
// and the text is kept again. Returns the shown key, or 0 when nothing could be used.
uint64_t LogOn(const std::vector<uint64_t>& list, const std::set<uint64_t>& unusable, uint64_t seed, std::string& kept,
               std::vector<Dealt>& dealt) {
    SeededRandom random(seed);
    Deck deck(list, ParseDeckText(kept), random);
    while (std::optional<size_t> next = deck.Next()) {
        dealt.push_back({list[*next], deck.Place()});
        if (unusable.count(list[*next])) continue;
        kept = DeckText(deck.StateShown(*next));
        return list[*next];
    }
    kept = DeckText(deck.State());
    return 0;
}

// 1,000 log-ons per case, each with its own seed and the deck kept between them as text.
TEST(Deck, EveryEntryOncePerRoundNoneTwiceInARowAcrossEditsAndUnusableEntries) {
    struct Edit {
        int run;
        std::vector<uint64_t> list;
    };
    struct Case {
        const char* name;
        std::vector<uint64_t> list;
        std::set<uint64_t> unusable;
        std::vector<Edit> edits;
    } cases[] = {
        {"five entries", {11, 12, 13, 14, 15}, {}, {}},
        {"entries added, removed and reordered",
         {11, 12, 13, 14, 15},
         {},
         {{97, {11, 12, 13, 14, 15, 16}},
          {201, {11, 12, 14, 15, 16}},
          {333, {16, 15, 14, 12, 11, 17, 18}},
          {334, {16, 15, 14, 12, 11, 17, 18, 13}},
          {600, {18, 13}},
          {700, {18, 13, 11, 12, 14}}}},
        {"two entries", {21, 22}, {}, {}},
        {"unusable entries passed over", {1, 2, 3, 4, 5, 6}, {2, 5}, {}},
        {"the same entry twice counts once", {7, 8, 7, 9}, {9}, {}},
        {"nothing usable", {1, 2, 3}, {1, 2, 3}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint64_t> list = c.list, previousList = c.list;
        std::set<uint64_t> round, shownEver, usable;
        std::set<std::vector<uint64_t>> orders;
        std::vector<uint64_t> order;
        std::string kept;
        uint64_t previous = 0;
        for (int run = 1; run <= 1000; ++run) {
            SCOPED_TRACE("run " + std::to_string(run));
            for (const Edit& e : c.edits) {
                if (e.run != run) continue;
                list = e.list;
                // Entries removed from the list leave the round.
                std::erase_if(round, [&](uint64_t key) { return std::count(list.begin(), list.end(), key) == 0; });
            }
            usable = std::set<uint64_t>(list.begin(), list.end());
            for (uint64_t key : c.unusable) usable.erase(key);
            std::vector<Dealt> dealt;
            uint64_t shown = LogOn(list, c.unusable, uint64_t(run), kept, dealt);
            std::set<uint64_t> tried;
            for (const Dealt& d : dealt) {
                ASSERT_TRUE(tried.insert(d.key).second) << "tried twice in one run: " << d.key;
                if (d.place == 1) {
                    // The round before held every entry still on the list.
                    for (uint64_t key : previousList) {
                        if (run > 1 && std::count(list.begin(), list.end(), key)) {
                            ASSERT_TRUE(round.count(key)) << key;
                        }
                    }
                    if (order.size() == list.size()) orders.insert(order);
                    round.clear();
                    order.clear();
                }
                ASSERT_TRUE(round.insert(d.key).second) << "twice in a round: " << d.key;
                ASSERT_EQ(d.place, round.size());
                order.push_back(d.key);
                previousList = list;
            }
            if (usable.empty()) {
                ASSERT_EQ(shown, 0u);
                ASSERT_EQ(tried, std::set<uint64_t>(list.begin(), list.end()));
                continue;
            }
            ASSERT_TRUE(usable.count(shown));
            if (usable.size() > 1) {
                ASSERT_NE(shown, previous);
            }
            shownEver.insert(shown);
            previous = shown;
        }
        if (c.edits.empty()) {
            EXPECT_EQ(shownEver, usable);
        }
        // Rounds of five entries come in many orders, not one.
        if (c.list.size() == 5 && c.edits.empty()) {
            EXPECT_GT(orders.size(), 50u);
        }
    }
}

// Entries held in some runs (a folder that does not answer) are not dealt then; once back, those
// dealt earlier in the round do not come again in it.
TEST(Deck, HeldEntriesSitOutWithoutLosingTheRound) {
    const std::vector<uint64_t> list = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    for (uint64_t seed = 1; seed <= 200; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::string kept;
        std::set<uint64_t> round;
        for (int run = 1; run <= 40; ++run) {
            SeededRandom random(seed * 100 + uint64_t(run));
            Deck deck(list, ParseDeckText(kept), random);
            const bool held = run % 7 >= 3 && run % 7 <= 5;  // entries 6 to 10 sit out three runs in seven
            if (held) deck.Hold(5, 5);
            std::optional<size_t> next = deck.Next();
            ASSERT_TRUE(next);
            if (held) {
                ASSERT_LT(*next, 5u);
            }
            if (deck.Place() == 1) round.clear();
            ASSERT_TRUE(round.insert(list[*next]).second) << list[*next] << " twice in a round";
            kept = DeckText(deck.StateShown(*next));
        }
    }
    SeededRandom random(1);
    Deck all({1, 2}, {}, random);
    all.Hold(0, 2);
    EXPECT_FALSE(all.Next());
}

TEST(Deck, KeptTextReadsBackAndAnythingElseStartsAfresh) {
    const uint64_t round = 0x0123456789ABCDEFu;
    // The text of the kept state is at most maxText characters.
    struct Case { const char* name; size_t listSize, dealt, maxText; } cases[] = {
        {"nothing dealt", 3, 0, 40}, {"a short list", 7, 5, 120},
        {"half of 100,000", 100000, 50000, 150000}, {"all of 100,000", 100000, 100000, 150000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint64_t> list;
        for (uint64_t i = 0; i < c.listSize; ++i) list.push_back(EntryKey("C:\\p\\" + std::to_string(i) + ".jpg", "Tiled"));
        // A round deals entries in the order of their places: the first `dealt` of them.
        std::vector<uint64_t> byPlace = list;
        std::sort(byPlace.begin(), byPlace.end(),
                  [&](uint64_t a, uint64_t b) { return PlaceInRound(round, a) < PlaceInRound(round, b); });
        std::vector<uint64_t> dealt(byPlace.begin(), byPlace.begin() + ptrdiff_t(c.dealt));
        std::string text = DeckText({round, 42u, 7u, DealtSet(dealt, round, list.size())});
        EXPECT_LE(text.size(), c.maxText);
        DeckState back = ParseDeckText(text);
        EXPECT_EQ(back.round, round);
        EXPECT_EQ(back.next, 42u);
        EXPECT_EQ(back.last, 7u);
        ASSERT_EQ(back.dealt.Size(), c.dealt);
        std::vector<bool> which = back.dealt.Which(byPlace, round);
        for (size_t i = 0; i < byPlace.size(); ++i) ASSERT_EQ(which[i], i < c.dealt) << i;
        // Entries that join the list later, at places already passed, are told from those dealt.
        std::vector<uint64_t> added;
        for (int i = 0; i < 1000; ++i) added.push_back(EntryKey("new" + std::to_string(i), ""));
        which = back.dealt.Which(added, round);
        EXPECT_LE(std::count(which.begin(), which.end(), true), c.listSize > 1000 ? 40 : 0);
    }
    // The first version's line: round, shown last, keys dealt.
    DeckState first = ParseDeckText("123456789abcdef 2a 1 ffffffffffffffff");
    EXPECT_EQ(first.round, round);
    EXPECT_EQ(first.last, 42u);
    EXPECT_FALSE(first.next);
    EXPECT_EQ(first.dealt.Which({1, 0xFFFFFFFFFFFFFFFFu, 2}, round), (std::vector<bool>{true, true, false}));
    EXPECT_FALSE(ParseDeckText(DeckText({5u, 6u, std::nullopt, {}})).last);
    for (const char* garbage : {"", "-", "- -", "1", "zz 1", "1 2 3 x", "11111111111111111 1", "1 2 -", "v2 1 2 - 0 6 1",
                                "v2 1 2 - 0 6 1 -", "v2 1 2 - 0 6 2 AA", "v2 1 2 - 0 99 1 AAAA", "v2 1 2 - 0 6 1 ////",
                                "v2 1 2 - 0 6 1 !AAA", "v2 1 2 - 0 6 99999999999 AAAA"}) {
        SCOPED_TRACE(garbage);
        DeckState fresh = ParseDeckText(garbage);
        EXPECT_FALSE(fresh.round);
        EXPECT_EQ(fresh.dealt.Size(), 0u);
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
    EXPECT_TRUE(o.unknown.empty());
    o = ParseRandomizerArguments({"--seed", "-1", "--screen", "0x5", "/x", "--seed"});
    EXPECT_FALSE(o.seed);
    EXPECT_FALSE(o.screenWidth);
    EXPECT_EQ(o.unknown, (std::vector<std::string>{"--seed -1", "--screen 0x5", "/x", "--seed"}));
    o = ParseRandomizerArguments({"--next", "--resident", "--exit"});
    EXPECT_TRUE(o.next && o.resident && o.exit && o.unknown.empty());

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
