// Pictures as cameras and the web make them: decoding a 12 MP WebP with the wallpaper decoder beside
// dwebp on the same file, and turning a decoded 24 MP photograph upright beside its decode;
// bench/README.md turns the times into ratios.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "picture/bmp_writer.h"
#include "decode_timing.h"
#include "picture/decoder.h"
#include "picture/jpeg_calls.h"
#include "picture/orient.h"
#include "picture/reader_util.h"

namespace {

using mx::Picture;

std::filesystem::path ScratchDir() {
    return std::filesystem::exists("/dev/shm") ? std::filesystem::path("/dev/shm") : std::filesystem::temp_directory_path();
}

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

std::string Tool(const char* variable, const char* name) {
    if (const char* c = std::getenv(variable)) return c;
    const std::string system = std::string("/usr/bin/") + name;
    return std::filesystem::exists(system) ? system : name;
}

// A photograph-like picture: smooth gradients, soft rings, a checkerboard and a little grain.
Picture SyntheticPhoto(int width, int height) {
    Picture p;
    p.width = width;
    p.height = height;
    p.bitsPerPixel = 24;
    p.format = mx::PixelFormat::Bits24;
    p.pixels.resize(p.Stride() * size_t(height));
    uint32_t v = 777;
    auto clamp = [](int c) { return uint8_t(c < 0 ? 0 : c > 255 ? 255 : c); };
    for (int y = 0; y < height; ++y) {
        uint8_t* row = p.Row(y);
        for (int x = 0; x < width; ++x) {
            v = v * 1664525u + 1013904223u;
            const int grain = int(v >> 29) - 4;
            const int dx = x - width * 13 / 20, dy = y - height * 2 / 5;
            const int ring = ((dx * dx + dy * dy) >> 12) & 63;
            const int checker = ((x >> 7) ^ (y >> 7)) & 1 ? 24 : 0;
            row[3 * x] = clamp(x * 200 / width + ring + grain);
            row[3 * x + 1] = clamp(y * 180 / height + checker + grain + 20);
            row[3 * x + 2] = clamp(255 - (x + y) * 200 / (width + height) + grain);
        }
    }
    return p;
}

// Writes the photograph as a bitmap and runs `command` with $IN for it and $OUT for the file made.
std::string MakeFile(int width, int height, const std::string& name, std::string command) {
    const std::string bmp = (ScratchDir() / ("mx_upright_bench_" + name + ".bmp")).string();
    const std::string out = (ScratchDir() / ("mx_upright_bench_" + name)).string();
    if (!mx::WriteBmp(SyntheticPhoto(width, height), bmp)) return {};
    for (auto [key, value] : {std::pair{"$IN", bmp}, std::pair{"$OUT", out}})
        for (size_t at; (at = command.find(key)) != std::string::npos;)
            command.replace(at, std::string_view(key).size(), "'" + value + "'");
    const bool made = std::system(command.c_str()) == 0;
    std::filesystem::remove(bmp);
    Scratch().paths.push_back(out);
    return made ? out : std::string();
}

std::vector<uint8_t> Bytes(const std::string& path) {
    std::vector<uint8_t> b;
    if (!path.empty()) mx::ReadFileBytes(path, b);
    return b;
}

// The 24 MP photograph as a phone writes it (4:2:0, quality 90), as stored and tagged to be turned a
// quarter clockwise.
const std::vector<uint8_t>& Jpeg24(bool tagged) {
    static const std::vector<uint8_t> plain =
        Bytes(MakeFile(6000, 4000, "24mp.jpg", Tool("MX_CONVERT", "convert") + " $IN -sampling-factor 2x2 -quality 90 $OUT"));
    static const std::vector<uint8_t> turned =
        Bytes(MakeFile(6000, 4000, "24mp-6.jpg",
                       Tool("MX_CONVERT", "convert") + " $IN -sampling-factor 2x2 -quality 90 $OUT && exiftool -q -overwrite_original -Orientation#=6 $OUT"));
    return tagged ? turned : plain;
}

// cwebp reads no bitmaps: ImageMagick hands it a PNG.
std::string Cwebp(const std::string& options) {
    return Tool("MX_CONVERT", "convert") + " $IN $OUT.png && " + Tool("MX_CWEBP", "cwebp") + " -quiet " + options +
           " $OUT.png -o $OUT; status=$?; rm -f $OUT.png; exit $status";
}

// The 12 MP photograph as lossy (quality 90) and lossless WebP, and a 1 x 1 one for dwebp's start-up.
const std::string& WebpFile(int kind) {
    static const std::string files[3] = {
        MakeFile(4000, 3000, "12mp.webp", Cwebp("-q 90")),
        MakeFile(4000, 3000, "12mp-lossless.webp", Cwebp("-lossless -z 1")),
        MakeFile(1, 1, "1x1.webp", Cwebp("-q 90")),
    };
    return files[kind];
}

// The 24 MP JPEG into a picture that keeps its storage, as the pane does from one photograph to the
// next; the same file tagged 6, decoded and turned (its storage, turned, is reused by the next decode);
// and each into a fresh picture, as the randomizer's one decode at log-on does.
void DecodeJpeg24(benchmark::State& state) {
    const bool tagged = state.range(0) != 0;
    const std::vector<uint8_t>& bytes = Jpeg24(tagged);
    TimeDecode(state, !bytes.empty(), tagged ? 4000 : 6000, "the file could not be made (convert, exiftool, cwebp)", [&](Picture& pic) { return mx::DecodePicture(bytes, pic); });
}
BENCHMARK(DecodeJpeg24)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);

void DecodeJpeg24Fresh(benchmark::State& state) {
    const bool tagged = state.range(0) != 0;
    const std::vector<uint8_t>& bytes = Jpeg24(tagged);
    TimeDecode(state, !bytes.empty(), tagged ? 4000 : 6000, "the file could not be made (convert, exiftool, cwebp)", [&](Picture& pic) {
        pic = Picture();
        return mx::DecodePicture(bytes, pic);
    });
}
BENCHMARK(DecodeJpeg24Fresh)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);

// Turning the decoded 24 MP picture upright alone, for each orientation; the copy it starts from is
// made outside the timing.
void TurnUpright(benchmark::State& state) {
    const std::vector<uint8_t>& bytes = Jpeg24(false);
    Picture decoded, pic;
    if (bytes.empty() || mx::DecodePicture(bytes, decoded) != mx::kStatusOk) {
        state.SkipWithError("the JPEG could not be made or decoded");
        return;
    }
    const int orientation = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        pic.width = decoded.width;
        pic.height = decoded.height;
        pic.bitsPerPixel = decoded.bitsPerPixel;
        pic.pixels = decoded.pixels;
        state.ResumeTiming();
        mx::TurnUpright(pic, orientation);
        benchmark::DoNotOptimize(pic.pixels.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(TurnUpright)->DenseRange(2, 8)->UseRealTime()->Unit(benchmark::kMillisecond);

void DecodeWebp(benchmark::State& state) {
    const std::vector<uint8_t> bytes = Bytes(WebpFile(int(state.range(0))));
    TimeDecode(state, !bytes.empty(), 4000, "the file could not be made (convert, exiftool, cwebp)", [&](Picture& pic) { return mx::DecodePicture(bytes, pic); });
}
BENCHMARK(DecodeWebp)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);

// dwebp as a whole process, decoding and writing nothing (no -o); 0 the lossy file, 1 the lossless
// one, 2 the 1 x 1 file, whose time is dwebp's start-up and the shell's.
void Dwebp(benchmark::State& state) {
    const std::string& path = WebpFile(int(state.range(0)));
    if (path.empty()) {
        state.SkipWithError("cwebp could not make the file");
        return;
    }
    const std::string command = Tool("MX_DWEBP", "dwebp") + " -quiet '" + path + "'";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError(("failed: " + command).c_str());
            return;
        }
    }
}
BENCHMARK(Dwebp)->DenseRange(0, 2)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// What turning while decoding would cost: the same tagged JPEG decoded a strip of rows at a time into
// a scratch strip that stays in the cache, each strip turned a quarter clockwise into its place in
// the upright picture, whose storage is reused as the plain decode's is. A model for the reader's
// row loop, not the program's code: grey and colour files only, no checks on the file.
void DecodeJpeg24TurningWhileDecoding(benchmark::State& state) {
    const std::vector<uint8_t>& bytes = Jpeg24(true);
    const int strip = int(state.range(0));
    Picture pic;
    std::vector<uint8_t> scratch;
    for (auto _ : state) {
        MxJpeg* jpeg = mx_jpeg_open(bytes.data(), bytes.size(), size_t(3) << 30, 1e12);
        MxJpegHeader header{};
        int rowWidth = 0, rowCount = 0;
        if (!jpeg || !mx_jpeg_read_header(jpeg, &header) || !mx_jpeg_start(jpeg, 0, 1, &rowWidth, &rowCount)) {
            state.SkipWithError("the JPEG was not decoded");
            if (jpeg) mx_jpeg_close(jpeg);
            return;
        }
        const int W = header.width, H = header.height;
        pic.width = H;
        pic.height = W;
        pic.bitsPerPixel = 24;
        pic.pixels.resize(pic.Stride() * size_t(W));
        const size_t stride = Picture::StrideFor(W, 24);
        scratch.resize(stride * size_t(strip) + 4);
        std::vector<uint8_t*> rows(static_cast<size_t>(strip), nullptr);
        for (int k = 0; k < strip; ++k) rows[size_t(k)] = scratch.data() + size_t(k) * stride;
        for (int done = 0; done < H;) {
            int n = 0;
            while (n < strip && done + n < H) {
                const int got = mx_jpeg_read_rows(jpeg, rows.data() + n, std::min(strip, H - done) - n);
                if (got <= 0) break;
                n += got;
            }
            if (n == 0) break;
            // Stored row done + k goes to upright column H - 1 - (done + k); stored column y to row y.
            for (int y = 0; y < W; ++y) {
                uint8_t* out = pic.Row(y) + 3 * size_t(H - done - n);
                for (int k = n - 1; k >= 0; --k, out += 3) std::memcpy(out, rows[size_t(k)] + 3 * size_t(y), 3);
            }
            done += n;
        }
        mx_jpeg_close(jpeg);
        benchmark::DoNotOptimize(pic.pixels.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(DecodeJpeg24TurningWhileDecoding)->Arg(16)->Arg(64)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
