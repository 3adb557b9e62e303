#pragma once
// Times a decode into one picture that keeps its storage, as the pane does from one file to the next;
// the benchmark is skipped with `unready` when its file could not be made, or when a decode fails.
#include <benchmark/benchmark.h>

#include "picture/picture.h"
#include "picture/reader_util.h"

template <class Decode>
void TimeDecode(benchmark::State& state, bool ready, int width, const char* unready, Decode decode) {
    if (!ready) {
        state.SkipWithError(unready);
        return;
    }
    mx::Picture pic;
    for (auto _ : state) {
        if (decode(pic) != mx::kStatusOk || pic.width != width) {
            state.SkipWithError("the file was not decoded");
            return;
        }
        benchmark::DoNotOptimize(pic.pixels.data());
        benchmark::ClobberMemory();
    }
}
