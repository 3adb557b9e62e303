#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>

#include "lists/file_masks.h"
#include "lists/folder_entries.h"
#include "lists/folder_listing.h"
#include "platform/text.h"
#include "randomizer/deck.h"

namespace mx {
namespace {

// A file system in memory. Every name that comes, goes or is renamed sets its folder's last-write
// time to the clock, as NTFS does; a link lists the folder it points to.
class Folders : public FolderSource {
public:
    struct Node {
        uint32_t attributes = kAttributeDirectory;
        uint64_t lastWrite = 0;
        std::vector<std::string> children;
        std::string target;  // a link's folder
        bool unreadable = false;
    };

    uint64_t now = 1000 * kFileTimeSecond;
    bool tracks = true;
    int lists = 0;

    void Add(const std::string& path, uint32_t attributes = 0, std::string target = {}) {
        Node& node = nodes_[UpperAscii(path)];
        node.attributes = attributes;
        node.lastWrite = now;
        node.target = std::move(target);
        if (size_t cut = path.rfind('\\'); cut != std::string::npos && cut > 2) {
            Node& parent = nodes_.at(UpperAscii(path.substr(0, cut)));
            parent.children.push_back(path.substr(cut + 1));
            parent.lastWrite = now;
        }
    }
    void AddFolder(const std::string& path, uint32_t attributes = 0, std::string target = {}) {
        Add(path, attributes | kAttributeDirectory, std::move(target));
    }
    void Remove(const std::string& path) {
        nodes_.erase(UpperAscii(path));
        size_t cut = path.rfind('\\');
        Node& parent = nodes_.at(UpperAscii(path.substr(0, cut)));
        std::erase(parent.children, path.substr(cut + 1));
        parent.lastWrite = now;
    }
    void Rename(const std::string& from, const std::string& to) {
        Node node = nodes_.at(UpperAscii(from));
        Remove(from);
        Add(to, node.attributes);
    }
    void Lock(const std::string& path) { nodes_.at(UpperAscii(path)).unreadable = true; }

    bool Stat(const std::string& path, FolderItem& item, uint32_t& error) override {
        const Node* node = Find(path);
        if (!node) {
            error = 2;
            return false;
        }
        item.attributes = node->attributes;
        item.lastWrite = node->lastWrite;
        return true;
    }
    bool List(const std::string& folder, std::vector<FolderItem>& items, uint32_t& error) override {
        ++lists;
        const Node* node = Find(folder);
        while (node && !node->target.empty()) node = Find(node->target);
        if (!node || node->unreadable || !(node->attributes & kAttributeDirectory)) {
            error = 5;
            return false;
        }
        const std::string base = WithTrailingBackslash(node == Find(folder) ? folder : FindPath(node));
        for (const std::string& name : node->children) {
            const Node& child = nodes_.at(UpperAscii(base + name));
            items.push_back({name, child.attributes, child.lastWrite});
        }
        return true;
    }
    bool TracksFolderChanges(const std::string&) override { return tracks; }
    uint64_t Now() override { return now; }

private:
    const Node* Find(std::string path) {
        if (path.size() > 3 && path.back() == '\\') path.pop_back();
        auto found = nodes_.find(UpperAscii(path));
        return found == nodes_.end() ? nullptr : &found->second;
    }
    std::string FindPath(const Node* node) {
        for (const auto& [path, n] : nodes_)
            if (&n == node) return path;
        return {};
    }
    std::map<std::string, Node> nodes_;
};

const FileMask kPictures("*.jpg;*.bmp;*.gif;");

std::set<std::string> Expand(Folders& folders, FolderCache* cache, const std::string& folder, bool withSubfolders,
                             FolderPictures* result = nullptr) {
    FolderPictures pictures = ListFolderPictures(folders, cache, folder, withSubfolders,
                                                 [](std::string_view name) { return kPictures.Matches(name); });
    std::set<std::string> files(pictures.files.begin(), pictures.files.end());
    EXPECT_EQ(files.size(), pictures.files.size()) << "a file listed twice";
    if (result) *result = std::move(pictures);
    return files;
}

// C:\P holds two pictures, a text file, a hidden and a system picture, and subfolders: sub (a
// picture, a folder below it, and a link back to C:\P), a hidden one, one that cannot be read and
// an empty one; C:\file.jpg is a file, C:\E an empty folder, C:\Loop a folder holding only a link
// to itself.
Folders Tree() {
    Folders f;
    for (const char* folder : {"C:\\P", "C:\\P\\sub", "C:\\P\\sub\\deep", "C:\\P\\locked", "C:\\P\\empty", "C:\\E",
                               "C:\\Loop"})
        f.AddFolder(folder);
    for (const char* file : {"C:\\P\\a.jpg", "C:\\P\\b.BMP", "C:\\P\\notes.txt", "C:\\P\\sub\\c.jpg",
                             "C:\\P\\sub\\deep\\d.gif", "C:\\P\\locked\\x.jpg", "C:\\file.jpg"})
        f.Add(file);
    f.Add("C:\\P\\hidden.jpg", kAttributeHidden);
    f.Add("C:\\P\\thumbs.jpg", kAttributeSystem);
    f.AddFolder("C:\\P\\.hidden", kAttributeHidden);
    f.Add("C:\\P\\.hidden\\e.jpg");
    f.AddFolder("C:\\P\\sub\\loop", kAttributeReparsePoint, "C:\\P");
    f.AddFolder("C:\\Loop\\again", kAttributeReparsePoint, "C:\\Loop");
    f.Lock("C:\\P\\locked");
    return f;
}

TEST(FolderListing, PicturesOfAFolderWithAndWithoutItsSubfolders) {
    using Outcome = FolderPictures::Outcome;
    const std::set<std::string> top = {"C:\\P\\a.jpg", "C:\\P\\b.BMP"};
    const std::set<std::string> all = {"C:\\P\\a.jpg", "C:\\P\\b.BMP", "C:\\P\\sub\\c.jpg", "C:\\P\\sub\\deep\\d.gif"};
    struct Case {
        const char* name;
        std::string folder;
        bool withSubfolders;
        Outcome outcome;
        std::set<std::string> files;
        size_t folders, unreadable;
    } cases[] = {
        {"the folder alone", "C:\\P", false, Outcome::Listed, top, 1, 0},
        {"with its subfolders, never the hidden one nor through the link", "C:\\P", true, Outcome::Listed, all, 4, 1},
        {"the folder as the selection file writes it", "C:\\P\\", false, Outcome::Listed, top, 1, 0},
        {"a subfolder whose link leads back up", "C:\\P\\sub", true, Outcome::Listed,
         {"C:\\P\\sub\\c.jpg", "C:\\P\\sub\\deep\\d.gif"}, 2, 0},
        {"a loop of links", "C:\\Loop", true, Outcome::Listed, {}, 1, 0},
        {"an empty folder", "C:\\E", true, Outcome::Listed, {}, 1, 0},
        {"a folder that is a file", "C:\\file.jpg", true, Outcome::NotAFolder, {}, 0, 0},
        {"a folder that is not there", "C:\\gone", true, Outcome::Missing, {}, 0, 0},
        {"a folder that cannot be read", "C:\\P\\locked", true, Outcome::Unreadable, {}, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Folders folders = Tree();
        FolderPictures result;
        std::set<std::string> files = Expand(folders, nullptr, c.folder, c.withSubfolders, &result);
        EXPECT_EQ(result.outcome, c.outcome);
        EXPECT_EQ(files, c.files);
        EXPECT_EQ(result.folders, c.folders);
        EXPECT_EQ(result.unreadable, c.unreadable);
        EXPECT_EQ(result.topFiles, size_t(std::count_if(files.begin(), files.end(), [&](const std::string& path) {
                      return path.rfind('\\') == WithTrailingBackslash(c.folder).size() - 1;
                  })));
        EXPECT_EQ(result.fromCache, 0u);
        EXPECT_FALSE(result.tooMany);
    }

    // Links the system does not report as links (a server following them itself): the walk stops.
    class Endless : public Folders {
        bool Stat(const std::string&, FolderItem& item, uint32_t&) override {
            item = {"", kAttributeDirectory, 1};
            return true;
        }
        bool List(const std::string&, std::vector<FolderItem>& items, uint32_t&) override {
            items = {{"x", kAttributeDirectory, 1}, {"y", kAttributeDirectory, 1}, {"p.jpg", 0, 1}};
            return true;
        }
    } endless;
    FolderPictures result;
    Expand(endless, nullptr, "C:\\", true, &result);
    EXPECT_TRUE(result.tooMany);
    EXPECT_EQ(result.folders, kMaxFolders);
    EXPECT_EQ(result.files.size(), kMaxFolders);
}

// Runs one after another, the cache kept as text between them, the folder changing in between.
TEST(FolderListing, UnchangedFoldersComeFromTheCacheChangedOnesAreListedAgain) {
    struct Step {
        const char* name;
        std::function<void(Folders&)> change;
        std::set<std::string> added, removed;  // against the run before
        size_t fromCache, lists;
        bool withSubfolders = true;
    } steps[] = {
        {"first run: every folder listed", [](Folders&) {},
         {"C:\\P\\a.jpg", "C:\\P\\b.BMP", "C:\\P\\sub\\c.jpg", "C:\\P\\sub\\deep\\d.gif"}, {}, 0, 5},
        {"nothing changed: every listing from the cache, the locked folder tried again", [](Folders&) {}, {}, {}, 4, 1},
        {"a picture added below", [](Folders& f) { f.Add("C:\\P\\sub\\deep\\new.jpg"); },
         {"C:\\P\\sub\\deep\\new.jpg"}, {}, 3, 2},
        {"a picture removed", [](Folders& f) { f.Remove("C:\\P\\a.jpg"); }, {}, {"C:\\P\\a.jpg"}, 3, 2},
        {"a picture renamed", [](Folders& f) { f.Rename("C:\\P\\sub\\c.jpg", "C:\\P\\sub\\c2.jpg"); },
         {"C:\\P\\sub\\c2.jpg"}, {"C:\\P\\sub\\c.jpg"}, 3, 2},
        {"a new subfolder with a picture",
         [](Folders& f) {
             f.AddFolder("C:\\P\\sub\\2024");
             f.Add("C:\\P\\sub\\2024\\e.jpg");
         },
         {"C:\\P\\sub\\2024\\e.jpg"}, {}, 3, 3},
        {"a text file added: listed again, nothing new", [](Folders& f) { f.Add("C:\\P\\readme.txt"); }, {}, {}, 4, 2},
        {"subfolders off, from the same cache", [](Folders&) {},
         {}, {"C:\\P\\sub\\c2.jpg", "C:\\P\\sub\\deep\\d.gif", "C:\\P\\sub\\deep\\new.jpg", "C:\\P\\sub\\2024\\e.jpg"},
         1, 0, false},
        {"and on again: the run before kept only what it used", [](Folders&) {},
         {"C:\\P\\sub\\c2.jpg", "C:\\P\\sub\\deep\\d.gif", "C:\\P\\sub\\deep\\new.jpg", "C:\\P\\sub\\2024\\e.jpg"}, {},
         1, 5},
        {"a file system whose folder times do not follow their names: always listed",
         [](Folders& f) { f.tracks = false; }, {}, {}, 0, 6},
    };
    Folders folders = Tree();
    std::string kept;
    std::set<std::string> before;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        folders.now += 60 * kFileTimeSecond;
        step.change(folders);
        // The run comes a minute after the change.
        folders.now += 60 * kFileTimeSecond;
        folders.lists = 0;
        FolderCache cache = FolderCache::Parse(kept);
        FolderPictures result;
        std::set<std::string> files = Expand(folders, &cache, "C:\\P\\", step.withSubfolders, &result);
        std::set<std::string> added, removed;
        std::set_difference(files.begin(), files.end(), before.begin(), before.end(), std::inserter(added, added.end()));
        std::set_difference(before.begin(), before.end(), files.begin(), files.end(),
                            std::inserter(removed, removed.end()));
        EXPECT_EQ(added, step.added);
        EXPECT_EQ(removed, step.removed);
        EXPECT_EQ(result.fromCache, step.fromCache);
        EXPECT_EQ(folders.lists, int(step.lists));
        before = files;
        kept = cache.Text();
    }
}

TEST(FolderListing, CacheKeepsOnlyWhatIsSureAndWhatWasUsed) {
    Folders folders = Tree();
    FolderCache cache;
    Expand(folders, &cache, "C:\\P", true);
    const std::string text = cache.Text();
    FolderCache back = FolderCache::Parse(text);
    ASSERT_TRUE(back.Find("c:\\p\\sub\\DEEP"));
    EXPECT_EQ(back.Find("c:\\p\\sub\\DEEP")->files, std::vector<std::string>{"d.gif"});
    EXPECT_EQ(back.Find("C:\\P")->subfolders, cache.Find("C:\\P")->subfolders);
    EXPECT_EQ(cache.KeptNames(), 9u);

    // A folder changed less than 2 s before it was listed is listed again however it looks then.
    folders.Add("C:\\P\\late.jpg");
    folders.now += kFileTimeSecond;
    cache = FolderCache();
    Expand(folders, &cache, "C:\\P", false);
    folders.now += 3600 * kFileTimeSecond;
    folders.lists = 0;
    FolderPictures result;
    Expand(folders, &cache, "C:\\P", false, &result);
    EXPECT_EQ(folders.lists, 1);
    Expand(folders, &cache, "C:\\P", false, &result);
    EXPECT_EQ(result.fromCache, 1u);

    // Listings not used by a run are dropped, unless used for a folder that could not be read: its
    // pictures as last seen.
    FolderCache old = FolderCache::Parse(text);
    ASSERT_EQ(old.Size(), 4u);
    EXPECT_EQ(FolderCache::Parse(old.Text()).Size(), 0u);
    std::vector<std::string> seen =
        CachedFolderPictures(old, "c:\\p\\SUB\\", true, [](std::string_view n) { return kPictures.Matches(n); });
    EXPECT_EQ(std::set<std::string>(seen.begin(), seen.end()),
              (std::set<std::string>{"c:\\p\\SUB\\c.jpg", "c:\\p\\SUB\\deep\\d.gif"}));
    EXPECT_EQ(FolderCache::Parse(old.Text()).Size(), 2u);

    // Names that cannot be written on a line leave their folder out.
    FolderCache odd;
    odd.Store("C:\\odd", {1, 1, {"a\nb.jpg"}, {}});
    odd.Store("C:\\plain", {1, 1, {"a.jpg"}, {}});
    EXPECT_EQ(FolderCache::Parse(odd.Text()).Size(), 1u);

    for (std::string garbage :
         {std::string(), std::string("Mosalux folder listings 2\r\n"), text.substr(0, text.size() - 1),
          text.substr(0, text.size() / 2), text + "1 2 3\r\n", text + "1 2 99999999 0 C:\\x\r\n",
          text + "1 2 1 0 \r\na\r\n", text + "g 2 0 0 C:\\x\r\n"}) {
        SCOPED_TRACE(garbage.substr(0, 80));
        EXPECT_EQ(FolderCache::Parse(garbage).Size(), 0u);
    }
}

// The deck over a folder's pictures, found again at every log-on while the folder changes.
TEST(FolderListing, DeckDealsOverAChangingFolder) {
    struct Change {
        int run;
        std::function<void(Folders&)> change;
    };
    struct Case {
        const char* name;
        std::vector<Change> changes;
        std::set<std::string> newcomers;  // must come before the round they join ends
        std::set<std::string> leavers;    // never come after they left
    } cases[] = {
        {"pictures added mid-round",
         {{4, [](Folders& f) {
               f.Add("C:\\P\\n1.jpg");
               f.Add("C:\\P\\sub\\n2.jpg");
           }}},
         {"C:\\P\\n1.jpg", "C:\\P\\sub\\n2.jpg"},
         {}},
        {"pictures removed mid-round",
         {{3, [](Folders& f) {
               f.Remove("C:\\P\\p3.jpg");
               f.Remove("C:\\P\\sub\\s1.jpg");
           }}},
         {},
         {"C:\\P\\p3.jpg", "C:\\P\\sub\\s1.jpg"}},
        {"a picture renamed mid-round", {{5, [](Folders& f) { f.Rename("C:\\P\\p0.jpg", "C:\\P\\renamed.jpg"); }}},
         {"C:\\P\\renamed.jpg"},
         {"C:\\P\\p0.jpg"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (uint64_t seed = 1; seed <= 50; ++seed) {
            SCOPED_TRACE("seed " + std::to_string(seed));
            Folders folders;
            folders.AddFolder("C:\\P");
            folders.AddFolder("C:\\P\\sub");
            for (int i = 0; i < 8; ++i) folders.Add("C:\\P\\p" + std::to_string(i) + ".jpg");
            for (int i = 0; i < 4; ++i) folders.Add("C:\\P\\sub\\s" + std::to_string(i) + ".jpg");
            std::string deckText, cacheText;
            std::set<std::string> round, waiting, joining, gone;
            for (int run = 1; run <= 40; ++run) {
                folders.now += 3600 * kFileTimeSecond;
                joining.clear();
                for (const Change& change : c.changes)
                    if (change.run == run) {
                        change.change(folders);
                        joining = c.newcomers;
                        for (const std::string& path : c.newcomers) waiting.insert(path);
                        for (const std::string& path : c.leavers) gone.insert(path);
                    }
                FolderCache cache = FolderCache::Parse(cacheText);
                FolderPictures pictures = ListFolderPictures(folders, &cache, "C:\\P\\", true,
                                                             [](std::string_view n) { return kPictures.Matches(n); });
                cacheText = cache.Text();
                std::vector<uint64_t> keys;
                for (const std::string& path : pictures.files) keys.push_back(EntryKey(path, "Tiled"));
                SeededRandom random(seed * 1000 + uint64_t(run));
                Deck deck(keys, ParseDeckText(deckText), random);
                std::optional<size_t> next = deck.Next();
                ASSERT_TRUE(next);
                deckText = DeckText(deck.StateShown(*next));
                const std::string& path = pictures.files[*next];
                ASSERT_FALSE(gone.count(path)) << path << " came after it left";
                if (deck.Place() == 1) {
                    // A new round: the pictures that joined the last one all came in it.
                    for (const std::string& newcomer : waiting)
                        ASSERT_TRUE(joining.count(newcomer)) << newcomer << " missed the round it joined";
                    round.clear();
                }
                ASSERT_TRUE(round.insert(path).second) << path << " twice in a round";
                waiting.erase(path);
            }
        }
    }
}

TEST(FolderEntries, NamesAndCaptions) {
    EXPECT_EQ(FolderScopeOf("*"), FolderScope::Folder);
    EXPECT_EQ(FolderScopeOf("**"), FolderScope::WithSubfolders);
    for (const char* file : {"", "***", "a*", "*.jpg", "\\*"}) EXPECT_EQ(FolderScopeOf(file), FolderScope::None) << file;
    EXPECT_EQ(EntryCaption("**"), "\\**");
    EXPECT_EQ(EntryCaption("*"), "\\*");
    EXPECT_EQ(EntryCaption("a.jpg"), "a.jpg");
}

}  // namespace
}  // namespace mx
