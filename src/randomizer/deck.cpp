#include "randomizer/deck.h"

#include <algorithm>
#include <charconv>
#include <unordered_map>

#include "platform/text.h"

namespace mx {

namespace {

uint64_t Mix64(uint64_t x) {
    x ^= x >> 30;
    x *= 0xBF58476D1CE4E5B9u;
    x ^= x >> 27;
    x *= 0x94D049BB133111EBu;
    x ^= x >> 31;
    return x;
}

// Where an entry comes in a round: the entries still to come are dealt in increasing order of this.
uint64_t OrderInRound(uint64_t round, uint64_t key) { return Mix64(key ^ Mix64(round + 0x9E3779B97F4A7C15u)); }

std::string Hex(uint64_t value) {
    char buffer[16];
    auto end = std::to_chars(buffer, buffer + sizeof buffer, value, 16).ptr;
    return std::string(buffer, end);
}

bool ParseHex(std::string_view token, uint64_t& value) {
    if (token.empty() || token.size() > 16) return false;
    auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value, 16);
    return error == std::errc() && end == token.data() + token.size();
}

}  // namespace

uint64_t SeededRandom::Next() {
    state_ += 0x9E3779B97F4A7C15u;
    return Mix64(state_);
}

std::string DeckText(const DeckState& state) {
    std::string text = state.round ? Hex(*state.round) : "-";
    text += ' ';
    text += state.last ? Hex(*state.last) : "-";
    for (uint64_t key : state.dealt) {
        text += ' ';
        text += Hex(key);
    }
    return text;
}

DeckState ParseDeckText(std::string_view text) {
    DeckState state;
    std::vector<std::string_view> tokens;
    for (size_t pos = 0; pos < text.size();) {
        size_t end = text.find(' ', pos);
        if (end == std::string_view::npos) end = text.size();
        if (end > pos) tokens.push_back(text.substr(pos, end - pos));
        pos = end + 1;
    }
    if (tokens.size() < 2) return {};
    uint64_t value = 0;
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (i < 2 && tokens[i] == "-") continue;
        if (!ParseHex(tokens[i], value)) return {};
        if (i == 0) state.round = value;
        else if (i == 1) state.last = value;
        else state.dealt.push_back(value);
    }
    if (!state.round) return {};
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
    std::unordered_map<uint64_t, size_t> place;  // key -> distinct entry
    for (size_t i = 0; i < entries_.size(); ++i)
        if (place.emplace(entries_[i], distinct_.size()).second) distinct_.push_back(i);
    dealt_.assign(distinct_.size(), false);
    tried_.assign(distinct_.size(), false);
    untried_ = distinct_.size();
    if (!state.round) {
        NewRound();
        return;
    }
    round_ = *state.round;
    for (uint64_t key : state.dealt) {
        auto found = place.find(key);
        if (found == place.end() || dealt_[found->second]) continue;
        dealt_[found->second] = true;
        dealtOrder_.push_back(key);
    }
    dealtCount_ = dealtOrder_.size();
}

std::optional<size_t> Deck::Next() {
    for (;;) {
        if (!queued_) QueueRound();
        while (cursor_ < queue_.size()) {
            const size_t d = queue_[cursor_++];
            if (tried_[d] || dealt_[d]) continue;
            tried_[d] = dealt_[d] = true;
            --untried_;
            dealtOrder_.push_back(entries_[distinct_[d]]);
            dealtCount_ = dealtOrder_.size();
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
        else order.emplace_back(OrderInRound(round_, key), d);
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

void Deck::Shown(size_t index) { last_ = entries_.at(index); }

DeckState Deck::State() const { return {round_, last_, dealtOrder_}; }

void Deck::NewRound() {
    round_ = random_.Next();
    queued_ = false;
    dealt_.assign(distinct_.size(), false);
    dealtOrder_.clear();
    dealtCount_ = 0;
}

}  // namespace mx
