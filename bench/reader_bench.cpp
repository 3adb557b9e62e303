// Reading a 24-bit 4000 x 3000 bitmap beside a memcpy of its pixel bytes, and decoding a JPEG of the
// same size with the wallpaper decoder beside djpeg on the same file; bench/README.md turns the times
// into ratios.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "picture/bmp_reader.h"
#include "picture/bmp_writer.h"
#include "decode_timing.h"
#include "picture/decoder.h"
#include "picture/reader_util.h"

namespace {

using mx::Picture;

constexpr int kWidth = 4000, kHeight = 3000;

std::filesystem::path ScratchDir() {
    return std::filesystem::exists("/dev/shm") ? std::filesystem::path("/dev/shm") : std::filesystem::temp_directory_path();
}

// Files made for the run, removed when the program ends.
struct ScratchFiles {
    std::vector<std::string> paths;
    ~ScratchFiles() {
        std::error_code ignored;
        for (const std::string& p : paths) std::filesystem::remove(p, ignored);
    }
};
ScratchFiles& Scratch() {
    static ScratchFiles files;
    return files;
}

// Scrambled bytes: every pixel differs from its neighbours, so nothing in the reader can take a
// shortcut on repeated values.
Picture ScrambledPicture() {
    Picture p;
    p.width = kWidth;
    p.height = kHeight;
    p.bitsPerPixel = 24;
    p.format = mx::PixelFormat::Bits24;
    p.pixels.resize(p.Stride() * size_t(kHeight));
    uint32_t v = 12345;
    for (uint8_t& b : p.pixels) {
        v = v * 1664525u + 1013904223u;
        b = uint8_t(v >> 24);
    }
    return p;
}

// A photograph-like picture for the JPEG: smooth gradients, a few soft rings and a little grain, so
// that the compressed file has the size and the mix of coefficients of a real photograph.
Picture SyntheticPhoto() {
    Picture p;
    p.width = kWidth;
    p.height = kHeight;
    p.bitsPerPixel = 24;
    p.format = mx::PixelFormat::Bits24;
    p.pixels.resize(p.Stride() * size_t(kHeight));
    uint32_t v = 777;
    for (int y = 0; y < kHeight; ++y) {
        uint8_t* row = p.Row(y);
        for (int x = 0; x < kWidth; ++x) {
            v = v * 1664525u + 1013904223u;
            const int grain = int(v >> 29) - 4;
            const int dx = x - 2600, dy = y - 1200;
            const int ring = ((dx * dx + dy * dy) >> 12) & 63;
            const int checker = ((x >> 7) ^ (y >> 7)) & 1 ? 24 : 0;
            auto clamp = [](int c) { return uint8_t(c < 0 ? 0 : c > 255 ? 255 : c); };
            row[3 * x] = clamp(x * 200 / kWidth + ring + grain);                 // blue
            row[3 * x + 1] = clamp(y * 180 / kHeight + checker + grain + 20);    // green
            row[3 * x + 2] = clamp(255 - (x + y) * 200 / (kWidth + kHeight) + grain);  // red
        }
    }
    return p;
}

const std::vector<uint8_t>& BmpBytes() {
    static const std::vector<uint8_t> bytes = mx::EncodeBmp(ScrambledPicture());
    return bytes;
}

const std::string& BmpFile() {
    static const std::string path = [] {
        std::string p = (ScratchDir() / "mx_reader_bench_4000x3000.bmp").string();
        if (!mx::WriteBmp(ScrambledPicture(), p)) return std::string();
        Scratch().paths.push_back(p);
        return p;
    }();
    return path;
}

std::string ConvertCommand() {
    if (const char* c = std::getenv("MX_CONVERT")) return c;
    return std::filesystem::exists("/usr/bin/convert") ? "/usr/bin/convert" : "convert";
}

// Writes the synthetic photograph as a bitmap and has ImageMagick compress it at quality 90, and a
// 1 x 1 JPEG for timing djpeg's start-up alone.
// MX_BENCH_JPEG names a file to use instead: made there when missing, and kept, so that the
// Windows build's decode_file can time the same file under Wine.
const std::string& JpegFile(bool tiny) {
    static const std::pair<std::string, std::string> paths = [] {
        const std::filesystem::path dir = ScratchDir();
        const std::string bmp = (dir / "mx_reader_bench_photo.bmp").string();
        const char* given = std::getenv("MX_BENCH_JPEG");
        const std::string jpeg = given ? given : (dir / "mx_reader_bench_photo.jpg").string();
        const std::string small = (dir / "mx_reader_bench_1x1.jpg").string();
        const std::string convert = ConvertCommand();
        bool made = given && std::filesystem::exists(jpeg);
        if (!made) {
            if (!mx::WriteBmp(SyntheticPhoto(), bmp)) return std::pair<std::string, std::string>();
            made = std::system((convert + " '" + bmp + "' -quality 90 '" + jpeg + "'").c_str()) == 0;
            std::filesystem::remove(bmp);
        }
        made = made && std::system((convert + " -size 1x1 xc:gray -quality 90 '" + small + "'").c_str()) == 0;
        if (!given) Scratch().paths.push_back(jpeg);
        Scratch().paths.push_back(small);
        if (!made) return std::pair<std::string, std::string>();
        return std::pair{jpeg, small};
    }();
    return tiny ? paths.second : paths.first;
}

const std::vector<uint8_t>& JpegBytes() {
    static const std::vector<uint8_t> bytes = [] {
        std::vector<uint8_t> b;
        if (!JpegFile(false).empty()) mx::ReadFileBytes(JpegFile(false), b);
        return b;
    }();
    return bytes;
}

// The reference: the picture's pixel bytes copied into a buffer that keeps its storage.
void Memcpy(benchmark::State& state) {
    const std::vector<uint8_t>& bytes = BmpBytes();
    const size_t pixelBytes = Picture::StrideFor(kWidth, 24) * kHeight;
    const uint8_t* source = bytes.data() + (bytes.size() - pixelBytes);
    std::vector<uint8_t> out(pixelBytes);
    for (auto _ : state) {
        std::memcpy(out.data(), source, pixelBytes);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(pixelBytes));
}
BENCHMARK(Memcpy)->UseRealTime()->Unit(benchmark::kMillisecond);

// The same copy into fresh storage each time, so that the first touch of its pages is counted too,
// as it is for every picture the reader makes.
void MemcpyFresh(benchmark::State& state) {
    const std::vector<uint8_t>& bytes = BmpBytes();
    const size_t pixelBytes = Picture::StrideFor(kWidth, 24) * kHeight;
    const uint8_t* source = bytes.data() + (bytes.size() - pixelBytes);
    for (auto _ : state) {
        std::unique_ptr<uint8_t[]> out(new uint8_t[pixelBytes]);
        std::memcpy(out.get(), source, pixelBytes);
        benchmark::DoNotOptimize(out.get());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(pixelBytes));
}
BENCHMARK(MemcpyFresh)->UseRealTime()->Unit(benchmark::kMillisecond);

void ReadBmpMemory(benchmark::State& state) {
    const std::vector<uint8_t>& bytes = BmpBytes();
    Picture pic;
    for (auto _ : state) {
        if (mx::ReadBmp(bytes, pic) != mx::ReadResult::Ok || pic.width != kWidth) {
            state.SkipWithError("the bitmap was not read");
            return;
        }
        benchmark::DoNotOptimize(pic.pixels.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(pic.pixels.size()));
}
BENCHMARK(ReadBmpMemory)->UseRealTime()->Unit(benchmark::kMillisecond);

// Into a fresh picture each time: its storage's pages are touched for the first time, as in
// MemcpyFresh.
void ReadBmpMemoryFresh(benchmark::State& state) {
    const std::vector<uint8_t>& bytes = BmpBytes();
    for (auto _ : state) {
        Picture pic;
        if (mx::ReadBmp(bytes, pic) != mx::ReadResult::Ok || pic.width != kWidth) {
            state.SkipWithError("the bitmap was not read");
            return;
        }
        benchmark::DoNotOptimize(pic.pixels.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(ReadBmpMemoryFresh)->UseRealTime()->Unit(benchmark::kMillisecond);

// The picture keeps its storage here too, but a file's rows go into fresh storage, since a file can
// still fail half-way through and the picture being replaced must then be left as it was.
void ReadBmpFile(benchmark::State& state) {
    const std::string& path = BmpFile();
    if (path.empty()) {
        state.SkipWithError("the bitmap could not be written");
        return;
    }
    Picture pic;
    for (auto _ : state) {
        if (mx::ReadBmpFile(path, pic) != mx::kStatusOk || pic.width != kWidth) {
            state.SkipWithError("the bitmap was not read");
            return;
        }
        benchmark::DoNotOptimize(pic.pixels.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(pic.pixels.size()));
}
BENCHMARK(ReadBmpFile)->UseRealTime()->Unit(benchmark::kMillisecond);

// The wallpaper decoder on the JPEG held in memory, and on the file (reading it included).
void DecodeJpegMemory(benchmark::State& state) {
    const std::vector<uint8_t>& bytes = JpegBytes();
    TimeDecode(state, !bytes.empty(), kWidth, "ImageMagick's convert could not make the JPEG", [&](Picture& pic) { return mx::DecodePicture(bytes, pic); });
}
BENCHMARK(DecodeJpegMemory)->UseRealTime()->Unit(benchmark::kMillisecond);

void DecodeJpegFile(benchmark::State& state) {
    const std::string& path = JpegFile(false);
    TimeDecode(state, !path.empty(), kWidth, "ImageMagick's convert could not make the JPEG", [&](Picture& pic) { return mx::DecodePictureFile(path, pic); });
}
BENCHMARK(DecodeJpegFile)->UseRealTime()->Unit(benchmark::kMillisecond);

// djpeg as a whole process, writing its PPM nowhere; the argument picks the 4000 x 3000 file (0)
// or the 1 x 1 one (1), whose time is djpeg's start-up and the shell's.
std::string DjpegCommand() {
    if (const char* c = std::getenv("MX_DJPEG")) return c;
    return std::filesystem::exists("/usr/bin/djpeg") ? "/usr/bin/djpeg" : "djpeg";
}

void Djpeg(benchmark::State& state) {
    const std::string& path = JpegFile(state.range(0) != 0);
    if (path.empty()) {
        state.SkipWithError("ImageMagick's convert could not make the JPEG");
        return;
    }
    const std::string command = DjpegCommand() + " -outfile /dev/null '" + path + "'";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError(("failed: " + command).c_str());
            return;
        }
    }
}
BENCHMARK(Djpeg)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
