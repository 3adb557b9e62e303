#include "randomizer/deck.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <unordered_set>

#include "platform/mix.h"
#include "platform/text.h"

namespace mx {

namespace {

constexpr uint64_t kGolden = 0x9E3779B97F4A7C15u;

std::string Hex(uint64_t value) {
    char buffer[16];
    auto end = std::to_chars(buffer, buffer + sizeof buffer, value, 16).ptr;
    return std::string(buffer, end);
}

template <class T>
bool ParseToken(std::string_view token, T& value, int base) {
    if (token.empty()) return false;
    auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value, base);
    return error == std::errc() && end == token.data() + token.size();
}

bool ParseHex(std::string_view token, uint64_t& value) { return token.size() <= 16 && ParseToken(token, value, 16); }

std::vector<std::string_view> Tokens(std::string_view text) {
    std::vector<std::string_view> tokens;
    for (size_t pos = 0; pos < text.size();) {
        size_t end = text.find(' ', pos);
        if (end == std::string_view::npos) end = text.size();
        if (end > pos) tokens.push_back(text.substr(pos, end - pos));
        pos = end + 1;
    }
    return tokens;
}

// The fingerprints' bits go into the text six at a time, as the characters of base64.
constexpr std::string_view kDigits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

class BitWriter {
public:
    // The low `count` bits of `value`, highest first; `count` at most 32.
    void Put(uint64_t value, int count) {
        bits_ = (bits_ << count) | (value & ((uint64_t(1) << count) - 1));
        filled_ += count;
        while (filled_ >= 6) {
            filled_ -= 6;
            text_ += kDigits[(bits_ >> filled_) & 63];
        }
    }
    void Ones(uint64_t count) {
        for (; count >= 32; count -= 32) Put(0xFFFFFFFFu, 32);
        Put(0xFFFFFFFFu, int(count));
    }
    std::string Finish() {
        if (filled_ > 0) Put(0, 6 - filled_);
        return std::move(text_);
    }

private:
    std::string text_;
    uint64_t bits_ = 0;
    int filled_ = 0;
};

class BitReader {
public:
    explicit BitReader(std::string_view text) : text_(text) {
        values_.fill(0xFF);
        for (size_t i = 0; i < kDigits.size(); ++i) values_[uint8_t(kDigits[i])] = uint8_t(i);
    }
    // False once the text has no more bits, or holds a character that is no digit.
    bool Bit(uint64_t& bit) {
        if (left_ == 0) {
            if (pos_ == text_.size()) return false;
            digit_ = values_[uint8_t(text_[pos_++])];
            if (digit_ == 0xFF) return false;
            left_ = 6;
        }
        bit = (digit_ >> --left_) & 1;
        return true;
    }
    bool Get(int count, uint64_t& value) {
        value = 0;
        for (uint64_t bit = 0; count-- > 0; value = (value << 1) | bit)
            if (!Bit(bit)) return false;
        return true;
    }

private:
    std::string_view text_;
    std::array<uint8_t, 256> values_;
    size_t pos_ = 0;
    unsigned digit_ = 0;
    int left_ = 0;
};

}  // namespace

uint64_t SeededRandom::Next() {
    state_ += kGolden;
    return Mix64(state_);
}

uint64_t PlaceInRound(uint64_t round, uint64_t key) { return Mix64(key ^ Mix64(round + kGolden)); }

DealtSet::DealtSet(const std::vector<uint64_t>& keys, uint64_t round, size_t listSize) {
    const size_t count = keys.size();
    if (count == 0) return;
    // About a byte for each entry of the list, and half a kilobyte besides: short lists get
    // fingerprints long enough that a mistake never happens in practice.
    const size_t budget = 8 * std::max(listSize, count) + 4096;
    bits_ = int(std::clamp<size_t>(budget / count, 8, 50)) - 2;
    while (uint64_t(count) > (uint64_t(1) << 62 >> bits_)) --bits_;
    fingerprints_.resize(count);
    for (size_t i = 0; i < count; ++i) {
        furthest_ = std::max(furthest_, PlaceInRound(round, keys[i]));
        fingerprints_[i] = Fingerprint(keys[i]);
    }
    std::sort(fingerprints_.begin(), fingerprints_.end());
}

uint64_t DealtSet::Fingerprint(uint64_t key) const {
    return Mix64(key ^ 0x5851F42D4C957F2Du) % (uint64_t(fingerprints_.size()) << bits_);
}

std::vector<bool> DealtSet::Which(const std::vector<uint64_t>& keys, uint64_t round) const {
    std::vector<bool> dealt(keys.size(), false);
    const size_t count = fingerprints_.size();
    if (count == 0) return dealt;
    // The fingerprints are spread evenly over count << bits_, so their high parts index them: about
    // one in each of `count` buckets, found without a search.
    std::vector<uint32_t> start(count + 1, 0);
    for (uint64_t fingerprint : fingerprints_) ++start[size_t(fingerprint >> bits_) + 1];
    for (size_t b = 0; b < count; ++b) start[b + 1] += start[b];
    for (size_t i = 0; i < keys.size(); ++i) {
        if (PlaceInRound(round, keys[i]) > furthest_) continue;
        const uint64_t fingerprint = Fingerprint(keys[i]);
        const size_t bucket = size_t(fingerprint >> bits_);
        dealt[i] = std::find(fingerprints_.begin() + start[bucket], fingerprints_.begin() + start[bucket + 1],
                             fingerprint) != fingerprints_.begin() + start[bucket + 1];
    }
    return dealt;
}

// The furthest place, the fingerprints' low bits, their number, and the sorted fingerprints' gaps:
// each gap's high part in unary (ones ended by a zero), then its `bits_` low bits.
std::string DealtSet::Text() const {
    BitWriter writer;
    uint64_t previous = 0;
    for (uint64_t value : fingerprints_) {
        const uint64_t gap = value - previous;
        writer.Ones(gap >> bits_);
        writer.Put(0, 1);
        writer.Put(gap, bits_);
        previous = value;
    }
    std::string data = writer.Finish();
    return Hex(furthest_) + ' ' + std::to_string(bits_) + ' ' + std::to_string(fingerprints_.size()) + ' ' +
           (data.empty() ? "-" : data);
}

std::optional<DealtSet> DealtSet::Parse(std::string_view text) {
    std::vector<std::string_view> tokens = Tokens(text);
    DealtSet set;
    size_t count = 0;
    if (tokens.size() != 4 || !ParseHex(tokens[0], set.furthest_) || !ParseToken(tokens[1], set.bits_, 10) ||
        !ParseToken(tokens[2], count, 10) || set.bits_ < 0 || set.bits_ > 62)
        return std::nullopt;
    if (count == 0) return tokens[3] == "-" ? std::optional<DealtSet>(DealtSet()) : std::nullopt;
    // Every fingerprint takes a bit at least; a count the text cannot hold is no set.
    if (count > tokens[3].size() * 6 || uint64_t(count) > (uint64_t(1) << 62 >> set.bits_)) return std::nullopt;
    const uint64_t range = uint64_t(count) << set.bits_;
    BitReader reader(tokens[3]);
    set.fingerprints_.reserve(count);
    uint64_t value = 0;
    for (size_t i = 0; i < count; ++i) {
        uint64_t high = 0, bit = 0, low = 0;
        for (;;) {
            if (!reader.Bit(bit)) return std::nullopt;
            if (!bit) break;
            if (++high > (range >> set.bits_)) return std::nullopt;
        }
        if (!reader.Get(set.bits_, low)) return std::nullopt;
        value += (high << set.bits_) | low;
        if (value >= range) return std::nullopt;
        set.fingerprints_.push_back(value);
    }
    return set;
}

std::string DeckText(const DeckState& state) {
    if (!state.round) return "-";
    return "v2 " + Hex(*state.round) + ' ' + Hex(state.next.value_or(0)) + ' ' +
           (state.last ? Hex(*state.last) : "-") + ' ' + state.dealt.Text();
}

DeckState ParseDeckText(std::string_view text) {
    std::vector<std::string_view> tokens = Tokens(text);
    DeckState state;
    uint64_t value = 0;
    if (!tokens.empty() && tokens[0] == "v2") {
        if (tokens.size() != 8 || !ParseHex(tokens[1], value)) return {};
        state.round = value;
        if (!ParseHex(tokens[2], value)) return {};
        state.next = value;
        if (tokens[3] != "-") {
            if (!ParseHex(tokens[3], value)) return {};
            state.last = value;
        }
        const size_t dealt = size_t(tokens[4].data() - text.data());
        std::optional<DealtSet> set = DealtSet::Parse(text.substr(dealt));
        if (!set) return {};
        state.dealt = std::move(*set);
        return state;
    }
    // The first version's line: the round's key, the entry shown last or "-", the keys dealt.
    if (tokens.size() < 2 || !ParseHex(tokens[0], value)) return {};
    state.round = value;
    if (tokens[1] != "-") {
        if (!ParseHex(tokens[1], value)) return {};
        state.last = value;
    }
    std::vector<uint64_t> keys;
    for (size_t i = 2; i < tokens.size(); ++i) {
        if (!ParseHex(tokens[i], value)) return {};
        keys.push_back(value);
    }
    state.dealt = DealtSet(keys, *state.round, keys.size());
    return state;
}

uint64_t EntryKey(std::string_view path, std::string_view style) {
    uint64_t hash = 0xCBF29CE484222325u;  // FNV-1a
    auto add = [&](char c) {
        hash ^= uint8_t(c);
        hash *= 0x100000001B3u;
    };
    for (char c : path) add(UpperAscii(c));
    add('\0');
    for (char c : style) add(c);
    return hash;
}

Deck::Deck(std::vector<uint64_t> entries, DeckState state, RandomSource& random)
    : entries_(std::move(entries)), last_(state.last), random_(random) {
    // The first entry of each key, found in a table of the keys seen, open-addressed (the keys are
    // hashes already).
    size_t slots = 16;
    while (slots < 2 * entries_.size()) slots *= 2;
    std::vector<uint64_t> seen(slots);
    std::vector<bool> used(slots, false);
    for (size_t i = 0; i < entries_.size(); ++i) {
        size_t slot = size_t(Mix64(entries_[i])) & (slots - 1);
        while (used[slot] && seen[slot] != entries_[i]) slot = (slot + 1) & (slots - 1);
        if (used[slot]) continue;
        used[slot] = true;
        seen[slot] = entries_[i];
        distinct_.push_back(i);
    }
    dealt_.assign(distinct_.size(), false);
    tried_.assign(distinct_.size(), false);
    untried_ = distinct_.size();
    if (!state.round) {
        // The first round's order follows from the list, so that it is the same whether the run
        // that begins it keeps its deck or only looks ahead.
        uint64_t sum = 0;
        for (size_t i : distinct_) sum += Mix64(entries_[i]);
        round_ = Mix64(sum ^ kGolden);
        next_ = random_.Next();
        return;
    }
    round_ = *state.round;
    next_ = state.next.value_or(Mix64(round_ ^ kGolden));
    std::vector<uint64_t> keys;
    keys.reserve(distinct_.size());
    for (size_t i : distinct_) keys.push_back(entries_[i]);
    std::vector<bool> dealt = state.dealt.Which(keys, round_);
    for (size_t d = 0; d < distinct_.size(); ++d) {
        if (!dealt[d]) continue;
        dealt_[d] = true;
        ++dealtCount_;
    }
}

std::optional<size_t> Deck::Next() {
    for (;;) {
        if (!queued_) QueueRound();
        while (cursor_ < queue_.size()) {
            const size_t d = queue_[cursor_++];
            if (tried_[d] || dealt_[d]) continue;
            tried_[d] = dealt_[d] = true;
            --untried_;
            ++dealtCount_;
            return distinct_[d];
        }
        if (untried_ == 0) return std::nullopt;
        NewRound();
    }
}

// The entries still to come in this round, in its order; the entry shown last comes only when
// nothing else of the round is left to try.
void Deck::QueueRound() {
    std::vector<std::pair<uint64_t, size_t>> order;
    std::optional<size_t> lastEntry;
    for (size_t d = 0; d < distinct_.size(); ++d) {
        if (tried_[d] || dealt_[d]) continue;
        const uint64_t key = entries_[distinct_[d]];
        if (last_ && key == *last_) lastEntry = d;
        else order.emplace_back(PlaceInRound(round_, key), d);
    }
    std::sort(order.begin(), order.end(), [&](const auto& a, const auto& b) {
        return a.first != b.first ? a.first < b.first : entries_[distinct_[a.second]] < entries_[distinct_[b.second]];
    });
    queue_.clear();
    for (const auto& entry : order) queue_.push_back(entry.second);
    if (lastEntry) queue_.push_back(*lastEntry);
    cursor_ = 0;
    queued_ = true;
}

void Deck::Hold(size_t first, size_t count) {
    std::unordered_set<uint64_t> held(entries_.begin() + ptrdiff_t(first), entries_.begin() + ptrdiff_t(first + count));
    for (size_t d = 0; d < distinct_.size(); ++d) {
        if (tried_[d] || !held.count(entries_[distinct_[d]])) continue;
        tried_[d] = true;
        --untried_;
    }
}

DeckState Deck::State() const {
    std::vector<uint64_t> dealt;
    dealt.reserve(dealtCount_);
    for (size_t d = 0; d < distinct_.size(); ++d)
        if (dealt_[d]) dealt.push_back(entries_[distinct_[d]]);
    return {round_, next_, last_, DealtSet(dealt, round_, distinct_.size())};
}

DeckState Deck::StateShown(size_t index) const {
    DeckState state = State();
    state.last = entries_.at(index);
    return state;
}

// The new round's order was decided when the one before began; the one after it is decided now.
void Deck::NewRound() {
    round_ = next_;
    next_ = random_.Next();
    queued_ = false;
    dealt_.assign(distinct_.size(), false);
    dealtCount_ = 0;
}

}  // namespace mx
