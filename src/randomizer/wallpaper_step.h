#pragma once
// The randomizer's wallpaper: the next entry of the wallpaper list's deck for every monitor, or, in
// "A Picture for Each Monitor", the next entries one per monitor in the monitors' order; each entry
// is decoded once, for the largest part any monitor shows of it, rendered for every monitor that
// shows it, and the renderings are made the wallpaper as one file.
#include <functional>
#include <string>
#include <vector>

#include "picture/layout_wallpaper.h"
#include "randomizer/deck.h"
#include "state/selection_file.h"

namespace mx {

class Environment;

// What the run's reading of an entry came to: the picture, or an entry passed over; or the list
// left to another run that has dealt from it meanwhile.
enum class EntryRead { Read, Unusable, LeftToAnotherRun };

// What the step takes from the run: the list and its deck, the log, the run's checks of an entry,
// each of which says in the log why it passes an entry over, and the keeping of the deck before the
// wallpaper is set (false: the list is left to another run). An entry is admitted (the deal kept
// first) before its file is read, and what the reading came to is judged afterwards, so that the
// files of several entries can be read at once between the two.
struct WallpaperRun {
    Environment& env;
    const SelectionList& list;
    Deck& deck;
    std::string programDir;
    bool dryRun = false;
    std::string name;  // the list's name, which starts its lines
    std::function<void(const std::string& line)> log;
    std::function<bool(const std::string& path)> reachable;
    std::function<EntryRead(const std::string& path)> admit;
    // `status` is LoadPictureFile's, `outOfMemory` says that reading ran out of memory.
    std::function<EntryRead(const std::string& path, unsigned status, bool outOfMemory, const DecodedPicture& picture)>
        judge;
    std::function<void(const std::string& path, const std::string& why)> passOver;
    std::function<bool(const DeckState& state)> keep;
    // When given, receives the entries set, one for each group of ScreensPerPicture(), once the
    // wallpaper is set: what a change of the display makes again.
    std::vector<SelectionEntry>* pictures = nullptr;
};

enum class WallpaperOutcome { Set, NoneUsable, LeftToAnotherRun };

// Deals, decodes and renders the pictures for the wallpaper's screens and makes it the wallpaper
// (a dry run only says what it would set). Where several pictures are dealt at once and the machine
// has two processors, two are decoded at a time, one on each, each with one decoder. The log names the layout when there are several
// monitors, and says for each picture where it went. When no entry can be used, or the list is left
// to another run, nothing is changed. The deal is kept before each picture is read, and, as shown,
// before the wallpaper is set; a wallpaper that cannot be set keeps it as not shown.
WallpaperOutcome SetWallpaperOnLayout(const WallpaperRun& run, LayoutWallpaper& wallpaper);

// Makes the wallpaper of pictures already chosen, one for each group of ScreensPerPicture(), as
// when the current pictures are made again for a new layout: each is decoded once for the largest
// part its screens show. Raises the error the user would see when one cannot be read (nothing is
// changed then) or the wallpaper cannot be set.
void ApplyPictures(Environment& env, LayoutWallpaper& wallpaper, const std::vector<SelectionEntry>& pictures,
                   const std::string& programDir);

}  // namespace mx
