#pragma once
// The pictures of a folder entry, found again each time they are asked for: one listing pass per
// folder, and for a folder whose last-write time has not changed since it was last listed, its
// listing from a small cache instead (a folder's time changes whenever a name in it comes, goes or
// is renamed). Subfolders that are reparse points (junctions, links, mounted volumes) are never
// entered, so a loop of them cannot trap the walk; hidden and system folders are passed over as the
// browser passes them over.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace mx {

// File attributes, with the values the system gives them.
inline constexpr uint32_t kAttributeHidden = 0x2;
inline constexpr uint32_t kAttributeSystem = 0x4;
inline constexpr uint32_t kAttributeDirectory = 0x10;
inline constexpr uint32_t kAttributeReparsePoint = 0x400;

// File times count 100-nanosecond steps, as the system's do.
inline constexpr uint64_t kFileTimeSecond = 10'000'000;

struct FolderItem {
    std::string name;
    uint32_t attributes = 0;
    uint64_t lastWrite = 0;
};

// Where folders are read: the machine's file system (folder_listing_win.cpp), or a test's.
class FolderSource {
public:
    virtual ~FolderSource() = default;
    // The attributes and last-write time of a path (its name is left alone); false with the system's
    // error code when it cannot be asked.
    virtual bool Stat(const std::string& path, FolderItem& item, uint32_t& error) = 0;
    // Everything a folder holds but "." and "..", in one pass; false with the system's error code.
    virtual bool List(const std::string& folder, std::vector<FolderItem>& items, uint32_t& error) = 0;
    // Whether the file system of the folder changes a folder's last-write time whenever a name in it
    // changes (NTFS and ReFS do, FAT's do not): only then may its listings come from the cache.
    virtual bool TracksFolderChanges(const std::string& folder) = 0;
    // The time now, as file times count it.
    virtual uint64_t Now() = 0;
};

// What one listing of a folder found.
struct FolderListing {
    uint64_t lastWrite = 0;  // the folder's last-write time, seen before it was listed
    uint64_t listedAt = 0;   // when it was listed
    std::vector<std::string> files;       // ordinary files: no hidden or system ones
    std::vector<std::string> subfolders;  // the ones walked: no hidden, system or reparse-point ones
};

// The listings of the folders walked, kept between runs as text. A listing is used again only when
// the folder's last-write time is the same, and only when it was made a while (2 s) after that
// time: a name added in the same tick of a coarse clock as the listing would otherwise go unseen.
class FolderCache {
public:
    // The listing of a folder, its path compared without regard to case; null when there is none.
    const FolderListing* Find(std::string_view folder);
    void Store(std::string_view folder, FolderListing listing);
    // The listings to keep: those found or stored by this run. Folders whose names cannot be
    // written on a line are left out (they are listed again next time).
    std::string Text() const;
    // The cache kept in `text`; a text that is not one gives an empty cache.
    static FolderCache Parse(std::string_view text);
    // Keeps every listing read, used by this run or not: a run that deals one list only must not
    // drop what the others' folders gave.
    void KeepEvery();

    size_t Size() const { return listings_.size(); }
    // Whether the text to keep differs from the one read: a listing was stored, or one read was
    // not used.
    bool Changed() const;
    // The names of every listing found or stored by this run: the memory the next run reads.
    size_t KeptNames() const;

private:
    struct Held {
        std::string folder;
        FolderListing listing;
        bool used = false;
        bool stored = false;
    };
    std::unordered_map<std::string, Held> listings_;  // by the folder's path in upper case
};

// Whether a listing is still the folder's, given the folder's last-write time now.
bool ListingIsCurrent(const FolderListing& listing, uint64_t lastWrite);

// The pictures of one folder entry.
struct FolderPictures {
    enum class Outcome {
        Listed,      // the folder was read (some of its subfolders may not have been)
        Missing,     // no such folder
        NotAFolder,  // a file of that name
        Unreadable,  // it is there but cannot be listed (access denied, a share that went away)
    };
    Outcome outcome = Outcome::Listed;
    uint32_t error = 0;               // the system's error code when not Listed
    std::vector<std::string> files;   // the full paths of the files found usable
    size_t topFiles = 0;              // of them, how many lie in the folder itself
    size_t folders = 0;               // folders read
    size_t fromCache = 0;             // of them, read from the cache
    size_t unreadable = 0;            // subfolders that could not be listed
    bool tooMany = false;             // the walk stopped at kMaxFolders
};

// How many folders one folder entry walks at most: a tree of links the system does not report as
// such (a share's server may follow them itself) is cut off there.
inline constexpr size_t kMaxFolders = 10000;

// The files of `folder`, and with `withSubfolders` of every folder below it, whose names `usable`
// accepts. `cache` may be null; otherwise listings are taken from it and new ones stored in it.
FolderPictures ListFolderPictures(FolderSource& source, FolderCache* cache, std::string_view folder,
                                  bool withSubfolders, const std::function<bool(std::string_view name)>& usable);

// The files the cache last saw in `folder` (and with `withSubfolders` below it) whose names `usable`
// accepts, for a folder that cannot be read now; their listings are kept for the next run.
std::vector<std::string> CachedFolderPictures(FolderCache& cache, std::string_view folder, bool withSubfolders,
                                              const std::function<bool(std::string_view name)>& usable);

}  // namespace mx
