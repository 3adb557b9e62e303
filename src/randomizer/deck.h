#pragma once
// The randomizer's deck: for each list, every entry comes once per round, in a fresh random order
// each round, and the first of a round is never the entry shown last. Between log-ons only the
// round's key, the next round's key, the entry shown last and the set of entries dealt so far in the
// round are kept; the order of the entries still to come follows from the round's key, so an entry
// added to the list joins the current round at a random place and one removed from it leaves the
// round. The next round's key is drawn when a round begins, so that a run that only looks ahead
// (and keeps nothing) makes exactly the choices of the run after it.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mx {

// 64 random bits at a time.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual uint64_t Next() = 0;
};

// A repeatable sequence from a seed (splitmix64), for runs that must make the same choices again.
class SeededRandom : public RandomSource {
public:
    explicit SeededRandom(uint64_t seed) : state_(seed) {}
    uint64_t Next() override;

private:
    uint64_t state_;
};

// Where an entry comes in the round of `round`: entries are dealt in increasing order of this.
uint64_t PlaceInRound(uint64_t round, uint64_t key);

// The entries dealt in a round, in about a byte each: entries are dealt in the order of their places,
// so every dealt entry lies at or before the furthest place dealt; among those, the dealt ones are
// told from entries that joined the list later by short fingerprints, as a Golomb-Rice coded set.
class DealtSet {
public:
    DealtSet() = default;  // nothing dealt
    // `keys` dealt in the round of `round`, from a list of `listSize` distinct entries.
    DealtSet(const std::vector<uint64_t>& keys, uint64_t round, size_t listSize);

    // For each of `keys`, whether it was dealt in the round of `round` (the round the set was made
    // for). An entry that joined the list after its place was passed counts as dealt only by a chance
    // that the fingerprints' length keeps small (1 in 64 for the largest lists, far less for short ones).
    std::vector<bool> Which(const std::vector<uint64_t>& keys, uint64_t round) const;
    size_t Size() const { return fingerprints_.size(); }

    std::string Text() const;
    static std::optional<DealtSet> Parse(std::string_view text);

private:
    uint64_t Fingerprint(uint64_t key) const;

    uint64_t furthest_ = 0;              // the furthest place dealt
    int bits_ = 0;                       // fingerprint bits below the counted range
    std::vector<uint64_t> fingerprints_;  // sorted
};

// What is kept of one list's deck between runs.
struct DeckState {
    std::optional<uint64_t> round;  // the key of the current round's order; none before the first round
    std::optional<uint64_t> next;   // the key of the round after it
    std::optional<uint64_t> last;   // the entry shown last
    DealtSet dealt;                 // the entries dealt in the current round
};

// The state as one line of text, and back. Text that is not such a line gives a fresh state; the
// line of the randomizer's first version (round, entry shown last, keys dealt) still reads.
std::string DeckText(const DeckState& state);
DeckState ParseDeckText(std::string_view text);

// What identifies an entry in the deck: its path, in any case, and its style.
uint64_t EntryKey(std::string_view path, std::string_view style);

class Deck {
public:
    // `entries` are the list's keys in list order; equal keys count as one entry. A deck with no
    // round yet starts with a round whose key follows from the list itself.
    Deck(std::vector<uint64_t> entries, DeckState state, RandomSource& random);

    // The list index of the next entry to try, which is dealt in its round; nothing once every entry
    // has been tried in this run. An entry that cannot be used is simply passed over: the next call
    // gives the next one, starting a new round when this one runs out.
    std::optional<size_t> Next();
    // The entries first to first + count - 1 are not dealt in this run (their folder cannot be read
    // now), but what the round knows of them is kept: dealt ones stay dealt when they come back.
    void Hold(size_t first, size_t count);

    // The place of the entry last dealt in its round, from 1, and the round's length.
    size_t Place() const { return dealtCount_; }
    size_t RoundSize() const { return distinct_.size(); }

    // What to keep: the entries dealt that are still on the list.
    DeckState State() const;
    // What to keep once the entry at `index` is shown: a new round does not begin with it.
    DeckState StateShown(size_t index) const;

private:
    void NewRound();
    void QueueRound();

    std::vector<uint64_t> entries_;
    std::vector<size_t> distinct_;  // index of the first entry of each key
    std::vector<bool> dealt_;       // per distinct entry
    std::vector<bool> tried_;       // per distinct entry, in this run
    size_t untried_ = 0;
    std::vector<size_t> queue_;  // distinct entries in the order they come
    size_t cursor_ = 0;
    bool queued_ = false;
    size_t dealtCount_ = 0;
    uint64_t round_ = 0;
    uint64_t next_ = 0;
    std::optional<uint64_t> last_;
    RandomSource& random_;
};

}  // namespace mx
