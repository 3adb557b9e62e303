// Tiled and Mirror rendering beside a memset of the same output bytes, and nearest-pixel scaling
// beside ImageMagick's -sample of the same picture; bench/README.md turns the times into ratios.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "picture/bmp_writer.h"
#include "picture/render.h"
#include "picture/scale.h"

namespace {

using mx::Picture;

constexpr std::pair<int, int> kSources[] = {{1, 1}, {2, 1}, {7, 5}, {300, 200}, {4000, 3000}};

// A 24-bit picture of scrambled bytes, the depth of a decoded photograph; made once per size.
const Picture& Source(int width, int height) {
    static std::map<std::pair<int, int>, Picture> made;
    auto [it, added] = made.try_emplace({width, height});
    if (added) {
        Picture& p = it->second;
        p.width = width;
        p.height = height;
        p.bitsPerPixel = 24;
        p.format = mx::PixelFormat::Bits24;
        p.pixels.resize(p.Stride() * size_t(height));
        uint32_t v = 12345;
        for (uint8_t& b : p.pixels) {
            v = v * 1664525u + 1013904223u;
            b = uint8_t(v >> 24);
        }
    }
    return it->second;
}

void Memset(benchmark::State& state) {
    std::vector<uint8_t> out(size_t(state.range(0)) * size_t(state.range(1)) * 4);
    for (auto _ : state) {
        std::memset(out.data(), int(state.iterations() & 0xFF), out.size());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(out.size()));
}

// The output keeps its storage between renderings, as the preview window's does.
void Tiles(benchmark::State& state, bool mirror) {
    const Picture& source = Source(int(state.range(2)), int(state.range(3)));
    const mx::Size screen{int(state.range(0)), int(state.range(1))};
    Picture out;
    for (auto _ : state) {
        mx::FillWithTiles(source, screen, mirror, out);
        benchmark::DoNotOptimize(out.pixels.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(out.pixels.size()));
}
void Tiled(benchmark::State& state) { Tiles(state, false); }
void Mirror(benchmark::State& state) { Tiles(state, true); }

// A fresh output every time: the first touch of its pages is counted too.
void TiledFreshOutput(benchmark::State& state) {
    const Picture& source = Source(int(state.range(2)), int(state.range(3)));
    for (auto _ : state) {
        Picture out;
        mx::FillWithTiles(source, {int(state.range(0)), int(state.range(1))}, false, out);
        benchmark::DoNotOptimize(out.pixels.data());
    }
}

void ScreenArgs(benchmark::internal::Benchmark* b) {
    for (auto [w, h] : {std::pair{1920, 1080}, {3840, 2160}})
        for (auto [sw, sh] : kSources) b->Args({w, h, sw, sh});
}

BENCHMARK(Memset)->Args({1920, 1080})->Args({3840, 2160})->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(Tiled)->Apply(ScreenArgs)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(Mirror)->Apply(ScreenArgs)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(TiledFreshOutput)->Args({3840, 2160, 1, 1})->UseRealTime()->Unit(benchmark::kMicrosecond);

void ScaleNearest(benchmark::State& state) {
    const Picture& source = Source(4000, 3000);
    Picture out;
    for (auto _ : state) {
        mx::ScaleNearest(source, 1920, 1080, out);
        benchmark::DoNotOptimize(out.pixels.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(ScaleNearest)->UseRealTime()->Unit(benchmark::kMillisecond);

// ImageMagick reads the same picture from its memory-mapped cache format in /dev/shm and writes
// nowhere (null:), so nearly all of its time beyond the no-op command's is the sampling. The
// argument is its thread limit: 1, as our scaling is single-threaded, and 0 for its default.
std::string ConvertCommand() {
    if (const char* c = std::getenv("MX_CONVERT")) return c;
    return std::filesystem::exists("/usr/bin/convert") ? "/usr/bin/convert" : "convert";
}

// The cache file and its pixel file are removed when the program ends.
struct ImageMagickFiles {
    std::string mpc;
    ~ImageMagickFiles() {
        if (mpc.empty()) return;
        std::error_code ignored;
        std::filesystem::remove(mpc, ignored);
        std::filesystem::remove(std::filesystem::path(mpc).replace_extension(".cache"), ignored);
    }
};

const std::string& ImageMagickInput() {
    static ImageMagickFiles files;
    static std::string path = [] {
        std::filesystem::path dir = std::filesystem::exists("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
        std::string bmp = (dir / "mx_bench_4000x3000.bmp").string();
        std::string mpc = (dir / "mx_bench_4000x3000.mpc").string();
        if (!mx::WriteBmp(Source(4000, 3000), bmp)) return std::string();
        std::string command = ConvertCommand() + " '" + bmp + "' '" + mpc + "'";
        if (std::system(command.c_str()) != 0) return std::string();
        std::filesystem::remove(bmp);
        files.mpc = mpc;
        return mpc;
    }();
    return path;
}

void ImageMagick(benchmark::State& state, const char* operation) {
    const std::string& input = ImageMagickInput();
    if (input.empty()) {
        state.SkipWithError("ImageMagick's convert is missing");
        return;
    }
    std::string limit = state.range(0) ? "MAGICK_THREAD_LIMIT=" + std::to_string(state.range(0)) + " " : "";
    std::string command = limit + ConvertCommand() + " '" + input + "' " + operation + " null:";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError(("failed: " + command).c_str());
            return;
        }
    }
}
void ImageMagickSample(benchmark::State& state) { ImageMagick(state, "-sample '1920x1080!'"); }
void ImageMagickNoOp(benchmark::State& state) { ImageMagick(state, ""); }
BENCHMARK(ImageMagickSample)->Arg(1)->Arg(0)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(ImageMagickNoOp)->Arg(1)->Arg(0)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
