#include "randomizer/wallpaper_step.h"

#include <algorithm>
#include <chrono>
#include <new>
#include <optional>

#include "lists/categories.h"
#include "picture/load_picture.h"
#include "picture/reader_util.h"
#include "platform/beside.h"
#include "platform/environment.h"
#include "platform/joined_thread.h"
#include "platform/text.h"
#include "platform/user_error.h"
#include "system/wallpaper.h"

namespace mx {

namespace {

using Clock = std::chrono::steady_clock;

long long Milliseconds(Clock::duration d) { return std::chrono::duration_cast<std::chrono::milliseconds>(d).count(); }

// An entry to show on some of the screens, with its place in its round when it was dealt.
struct Pick {
    size_t entry;
    std::string place;
    std::vector<size_t> screens;
};

class Step {
public:
    Step(const WallpaperRun& run, LayoutWallpaper& wallpaper) : run_(run), wallpaper_(wallpaper) {}

    WallpaperOutcome Run() {
        if (!wallpaper_.Single())
            run_.log(run_.name + ": " + DescribeLayout(wallpaper_.Layout()) + "; " +
                     std::string(MonitorCoverName(wallpaper_.Cover())));
        const std::vector<std::vector<size_t>> groups = wallpaper_.ScreensPerPicture();
        std::vector<bool> done(wallpaper_.Screens());
        // The display's depth, which the file is written at, is asked for while the pictures are
        // read: a process's first question about the display loads the system's display settings,
        // about 14 ms under Wine.
        std::optional<JoinedThread> depthQuery;
        if (!run_.dryRun) depthQuery.emplace([this] { displayBits_ = run_.env.DisplayBitsPerPixel(); });
        depthQuery_ = depthQuery ? &*depthQuery : nullptr;
        entryOn_.assign(wallpaper_.Screens(), kNoEntry);
        for (;;) {
            std::vector<Pick> picks;
            bool exhausted = false;
            for (const std::vector<size_t>& screens : groups) {
                if (done[screens[0]]) continue;
                if (!Deal(screens, picks, exhausted)) break;
            }
            if (picks.empty()) break;
            std::vector<Reading> readings(picks.size());
            if (!Read(picks, readings)) return WallpaperOutcome::LeftToAnotherRun;
            for (size_t i = 0; i < picks.size(); ++i) {
                const Pick& pick = picks[i];
                std::optional<std::string> line = Show(pick, readings[i]);
                if (!line) {
                    // The time of pictures decoded together goes to the next one's line.
                    if (i + 1 < picks.size() && !readings[i + 1].took) readings[i + 1].took = readings[i].took;
                    continue;
                }
                for (size_t s : pick.screens) {
                    done[s] = true;
                    entryOn_[s] = pick.entry;
                }
                // The line of the picture that completes the wallpaper also says how it was set.
                if (std::find(done.begin(), done.end(), false) == done.end()) held_ = std::move(*line);
                else run_.log(*line);
            }
        }
        if (std::find(done.begin(), done.end(), true) == done.end()) return WallpaperOutcome::NoneUsable;
        Finish();
        return left_ ? WallpaperOutcome::LeftToAnotherRun : WallpaperOutcome::Set;
    }

private:
    std::string Path(size_t entry) const {
        return JoinPath(run_.list[entry].directory, run_.list[entry].fileName);
    }

    // Puts the next entry dealt for the screens into the picks, or, once the deck has nothing more
    // this run, an entry already shown, in turn (a list with fewer entries than monitors). False when
    // there is nothing at all to show.
    bool Deal(const std::vector<size_t>& screens, std::vector<Pick>& picks, bool& exhausted) {
        while (!exhausted) {
            const std::optional<size_t> next = run_.deck.Next();
            if (!next) {
                exhausted = true;
                break;
            }
            const SelectionEntry& entry = run_.list[*next];
            const std::string path = Path(*next);
            if (std::find(kStyleNames.begin(), kStyleNames.end(), entry.style) == kStyleNames.end()) {
                run_.passOver(path, "no style \"" + entry.style + "\"");
                continue;
            }
            if (!run_.reachable(path)) continue;
            Add(picks, *next, "place " + std::to_string(run_.deck.Place()) + " of " +
                                  std::to_string(run_.deck.RoundSize()), screens);
            return true;
        }
        std::vector<size_t> again = shown_;
        for (const Pick& p : picks) again.push_back(p.entry);
        std::erase_if(again, [&](size_t e) { return std::find(failed_.begin(), failed_.end(), e) != failed_.end(); });
        if (again.empty()) return false;
        Add(picks, again[reused_++ % again.size()], "again", screens);
        return true;
    }

    static void Add(std::vector<Pick>& picks, size_t entry, std::string place, const std::vector<size_t>& screens) {
        for (Pick& p : picks)
            if (p.entry == entry) {
                p.screens.insert(p.screens.end(), screens.begin(), screens.end());
                return;
            }
        picks.push_back({entry, std::move(place), screens});
    }

    // A pick's entry as read for all its screens: the request, what reading it came to, and how long
    // that took (nothing for a picture decoded beside the one before it, whose time that one's counts).
    struct Reading {
        std::optional<ShowRequest> request;
        EntryRead read = EntryRead::Unusable;
        unsigned status = kStatusFailed;
        bool outOfMemory = false;
        DecodedPicture decoded;
        std::optional<Clock::duration> took;
    };

    void ReadFile(const Pick& pick, Reading& r, JpegThreads threads) const {
        try {
            r.status = LoadPictureFile(Path(pick.entry), CategoryWall, *r.request, r.decoded, nullptr, threads);
        } catch (const std::bad_alloc&) {
            r.decoded = DecodedPicture{};
            r.outOfMemory = true;
        }
    }

    // Admits each pick's entry and decodes it once for the largest part its screens show. Two pictures
    // are decoded at once where the machine has two processors, each by one decoder: two decoders
    // on one picture gain less, since the second one skips the upper rows by decoding their entropy.
    // False, with nothing read, when the list is left to another run.
    bool Read(const std::vector<Pick>& picks, std::vector<Reading>& readings) {
        std::vector<size_t> admitted;
        const auto start = Clock::now();
        const bool together = picks.size() > 1 && SeveralProcessors();
        for (size_t i = 0; i < picks.size(); ++i) {
            Reading& r = readings[i];
            const auto began = Clock::now();
            r.request = wallpaper_.RequestFor(run_.list[picks[i].entry].style, picks[i].screens);
            r.read = r.request ? run_.admit(Path(picks[i].entry)) : EntryRead::Unusable;
            if (r.read == EntryRead::LeftToAnotherRun) {
                left_ = true;
                return false;
            }
            if (r.read != EntryRead::Read) continue;
            admitted.push_back(i);
            if (together) continue;
            ReadFile(picks[i], r, JpegThreads::BySize);
            r.took = Clock::now() - began;
        }
        if (together && !admitted.empty()) {
            // Every other picture on the second processor.
            auto share = [&](size_t first) {
                for (size_t k = first; k < admitted.size(); k += 2)
                    ReadFile(picks[admitted[k]], readings[admitted[k]], JpegThreads::One);
            };
            if (admitted.size() == 1) ReadFile(picks[admitted[0]], readings[admitted[0]], JpegThreads::BySize);
            else RunBeside([&] { share(1); }, [&] { share(0); });
            readings[admitted[0]].took = Clock::now() - start;
        }
        return true;
    }

    // Renders the pick's picture for each of its screens: the picture's line for the log, or nothing,
    // with the reason in the log, when it cannot be used.
    std::optional<std::string> Show(const Pick& pick, Reading& reading) {
        const SelectionEntry& entry = run_.list[pick.entry];
        const std::string path = Path(pick.entry);
        if (reading.read == EntryRead::Read)
            reading.read = run_.judge(path, reading.status, reading.outOfMemory, reading.decoded);
        if (reading.read != EntryRead::Read) {
            failed_.push_back(pick.entry);
            return std::nullopt;
        }
        DecodedPicture& decoded = reading.decoded;
        const auto decodedAt = Clock::now();
        std::string line = run_.name + ": " + path + " as " + entry.style + " (" + pick.place + ")";
        if (wallpaper_.Cover() == MonitorCover::Across && !wallpaper_.Single()) {
            std::vector<size_t> all(wallpaper_.Layout().monitors.size());
            for (size_t m = 0; m < all.size(); ++m) all[m] = m;
            line += " across " + MonitorNames(all);
        } else if (!wallpaper_.Single()) {
            line += " on " + MonitorNames(pick.screens);
        }
        line += reading.took ? ": decoded " + std::to_string(Milliseconds(*reading.took)) + " ms"
                             : ": decoded beside the picture before";
        if (run_.dryRun) {
            shown_.push_back(pick.entry);
            return line + "; would be set";
        }
        try {
            // Only what the monitors show was decoded. Where a rendering is exactly those pixels it
            // takes them; the decoded picture is let go before the file is written.
            wallpaper_.Render(std::move(decoded), entry.style, pick.screens);
        } catch (const std::bad_alloc&) {
            run_.passOver(path, "not enough memory to render it");
            failed_.push_back(pick.entry);
            return std::nullopt;
        }
        shown_.push_back(pick.entry);
        return line + ", rendered " + std::to_string(Milliseconds(Clock::now() - decodedAt)) + " ms";
    }

    // Makes the wallpaper of the renderings; a monitor left without a picture (its entry gone since
    // it was first read) leaves the wallpaper as it is.
    void Finish() {
        if (held_.empty()) held_ = run_.name + ":";
        if (run_.dryRun) {
            run_.log(held_);
            return;
        }
        // Shown, the last monitor's entry does not begin the next round.
        if (!run_.keep(run_.deck.StateShown(shown_.back()))) {
            left_ = true;
            return;
        }
        const auto start = Clock::now();
        Clock::duration written{};
        try {
            if (depthQuery_) depthQuery_->Join();
            written = ApplyWallpaper(run_.env, wallpaper_, run_.programDir, displayBits_);
        } catch (const UserError& e) {
            run_.keep(run_.deck.State());  // it was not shown after all
            run_.log(held_ + "; not set, the wallpaper is left as it is: " + e.what());
            return;
        }
        std::string set = ", set " + std::to_string(Milliseconds(Clock::now() - start)) + " ms";
        // With several monitors the line also says how long the file alone took (the rest is the
        // system's taking it), and how the system lays it out.
        if (!wallpaper_.Single()) {
            const Size file = wallpaper_.FileSize();
            set += " (written " + std::to_string(Milliseconds(written)) + " ms) as one file of " +
                   std::to_string(file.width) + " x " + std::to_string(file.height) +
                   (wallpaper_.Tiled() ? ", tiled from the primary monitor" : ", spanned");
        }
        run_.log(held_ + set);
        if (run_.pictures) {
            run_.pictures->clear();
            for (const std::vector<size_t>& screens : wallpaper_.ScreensPerPicture())
                if (entryOn_[screens[0]] != kNoEntry) run_.pictures->push_back(run_.list[entryOn_[screens[0]]]);
        }
    }

    const WallpaperRun& run_;
    LayoutWallpaper& wallpaper_;
    std::vector<size_t> shown_;   // entries rendered, in the order they were
    std::vector<size_t> failed_;  // entries that could not be used this run
    static constexpr size_t kNoEntry = size_t(-1);
    std::vector<size_t> entryOn_;  // the entry shown on each screen
    size_t reused_ = 0;
    bool left_ = false;  // another run has dealt from the list meanwhile
    std::string held_;
    JoinedThread* depthQuery_ = nullptr;
    int displayBits_ = 0;
};

}  // namespace

WallpaperOutcome SetWallpaperOnLayout(const WallpaperRun& run, LayoutWallpaper& wallpaper) {
    return Step(run, wallpaper).Run();
}

void ApplyPictures(Environment& env, LayoutWallpaper& wallpaper, const std::vector<SelectionEntry>& pictures,
                   const std::string& programDir) {
    const std::vector<std::vector<size_t>> groups = wallpaper.ScreensPerPicture();
    for (size_t i = 0; i < groups.size() && i < pictures.size(); ++i) {
        const std::optional<ShowRequest> request = wallpaper.RequestFor(pictures[i].style, groups[i]);
        DecodedPicture decoded;
        if (!request || LoadPictureFile(JoinPath(pictures[i].directory, pictures[i].fileName), CategoryWall, *request,
                                        decoded) != kStatusOk || decoded.Empty())
            throw UserError(std::string(kUnreadableWallpaper));
        wallpaper.Render(std::move(decoded), pictures[i].style, groups[i]);
    }
    ApplyWallpaper(env, wallpaper, programDir);
}

}  // namespace mx
