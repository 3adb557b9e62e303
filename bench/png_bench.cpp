// Decoding PNG files with the wallpaper decoder (libpng) beside the reader it had before (stb_image,
// compiled here as it was: decoded to four channels, then copied into the picture): a 4000 x 3000
// picture, and a 2.1 MB file of one pixel whose image data inflate to 2 GB (just under the 2 GiB at
// which the reader before gives up). bench/README.md turns the times into ratios.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#include <stb_image.h>

#include "../tests/unit/png_files.h"
#include "decode_timing.h"
#include "picture/decoder.h"
#include "picture/reader_util.h"

namespace {

using mx::Picture;

constexpr int kWidth = 4000;

// ImageMagick's plasma at 4000 x 3000, written as a PNG of 8-bit colour with its default compression.
const std::vector<uint8_t>& PhotoPng() {
    static const std::vector<uint8_t> bytes = [] {
        const char* convert = std::getenv("MX_CONVERT");
        const std::string path = (std::filesystem::temp_directory_path() / "mx_png_bench.png").string();
        const std::string command = std::string(convert ? convert : "convert") +
                                    " -size 4000x3000 -seed 7 plasma:fractal -depth 8 -define png:color-type=2 '" + path + "'";
        std::vector<uint8_t> b;
        if (std::system(command.c_str()) == 0) mx::ReadFileBytes(path, b);
        std::filesystem::remove(path);
        return b;
    }();
    return bytes;
}

const std::vector<uint8_t>& Bomb() {
    static const std::vector<uint8_t> bytes = mx::test::PngBomb(2000);
    return bytes;
}

// The reader before, as it was: four channels from stb_image, kept as a 32-bit picture when any pixel
// is not opaque, otherwise copied into a 24-bit one.
unsigned DecodeBefore(const std::vector<uint8_t>& bytes, Picture& target) {
    int width = 0, height = 0, channels = 0;
    std::unique_ptr<stbi_uc, void (*)(void*)> rgba(
        stbi_load_from_memory(bytes.data(), int(bytes.size()), &width, &height, &channels, 4), stbi_image_free);
    if (!rgba) {
        target = Picture{};
        return mx::kStatusOk;
    }
    bool transparent = false;
    for (size_t i = 0, n = size_t(width) * size_t(height); i < n && !transparent; ++i) transparent = rgba.get()[4 * i + 3] != 255;
    Picture pic = Picture::MakeTrueColour(width, height, transparent);
    const int out = pic.bitsPerPixel / 8;
    const stbi_uc* src = rgba.get();
    for (int y = 0; y < height; ++y) {
        uint8_t* row = pic.Row(y);
        for (int x = 0; x < width; ++x, src += 4, row += out) {
            row[0] = src[2], row[1] = src[1], row[2] = src[0];
            if (transparent) row[3] = src[3];
        }
    }
    target = std::move(pic);
    return mx::kStatusOk;
}

// The argument picks the reader: 0 ours, 1 the one before.
void DecodePng(benchmark::State& state) {
    const std::vector<uint8_t>& bytes = PhotoPng();
    TimeDecode(state, !bytes.empty(), kWidth, "ImageMagick's convert could not make the PNG", [&](Picture& pic) {
        return state.range(0) == 0 ? mx::DecodePicture(bytes, pic) : DecodeBefore(bytes, pic);
    });
}
BENCHMARK(DecodePng)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);

// Ours refuses the bomb (no picture); the reader before inflates all of it and shows the pixel.
void DecodeBomb(benchmark::State& state) {
    const std::vector<uint8_t>& bytes = Bomb();
    Picture pic;
    for (auto _ : state) {
        const unsigned status = state.range(0) == 0 ? mx::DecodePicture(bytes, pic) : DecodeBefore(bytes, pic);
        if (status != mx::kStatusOk || pic.width != state.range(0)) {
            state.SkipWithError("the bomb was not read as expected");
            return;
        }
    }
    state.counters["file MB"] = double(bytes.size()) / 1e6;
}
BENCHMARK(DecodeBomb)->Arg(0)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(DecodeBomb)->Arg(1)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
