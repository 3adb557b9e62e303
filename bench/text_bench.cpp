// Reading the selection file as UTF-8: the check that its bytes are well-formed UTF-8 (a file that is
// not is one of an earlier version, read in the system's 8-bit code page), beside parsing the same
// text into the four lists, which every read does anyway. Files of 100,000 entries, with names in
// ASCII and in other scripts.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/text.h"
#include "state/selection_file.h"

namespace {

// n entries spread over the four lists; with `scripts`, every name and folder holds Latin-1, Greek
// and Chinese letters, about a third of its bytes.
std::string SelectionFile(int n, bool scripts) {
    const char* headers[] = {"[START]", "[WAIT]", "[SHUT]", "[WALLPAPER]"};
    const std::string folder = scripts ? "Reise \xc3\x9cn\xc3\xaf" "code \xe6\x97\x85\xe8\xa1\x8c " : "Collection ";
    const std::string name = scripts ? "\xce\x98\xce\xac\xce\xbb\xce\xb1\xcf\x83\xcf\x83\xce\xb1 " : "Picture ";
    std::string text;
    unsigned seed = 12345;
    for (int s = 0; s < 4; ++s) {
        if (s) text += "\r\n";
        text += headers[s];
        text += "\r\n";
        for (int i = s; i < n; i += 4) {
            seed = seed * 1103515245u + 12345u;
            text += "C:\\Pictures\\" + folder + std::to_string(seed % 97) + "\\" + name + std::to_string(seed % 1000003) +
                    (s == 3 ? ".JPG, Tiled" : ".SYS");
            text += "\r\n";
        }
    }
    return text;
}

void CheckUtf8(benchmark::State& state) {
    const std::string text = SelectionFile(int(state.range(0)), state.range(1) != 0);
    for (auto _ : state) benchmark::DoNotOptimize(mx::IsValidUtf8(text));
    state.counters["bytes"] = double(text.size());
}

void ParseLists(benchmark::State& state) {
    const std::string text = SelectionFile(int(state.range(0)), state.range(1) != 0);
    for (auto _ : state) {
        mx::SelectionLists lists;
        mx::ParseSelectionFile(text, "C:\\Program\\", lists);
        benchmark::DoNotOptimize(lists.data());
    }
}

BENCHMARK(CheckUtf8)->Args({100000, 0})->Args({100000, 1})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ParseLists)->Args({100000, 0})->Args({100000, 1})->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
