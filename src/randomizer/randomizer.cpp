#include <windows.h>
#include <bcrypt.h>

#include "randomizer/randomizer.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <memory>
#include <new>

#include "app/command_line.h"
#include "lists/browser_filters.h"
#include "lists/categories.h"
#include "lists/file_masks.h"
#include "lists/folder_entries.h"
#include "lists/folder_listing_win.h"
#include "picture/load_picture.h"
#include "picture/picture_win.h"
#include "picture/reader_util.h"
#include "picture/render.h"
#include "platform/code_page.h"
#include "platform/environment.h"
#include "platform/file_reading.h"
#include "platform/file_replacement.h"
#include "platform/handles.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "platform/user_error.h"
#include "randomizer/deck.h"
#include "randomizer/folder_expansion.h"
#include "randomizer/folder_probes.h"
#include "randomizer/randomizer_text.h"
#include "randomizer/resident.h"
#include "randomizer/resident_link.h"
#include "randomizer/wallpaper_step.h"
#include "state/selection_file.h"
#include "state/settings_store.h"
#include "state/settings_values.h"
#include "system/boot_screens.h"
#include "system/wallpaper.h"

namespace mx {

namespace {

using Clock = std::chrono::steady_clock;

// A folder that does not answer (a network share not yet connected at log-on) may hold up the whole
// run by this much at most, however many entries lie in it; so many shares are asked at once at
// first (a share the run waits for is asked at once).
inline constexpr DWORD kFolderWaitMs = 2000;
inline constexpr size_t kFolderProbeThreads = 8;
// Runs started together (a user logging on twice, or a run started by hand during log-on) take
// turns; one that waits longer than this for its turn goes ahead anyway.
inline constexpr DWORD kTurnWaitMs = 60000;
inline constexpr const char* kTurnMutex = "Local\\Mosalux Randomizer";
// --exit, the installer's, gives the randomizer this long to end by itself.
inline constexpr DWORD kEndWaitMs = 30000;

struct ListKind {
    int category;
    const char* name;  // as the log names it
};
constexpr ListKind kLists[] = {{CategoryStart, "Start-up screen"},
                               {CategoryWait, "Waiting screen"},
                               {CategoryShut, "Shut-down screen"},
                               {CategoryWall, "Wallpaper"}};

long long Milliseconds(Clock::duration d) { return std::chrono::duration_cast<std::chrono::milliseconds>(d).count(); }

class SystemRandom : public RandomSource {
public:
    uint64_t Next() override {
        uint64_t value = 0;
        if (!BCRYPT_SUCCESS(::BCryptGenRandom(nullptr, reinterpret_cast<PUCHAR>(&value), sizeof value,
                                              BCRYPT_USE_SYSTEM_PREFERRED_RNG)))
            throw std::runtime_error("the system's random number generator failed");
        return value;
    }
};

// The run's lines: time-stamped and echoed as they are made, and added to the log file before each
// step that may break off (reading a picture, setting it) and once each screen is done, so that a run
// that breaks off (a crash, a kill) leaves the lines of what it did before.
class RunLog {
public:
    // The lines of an earlier version, in the system's 8-bit code page, are kept in UTF-8, as the log is.
    RunLog(const LogEcho& echo, std::string path, UINT eightBitCodePage)
        : echo_(echo), path_(std::move(path)), eightBitCodePage_(eightBitCodePage) {}

    void Line(const std::string& text) {
        SYSTEMTIME t{};
        ::GetLocalTime(&t);
        char stamp[32];
        std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u ", t.wYear, t.wMonth, t.wDay, t.wHour,
                      t.wMinute, t.wSecond);
        pending_.push_back(stamp + text);
        logged_ = true;
        if (echo_) echo_(pending_.back());
    }

    // Adds the lines made since to the file.
    void Write() {
        if (!pending_.empty()) Store();
    }

    // The log is cut to its last lines at the first write of a run and at its end.
    void Finish() {
        if (!logged_) return;
        cut_ = false;
        Store();
    }

private:
    // A log that cannot be written (a read-only program directory) is simply not kept. The file is
    // held whole while lines are added, so that the lines of a run writing at the same moment come
    // before or after, never amid them; one held by another program is waited for 5 s in all in a
    // run, and the lines it kept from being written go with the next write that can be made.
    void Store() {
        if (unwritable_) return;
        FileHandle file;
        for (;;) {
            file.reset(::CreateFileA(path_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
            if (file) break;
            if (::GetLastError() != ERROR_SHARING_VIOLATION) unwritable_ = true;
            if (unwritable_ || waitsLeft_ == 0) return;
            --waitsLeft_;
            ::Sleep(50);
        }
        LARGE_INTEGER size{};
        if (!::GetFileSizeEx(file.get(), &size)) return;
        // A log far longer than the program ever makes is not its own: it starts again.
        const size_t kept = size.QuadPart > (16 << 20) ? 0 : size_t(size.QuadPart);
        std::string old(cut_ ? std::min<size_t>(kept, 1) : kept, '\0');
        LARGE_INTEGER from{};
        from.QuadPart = cut_ ? LONGLONG(kept) - LONGLONG(old.size()) : 0;
        DWORD got = 0;
        if (!old.empty() && (!::SetFilePointerEx(file.get(), from, nullptr, FILE_BEGIN) ||
                             !::ReadFile(file.get(), old.data(), DWORD(old.size()), &got, nullptr) || got != old.size()))
            return;
        // Once cut, lines are only added at the end; only the last character there is read.
        if (!cut_) MakeTextOfFile(old, eightBitCodePage_);
        const std::string appended = AppendToLog(old, pending_, cut_ ? pending_.size() + 1 : kRandomizerLogLines);
        std::string converted;
        const std::string_view text = Utf8Of(appended, converted);
        DWORD written = 0;
        if (::SetFilePointerEx(file.get(), from, nullptr, FILE_BEGIN) &&
            ::WriteFile(file.get(), text.data(), DWORD(text.size()), &written, nullptr) && written == text.size() &&
            ::SetEndOfFile(file.get())) {
            pending_.clear();
            cut_ = true;
        }
    }

    const LogEcho& echo_;
    const std::string path_;
    const UINT eightBitCodePage_;
    std::vector<std::string> pending_;  // lines not yet in the file
    bool logged_ = false;
    bool cut_ = false;
    bool unwritable_ = false;
    int waitsLeft_ = 100;
};

// The monitors the wallpaper is made for: the system's, or those of --monitors or --screen.
MonitorLayout RunLayout(Environment& env, const RandomizerOptions& options) {
    if (options.monitors) return *options.monitors;
    if (options.screenWidth) return MonitorLayout::One({*options.screenWidth, *options.screenHeight});
    return env.Monitors();
}

// The wallpaper of a layout, by the way the selector's settings keep.
LayoutWallpaper WallpaperFor(Environment& env, MonitorLayout layout) {
    RegistryKey settings(env, HKEY_CURRENT_USER, std::string(kSettingsKey) + "\\" + kSelectorSection,
                         RegistryKey::Mode::Read);
    const MonitorCover cover = MonitorCoverOf(ReadIntegerValue(settings.ReadString(kMonitorCoverValue), 0));
    return LayoutWallpaper(std::move(layout), cover, !env.WallpaperSpans(), DesktopColour());
}

class Randomizer {
public:
    Randomizer(Environment& env, const RandomizerOptions& options, RunLog& log)
        : env_(env), options_(options), log_(log), programDir_(ProgramDirOf(env.ModuleFileName())) {}

    // Deals every list, or only the wallpaper's.
    void Run(bool wallpaperOnly) {
        if (options_.dryRun) log_.Line("Dry run: nothing is changed");

        std::string text;
        const std::string dataFile = programDir_ + std::string(kDataFileName);
        const FileRead read = ReadWholeFile(dataFile, text);
        if (read.Missing()) {
            log_.Line("No selection file " + dataFile + ": nothing to do");
            return;
        }
        if (read.openError || read.readError) {
            log_.Line("Selection file " + dataFile + (read.openError ? " cannot be opened: error " : " cannot be read: error ") +
                      std::to_string(read.openError ? read.openError : read.readError) + "; nothing to do");
            return;
        }
        SelectionLists lists;
        MakeTextOfFile(text, env_.EightBitCodePage());
        ParseSelectionFile(text, programDir_, lists);
        text = std::string();
        if (wallpaperOnly && lists[SectionOfCategory(CategoryWall)].empty()) {
            log_.Line("The wallpaper list is empty: nothing to do");
            return;
        }
        if (std::all_of(lists.begin(), lists.end(), [](const auto& list) { return list.empty(); })) {
            log_.Line("The selection file lists no pictures: nothing to do");
            return;
        }
        // A change of the wallpaper alone neither probes nor lists what the boot-screen lists name.
        if (wallpaperOnly)
            for (const ListKind& kind : kLists)
                if (kind.category != CategoryWall) lists[SectionOfCategory(kind.category)] = SelectionList();
        bool folders = false;
        for (const auto& list : lists)
            for (const SelectionEntry& entry : list) {
                probe_.Start(FolderRoot(JoinPath(entry.directory, entry.fileName)));
                folders = folders || IsFolderEntry(entry.fileName);
            }
        // Every folder is listed before any picture is dealt, and the listings kept for the next run.
        std::array<ExpandedList, 4> expanded;
        if (folders) ExpandFolders(lists, expanded, wallpaperOnly);
        else
            for (size_t s = 0; s < lists.size(); ++s) expanded[s].entries = std::move(lists[s]);

        SeededRandom seeded(options_.seed.value_or(0));
        SystemRandom system;
        RandomSource& random = options_.seed ? static_cast<RandomSource&>(seeded) : system;
        for (const ListKind& kind : kLists) {
            const ExpandedList& e = expanded[SectionOfCategory(kind.category)];
            const SelectionList& list = e.entries;
            if (list.empty() && e.folders.empty()) continue;
            KeptDeck kept{kind, ReadDeckText(kind)};
            Deck deck(DeckKeys(list), ParseDeckText(kept.text), random);
            for (const FolderEntryReport& folder : e.folders)
                if (!folder.unanswered.empty()) deck.Hold(folder.first, folder.count);
            if (kind.category == CategoryWall) SetWallpaper(kept, list, deck);
            else SetBootScreen(kept, list, deck);
            log_.Write();
        }
    }

private:
    // A list's deck as this run last read or kept it.
    struct KeptDeck {
        const ListKind& kind;
        std::string text;
        bool failed = false;  // it could not be kept, which is logged once
    };

    // Lists each folder entry's pictures, logs what each gave, and keeps the listings for the next run.
    void ExpandFolders(SelectionLists& lists, std::array<ExpandedList, 4>& expanded, bool wallpaperOnly) {
        const std::string cachePath = programDir_ + std::string(kFolderCacheFile);
        std::string text;
        ReadWholeFile(cachePath, text);
        FolderCache cache = FolderCache::Parse(text);
        text = std::string();
        SystemFolderSource source;
        const auto unanswered = [&](const std::string& folder) -> std::string {
            const std::string root = FolderRoot(WithTrailingBackslash(folder));
            switch (probe_.Ask(root)) {
            case FolderProbes::Answer::Present: return {};
            case FolderProbes::Answer::Missing: return root + " is not there";
            case FolderProbes::Answer::Silent: return root + " does not answer";
            }
            return {};
        };
        for (const ListKind& kind : kLists) {
            const size_t section = SectionOfCategory(kind.category);
            const FileMask usable(UsableFilesMask(kind.category));
            expanded[section] = ExpandFolderEntries(
                lists[section], source, &cache, [&](std::string_view name) { return usable.Matches(name); }, unanswered);
            lists[section] = SelectionList();
            for (const FolderEntryReport& folder : expanded[section].folders)
                log_.Line(std::string(kind.name) + ": " + FolderReportText(folder));
        }
        if (wallpaperOnly) cache.KeepEvery();
        if (options_.dryRun || !cache.Changed()) return;
        FileReplacement file(cachePath);
        text = cache.Text();
        DWORD written = 0;
        if (!file.Create() || !::WriteFile(file.Handle(), text.data(), DWORD(text.size()), &written, nullptr) ||
            written != text.size() || !file.Commit())
            log_.Line("The folders' listings could not be kept in " + cachePath + ": error " +
                      std::to_string(file.Error() ? file.Error() : ::GetLastError()));
    }

    std::string ReadDeckText(const ListKind& kind) {
        RegistryKey key(env_, HKEY_CURRENT_USER, std::string(kSettingsKey) + "\\" + std::string(kDeckSection),
                        RegistryKey::Mode::Read);
        return key.ReadString(std::string(DeckValueName(kind.category))).value_or("");
    }

    // Keeps the deck before the step that may break off (reading a picture, setting it), so that a
    // crash or a kill there never deals the same entry again. False when another run has kept the
    // list's deck since this one read it (this one waited past its turn, or was stopped): the list
    // is then left to that newer run, and this one sets nothing of it. Nothing is kept in a dry run.
    bool KeepDeck(KeptDeck& kept, const DeckState& state) {
        log_.Write();
        if (options_.dryRun) return true;
        if (ReadDeckText(kept.kind) != kept.text) {
            log_.Line(std::string(kept.kind.name) + ": another run has dealt from this list meanwhile; left to it");
            return false;
        }
        try {
            if (!store_) store_ = std::make_unique<SettingsStore>(env_);
            std::string text = DeckText(state);
            store_->WriteString(kDeckSection.data(), std::string(DeckValueName(kept.kind.category)), text);
            kept.text = std::move(text);
        } catch (const UserError& e) {
            if (!kept.failed) log_.Line(std::string(kept.kind.name) + ": the deck could not be kept: " + e.what());
            kept.failed = true;
        }
        return true;
    }

    std::string Place(const Deck& deck) const {
        return "place " + std::to_string(deck.Place()) + " of " + std::to_string(deck.RoundSize());
    }

    void PassOver(const ListKind& kind, const std::string& path, const Deck& deck, const std::string& why) {
        log_.Line(std::string(kind.name) + ": passed over " + path + " (" + Place(deck) + "): " + why);
    }

    void NoneUsable(KeptDeck& kept, const Deck& deck) {
        if (!KeepDeck(kept, deck.State())) return;
        log_.Line(std::string(kept.kind.name) + ": no entry can be used (" + std::to_string(deck.RoundSize()) +
                  " tried); left as it is");
    }

    // Whether the entry's folder can be read now; says why not in the log.
    bool Reachable(const ListKind& kind, const std::string& path, const Deck& deck) {
        std::string root = FolderRoot(path);
        switch (probe_.Ask(root)) {
        case FolderProbes::Answer::Present: return true;
        case FolderProbes::Answer::Missing: PassOver(kind, path, deck, root + " is not there"); return false;
        case FolderProbes::Answer::Silent: PassOver(kind, path, deck, root + " does not answer"); return false;
        }
        return false;
    }

    enum class Loaded { Yes, No, LeftToAnotherRun };

    // Whether the entry's file may be read: it is there, and the deal is kept first. Says why not in
    // the log.
    Loaded Admit(KeptDeck& kept, const std::string& path, const Deck& deck) {
        if (::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
            PassOver(kept.kind, path, deck, "cannot be opened");
            return Loaded::No;
        }
        return KeepDeck(kept, deck.State()) ? Loaded::Yes : Loaded::LeftToAnotherRun;
    }

    // What reading the entry (LoadPictureFile's status, or out of memory) came to; says why it cannot
    // be used in the log.
    Loaded Judge(const ListKind& kind, const std::string& path, const Deck& deck, unsigned status, bool outOfMemory,
                 const DecodedPicture& picture) {
        if (outOfMemory) PassOver(kind, path, deck, "not enough memory to read it");
        else if (status == kStatusCannotOpen) PassOver(kind, path, deck, "cannot be opened");
        else if (status != kStatusOk)
            PassOver(kind, path, deck, kind.category == CategoryWall ? "too large" : "not a readable bitmap");
        else if (picture.Empty())
            PassOver(kind, path, deck,
                     picture.systemDecoderFailed ? "the system's decoder failed" : "not a picture the program can read");
        return !outOfMemory && status == kStatusOk && !picture.Empty() ? Loaded::Yes : Loaded::No;
    }

    // Reads the entry as its category does, as much of it as the request shows; says why it cannot be
    // used in the log.
    Loaded Load(KeptDeck& kept, const std::string& path, const Deck& deck, const ShowRequest& request,
                DecodedPicture& picture) {
        if (Loaded admitted = Admit(kept, path, deck); admitted != Loaded::Yes) return admitted;
        unsigned status = kStatusFailed;
        bool outOfMemory = false;
        try {
            status = LoadPictureFile(path, kept.kind.category, request, picture);
        } catch (const std::bad_alloc&) {
            outOfMemory = true;
        }
        return Judge(kept.kind, path, deck, status, outOfMemory, picture);
    }

    static EntryRead Entry(Loaded loaded) {
        return loaded == Loaded::Yes ? EntryRead::Read
               : loaded == Loaded::No ? EntryRead::Unusable
                                      : EntryRead::LeftToAnotherRun;
    }

    void SetBootScreen(KeptDeck& kept, const SelectionList& list, Deck& deck) {
        const ListKind& kind = kept.kind;
        const std::string target = BootScreenPathOf(env_.WindowsDirectory(), kind.category);
        if (target.empty()) {
            log_.Line(std::string(kind.name) + ": the Windows directory is unknown; left as it is");
            return;
        }
        while (std::optional<size_t> next = deck.Next()) {
            const SelectionEntry& entry = list[*next];
            const std::string path = JoinPath(entry.directory, entry.fileName);
            if (!Reachable(kind, path, deck)) continue;
            DecodedPicture picture;
            const auto start = Clock::now();
            if (Loaded loaded = Load(kept, path, deck, ShowRequest{}, picture); loaded != Loaded::Yes) {
                if (loaded == Loaded::No) continue;
                return;
            }
            const auto decoded = Clock::now();
            if (!MeetsBootScreenConstraints(picture.picture)) {
                PassOver(kind, path, deck,
                         std::to_string(picture.width) + " x " + std::to_string(picture.height) + " at " +
                             std::string(PixelFormatName(picture.picture.format)) +
                             " bits per pixel, not 320 x 400 at 8");
                continue;
            }
            const std::string head = std::string(kind.name) + ": " + path + " (" + Place(deck) + "): decoded " +
                                     std::to_string(Milliseconds(decoded - start)) + " ms";
            if (options_.dryRun) {
                log_.Line(head + "; would be copied over " + target);
                return;
            }
            if (!KeepDeck(kept, deck.StateShown(*next))) return;
            if (!InstallBootScreen(path, target)) {
                KeepDeck(kept, deck.State());  // it was not shown after all
                log_.Line(head + "; could not be copied over " + target + ", which is left as it is");
                return;
            }
            log_.Line(head + ", set " + std::to_string(Milliseconds(Clock::now() - decoded)) + " ms");
            return;
        }
        NoneUsable(kept, deck);
    }

    // The wallpaper for every monitor of the system (or of --monitors or --screen), by the way the
    // selector's settings keep.
    void SetWallpaper(KeptDeck& kept, const SelectionList& list, Deck& deck) {
        const ListKind& kind = kept.kind;
        layout_ = RunLayout(env_, options_);
        LayoutWallpaper wallpaper = WallpaperFor(env_, layout_);
        const WallpaperRun run{
            env_, list, deck, programDir_, options_.dryRun, kind.name,
            [&](const std::string& line) { log_.Line(line); },
            [&](const std::string& path) { return Reachable(kind, path, deck); },
            [&](const std::string& path) { return Entry(Admit(kept, path, deck)); },
            [&](const std::string& path, unsigned status, bool outOfMemory, const DecodedPicture& picture) {
                return Entry(Judge(kind, path, deck, status, outOfMemory, picture));
            },
            [&](const std::string& path, const std::string& why) { PassOver(kind, path, deck, why); },
            [&](const DeckState& state) { return KeepDeck(kept, state); },
            &shown_};
        if (SetWallpaperOnLayout(run, wallpaper) == WallpaperOutcome::NoneUsable) NoneUsable(kept, deck);
    }

public:
    // The wallpaper's entries this run set, one for each group of monitors that shows one picture,
    // and the layout they were made for.
    const std::vector<SelectionEntry>& Shown() const { return shown_; }
    const MonitorLayout& Layout() const { return layout_; }

private:
    Environment& env_;
    const RandomizerOptions& options_;
    RunLog& log_;
    std::string programDir_;
    FolderProbes probe_{kFolderWaitMs, kFolderProbeThreads, env_.AskFolder()};
    std::unique_ptr<SettingsStore> store_;
    std::vector<SelectionEntry> shown_;
    MonitorLayout layout_;
};

// This run's turn: held from the first look at the lists to the last line of the log.
class Turn {
public:
    explicit Turn(RunLog& log) : mutex_(::CreateMutexA(nullptr, FALSE, kTurnMutex)) {
        if (!mutex_) return;
        const ULONGLONG start = ::GetTickCount64();
        DWORD wait = ::WaitForSingleObject(mutex_.get(), kTurnWaitMs);
        held_ = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
        const ULONGLONG waited = ::GetTickCount64() - start;
        if (!held_) log.Line("Another run did not finish in " + std::to_string(waited / 1000) + " s: going ahead");
        else if (waited >= 100) log.Line("Waited " + std::to_string(waited) + " ms for another run to finish");
    }
    ~Turn() {
        if (held_) ::ReleaseMutex(mutex_.get());
    }
    Turn(const Turn&) = delete;
    Turn& operator=(const Turn&) = delete;

private:
    UniqueHandle<NullIsEmpty<HANDLE, ::CloseHandle>> mutex_;
    bool held_ = false;
};

std::string LogPath(Environment& env) { return ProgramDirOf(env.ModuleFileName()) + std::string(kRandomizerLogFile); }

}  // namespace

ChangeOutcome RunChange(Environment& env, const RandomizerOptions& options, ChangeTrigger trigger, const LogEcho& echo,
                        int intervalMinutes) {
    ChangeOutcome outcome;
    RunLog log(echo, LogPath(env), env.EightBitCodePage());
    {
        Turn turn(log);
        log.Line(ChangeHeading(trigger, intervalMinutes));
        try {
            Randomizer randomizer(env, options, log);
            randomizer.Run(trigger != ChangeTrigger::LogOn);
            outcome.wallpaper = randomizer.Shown();
            outcome.layout = randomizer.Layout();
        } catch (const std::exception& e) {
            log.Line(std::string("Stopped: ") + e.what());
        } catch (...) {
            log.Line("Stopped by an unknown error");
        }
        try {
            log.Finish();
        } catch (...) {
        }
    }
    return outcome;
}

bool MakeAgain(Environment& env, const RandomizerOptions& options, const std::vector<SelectionEntry>& pictures,
               MonitorLayout& madeFor, const LogEcho& echo) {
    const MonitorLayout layout = RunLayout(env, options);
    if (pictures.empty() || layout == madeFor) return false;
    madeFor = layout;
    RunLog log(echo, LogPath(env), env.EightBitCodePage());
    {
        Turn turn(log);
        log.Line("Display change: the wallpaper made again without a deal for " +
                 (layout.Single() ? std::string("one monitor") : DescribeLayout(layout)));
        try {
            LayoutWallpaper wallpaper = WallpaperFor(env, layout);
            // A monitor more, or a picture for each monitor chosen since: the pictures come round again.
            std::vector<SelectionEntry> each;
            for (size_t i = 0; i < wallpaper.ScreensPerPicture().size(); ++i) each.push_back(pictures[i % pictures.size()]);
            const auto start = Clock::now();
            ApplyPictures(env, wallpaper, each, ProgramDirOf(env.ModuleFileName()));
            const Size file = wallpaper.FileSize();
            log.Line("Wallpaper: " + std::to_string(each.size()) + (each.size() == 1 ? " picture" : " pictures") +
                     " as one file of " + std::to_string(file.width) + " x " + std::to_string(file.height) + ", set " +
                     std::to_string(Milliseconds(Clock::now() - start)) + " ms");
        } catch (const std::exception& e) {
            log.Line(std::string("Wallpaper: left as it is: ") + e.what());
        }
        try {
            log.Finish();
        } catch (...) {
        }
    }
    return true;
}

void AddToLog(Environment& env, const std::vector<std::string>& lines, const LogEcho& echo) {
    try {
        RunLog log(echo, LogPath(env), env.EightBitCodePage());
        for (const std::string& line : lines) log.Line(line);
        log.Finish();
    } catch (...) {
    }
}

int RunRandomizer(Environment& env, const std::vector<std::string>& arguments, const LogEcho& echo) {
    RandomizerOptions options = ParseRandomizerArguments(arguments);
    if (!options.unknown.empty()) {
        // Asked for help, or given something it does not know: it says how it is used, and does nothing.
        if (echo)
            for (const std::string& line : RandomizerUsage(options.unknown, LogPath(env))) echo(line);
        return 2;
    }
    if (options.exit) return EndResident(kEndWaitMs) ? 0 : 1;
    // A dry run changes nothing, so it never needs the randomizer that stays running.
    if (!options.dryRun) {
        if (ResidentRuns()) {
            if (options.resident) return 0;
            if (HandToResident(options.next ? ResidentRequest::Next : ResidentRequest::LogOn, kHandOverWaitMs)) return 0;
            // One that does not answer is busy or stuck: this start makes its change itself.
        } else if (options.resident || (!options.next && ReadChangeSettings(env).KeepsRunning())) {
            return RunResident(env, options, !options.resident, echo);
        }
    }
    RunChange(env, options, options.next ? ChangeTrigger::Next : ChangeTrigger::LogOn, echo);
    return 0;
}

}  // namespace mx
