// The randomizer's deck for a 100,000-entry list: keeping it (its state as text) and reading it back
// (the text parsed and the deck rebuilt over the list), beside sorting the list's 100,000 keys once,
// which every run does anyway to order a round.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

#include "randomizer/deck.h"

namespace {

std::vector<uint64_t> List(size_t size) {
    std::vector<uint64_t> list;
    for (size_t i = 0; i < size; ++i) list.push_back(mx::EntryKey("\\\\server\\photos\\" + std::to_string(i) + ".jpg", "Fit 2 Screen"));
    return list;
}

// The kept text of a deck with `dealt` of the list's entries dealt in the current round.
std::string Kept(const std::vector<uint64_t>& list, size_t dealt) {
    mx::SeededRandom random(1);
    mx::Deck deck(list, {}, random);
    for (size_t i = 0; i < dealt; ++i) deck.Next();
    return mx::DeckText(deck.State());
}

void KeepDeck(benchmark::State& state) {
    const std::vector<uint64_t> list = List(size_t(state.range(0)));
    mx::SeededRandom random(1);
    mx::Deck deck(list, mx::ParseDeckText(Kept(list, list.size() - 1)), random);
    std::string text;
    for (auto _ : state) {
        text = mx::DeckText(deck.State());
        benchmark::DoNotOptimize(text.data());
    }
    state.counters["text_bytes"] = double(text.size());
}

void ReadDeck(benchmark::State& state) {
    const std::vector<uint64_t> list = List(size_t(state.range(0)));
    const std::string text = Kept(list, list.size() - 1);
    for (auto _ : state) {
        mx::SeededRandom random(1);
        mx::Deck deck(list, mx::ParseDeckText(text), random);
        benchmark::DoNotOptimize(deck.Place());
    }
}

void SortKeys(benchmark::State& state) {
    const std::vector<uint64_t> list = List(size_t(state.range(0)));
    for (auto _ : state) {
        std::vector<uint64_t> keys = list;
        std::sort(keys.begin(), keys.end());
        benchmark::DoNotOptimize(keys.data());
    }
}

BENCHMARK(KeepDeck)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ReadDeck)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(SortKeys)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
