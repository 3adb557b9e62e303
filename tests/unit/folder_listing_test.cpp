#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>

#include "lists/file_masks.h"
#include "lists/folder_listing.h"
#include "platform/text.h"

namespace mx {
namespace {

constexpr uint32_t kLocked = 0x80000000;  // a folder that cannot be listed

// A file system in memory: a name that comes or goes sets its folder's time to the clock, as NTFS
// does; a link lists the folder it points to.
struct Memory : FolderSource {
    struct Node {
        uint32_t attributes;
        uint64_t time;
        std::string target;
    };
    struct CaseLess {
        bool operator()(const std::string& a, const std::string& b) const { return UpperAscii(a) < UpperAscii(b); }
    };
    std::map<std::string, Node, CaseLess> nodes;
    uint64_t now = 1000 * kFileTimeSecond;
    bool tracks = true;
    int lists = 0;

    void Set(const std::string& path, uint32_t attributes = 0, const std::string& target = {}) {
        nodes[path] = {attributes, now, target};
        Touch(path);
    }
    void Remove(const std::string& path) {
        nodes.erase(path);
        Touch(path);
    }
    void Touch(const std::string& path) {
        if (auto parent = nodes.find(path.substr(0, path.rfind('\\'))); parent != nodes.end()) parent->second.time = now;
    }
    bool Stat(const std::string& path, FolderItem& item, uint32_t& error) override {
        auto node = nodes.find(path.size() > 3 && path.back() == '\\' ? path.substr(0, path.size() - 1) : path);
        if (node == nodes.end()) return (error = 2), false;
        item = {"", node->second.attributes & ~kLocked, node->second.time};
        return true;
    }
    bool List(const std::string& folder, std::vector<FolderItem>& items, uint32_t& error) override {
        ++lists;
        std::string key = folder.back() == '\\' ? folder.substr(0, folder.size() - 1) : folder;
        while (nodes.count(key) && !nodes[key].target.empty()) key = nodes[key].target;
        if (!nodes.count(key) || (nodes[key].attributes & kLocked)) return (error = 5), false;
        const std::string prefix = UpperAscii(key) + "\\";
        for (const auto& [path, node] : nodes)
            if (UpperAscii(path).starts_with(prefix) && path.find('\\', prefix.size()) == std::string::npos)
                items.push_back({path.substr(prefix.size()), node.attributes & ~kLocked, node.time});
        return true;
    }
    bool TracksFolderChanges(const std::string&) override { return tracks; }
    uint64_t Now() override { return now; }
};

const FileMask kPictures("*.jpg;*.bmp;*.gif;");

std::set<std::string> Expand(Memory& fs, FolderCache* cache, const std::string& folder, bool withSubfolders,
                             FolderPictures* result = nullptr) {
    FolderPictures pictures =
        ListFolderPictures(fs, cache, folder, withSubfolders, [](std::string_view n) { return kPictures.Matches(n); });
    std::set<std::string> files(pictures.files.begin(), pictures.files.end());
    EXPECT_EQ(files.size(), pictures.files.size()) << "a file listed twice";
    if (result) *result = std::move(pictures);
    return files;
}

// C:\P: two pictures, a text file, a hidden and a system picture; sub (a picture, deep below it, a
// link back up to C:\P), a hidden folder, one that cannot be listed, an empty one. C:\file.jpg is a
// file, C:\E an empty folder, C:\Loop a folder holding only a link to itself.
Memory Tree() {
    Memory fs;
    for (const char* folder : {"C:\\P", "C:\\P\\sub", "C:\\P\\sub\\deep", "C:\\P\\empty", "C:\\E", "C:\\Loop"})
        fs.Set(folder, kAttributeDirectory);
    for (const char* file : {"C:\\P\\a.jpg", "C:\\P\\b.BMP", "C:\\P\\notes.txt", "C:\\P\\sub\\c.jpg",
                             "C:\\P\\sub\\deep\\d.gif", "C:\\file.jpg"})
        fs.Set(file);
    fs.Set("C:\\P\\hidden.jpg", kAttributeHidden);
    fs.Set("C:\\P\\thumbs.jpg", kAttributeSystem);
    fs.Set("C:\\P\\.hidden", kAttributeDirectory | kAttributeHidden);
    fs.Set("C:\\P\\.hidden\\e.jpg");
    fs.Set("C:\\P\\locked", kAttributeDirectory | kLocked);
    fs.Set("C:\\P\\sub\\up", kAttributeDirectory | kAttributeReparsePoint, "C:\\P");
    fs.Set("C:\\Loop\\again", kAttributeDirectory | kAttributeReparsePoint, "C:\\Loop");
    return fs;
}

TEST(FolderListing, PicturesOfAFolderWithAndWithoutItsSubfolders) {
    using Outcome = FolderPictures::Outcome;
    const std::set<std::string> top = {"C:\\P\\a.jpg", "C:\\P\\b.BMP"};
    const std::set<std::string> sub = {"C:\\P\\sub\\c.jpg", "C:\\P\\sub\\deep\\d.gif"};
    std::set<std::string> all = top;
    all.insert(sub.begin(), sub.end());
    struct Case {
        const char* name;
        std::string folder;
        bool withSubfolders;
        Outcome outcome;
        std::set<std::string> files;
        size_t folders, topFiles, unreadable;
    } cases[] = {
        {"the folder alone", "C:\\P", false, Outcome::Listed, top, 1, 2, 0},
        {"with its subfolders, not the hidden one nor up the link", "C:\\P", true, Outcome::Listed, all, 4, 2, 1},
        {"as the selection file writes it", "C:\\P\\", false, Outcome::Listed, top, 1, 2, 0},
        {"a subfolder whose link leads back up", "C:\\P\\sub", true, Outcome::Listed, sub, 2, 1, 0},
        {"a loop of links", "C:\\Loop", true, Outcome::Listed, {}, 1, 0, 0},
        {"an empty folder", "C:\\E", true, Outcome::Listed, {}, 1, 0, 0},
        {"a folder that is a file", "C:\\file.jpg", true, Outcome::NotAFolder, {}, 0, 0, 0},
        {"a folder that is not there", "C:\\gone", true, Outcome::Missing, {}, 0, 0, 0},
        {"a folder that cannot be listed", "C:\\P\\locked", true, Outcome::Unreadable, {}, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Memory fs = Tree();
        FolderPictures result;
        EXPECT_EQ(Expand(fs, nullptr, c.folder, c.withSubfolders, &result), c.files);
        EXPECT_EQ(result.outcome, c.outcome);
        EXPECT_EQ(result.folders, c.folders);
        EXPECT_EQ(result.topFiles, c.topFiles);
        EXPECT_EQ(result.unreadable, c.unreadable);
    }
    // Links the system does not report as links (a server following them itself): the walk stops.
    struct Endless : Memory {
        bool List(const std::string&, std::vector<FolderItem>& items, uint32_t&) override {
            items = {{"x", kAttributeDirectory, 1}, {"y", kAttributeDirectory, 1}, {"p.jpg", 0, 1}};
            return true;
        }
    } endless;
    endless.Set("C:\\", kAttributeDirectory);
    FolderPictures result;
    Expand(endless, nullptr, "C:\\", true, &result);
    EXPECT_TRUE(result.tooMany);
    EXPECT_EQ(result.files.size(), kMaxFolders);
}

// Runs one after another, the cache kept as text between them, the tree changing in between.
TEST(FolderListing, UnchangedFoldersComeFromTheCacheChangedOnesAreListedAgain) {
    const std::string e = "C:\\P\\sub\\2024\\e.jpg";
    struct Step {
        const char* name;
        std::function<void(Memory&)> change;
        std::set<std::string> added, removed;  // against the run before
        size_t fromCache;
        int lists;  // the locked folder is tried at every run
        bool withSubfolders = true;
        uint64_t after = 60;  // seconds from the change to the run
    } steps[] = {
        {"first run", [](Memory&) {}, {"C:\\P\\a.jpg", "C:\\P\\b.BMP", "C:\\P\\sub\\c.jpg", "C:\\P\\sub\\deep\\d.gif"},
         {}, 0, 5},
        {"nothing changed", [](Memory&) {}, {}, {}, 4, 1},
        {"a picture added below", [](Memory& fs) { fs.Set("C:\\P\\sub\\deep\\n.jpg"); }, {"C:\\P\\sub\\deep\\n.jpg"}, {}, 3, 2},
        {"a picture removed", [](Memory& fs) { fs.Remove("C:\\P\\a.jpg"); }, {}, {"C:\\P\\a.jpg"}, 3, 2},
        {"a picture renamed", [](Memory& fs) { fs.Remove("C:\\P\\sub\\c.jpg"), fs.Set("C:\\P\\sub\\c2.jpg"); },
         {"C:\\P\\sub\\c2.jpg"}, {"C:\\P\\sub\\c.jpg"}, 3, 2},
        {"a new subfolder", [&](Memory& fs) { fs.Set("C:\\P\\sub\\2024", kAttributeDirectory), fs.Set(e); }, {e}, {}, 3, 3},
        {"subfolders off", [](Memory&) {}, {}, {"C:\\P\\sub\\c2.jpg", "C:\\P\\sub\\deep\\d.gif", "C:\\P\\sub\\deep\\n.jpg", e},
         1, 0, false},
        {"and on again: the run before kept only what it used", [](Memory&) {},
         {"C:\\P\\sub\\c2.jpg", "C:\\P\\sub\\deep\\d.gif", "C:\\P\\sub\\deep\\n.jpg", e}, {}, 1, 5},
        {"a change a second before the listing", [](Memory& fs) { fs.Set("C:\\P\\late.txt"); }, {}, {}, 4, 2, true, 1},
        {"is not trusted: listed again", [](Memory&) {}, {}, {}, 4, 2},
        {"and then trusted", [](Memory&) {}, {}, {}, 5, 1},
    };
    Memory fs = Tree();
    std::string kept;
    std::set<std::string> before;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        fs.now += 60 * kFileTimeSecond;
        step.change(fs);
        fs.now += step.after * kFileTimeSecond;
        fs.lists = 0;
        FolderCache cache = FolderCache::Parse(kept);
        FolderPictures result;
        std::set<std::string> files = Expand(fs, &cache, "C:\\P\\", step.withSubfolders, &result), added, removed;
        std::set_difference(files.begin(), files.end(), before.begin(), before.end(), std::inserter(added, added.end()));
        std::set_difference(before.begin(), before.end(), files.begin(), files.end(), std::inserter(removed, removed.end()));
        EXPECT_EQ(added, step.added);
        EXPECT_EQ(removed, step.removed);
        EXPECT_EQ(result.fromCache, step.fromCache);
        EXPECT_EQ(fs.lists, step.lists);
        before = files;
        kept = cache.Text();
    }
    // A file system that does not keep folders' times so: listed every time.
    fs.tracks = false;
    fs.lists = 0;
    FolderCache unused = FolderCache::Parse(kept);
    Expand(fs, &unused, "C:\\P", true);
    EXPECT_EQ(fs.lists, 6);
    // A folder that cannot be read now: its pictures as last seen, which the cache keeps.
    FolderCache cache = FolderCache::Parse(kept);
    std::vector<std::string> seen = CachedFolderPictures(cache, "c:\\p\\SUB", false, [](std::string_view) { return true; });
    EXPECT_EQ(seen, (std::vector<std::string>{"c:\\p\\SUB\\c2.jpg"}));
    EXPECT_EQ(FolderCache::Parse(cache.Text()).Size(), 1u);
    for (std::string garbage : {std::string(), std::string("Mosalux folder listings 2\r\n"), kept.substr(0, kept.size() - 1),
                                kept + "1 2 3\r\n", kept + "1 2 99999999 0 C:\\x\r\n", kept + "g 2 0 0 C:\\x\r\n"})
        EXPECT_EQ(FolderCache::Parse(garbage).Size(), 0u) << garbage;
}

}  // namespace
}  // namespace mx
