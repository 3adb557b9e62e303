// Times the wallpaper decoder on one file, in-process, built natively and for Windows alike:
//   decode_file FILE [REPETITIONS]
// The file is read once; each repetition decodes it from memory into the same picture, whose
// storage is reused, as in reader_bench. Prints the size, a checksum of the pixels (the same in
// both builds when they decode alike) and the fastest and median times.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "picture/decoder.h"
#include "picture/reader_util.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: decode_file FILE [REPETITIONS]\n");
        return 2;
    }
    const int repetitions = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
    std::vector<uint8_t> bytes;
    if (mx::ReadFileBytes(argv[1], bytes) != mx::kStatusOk) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    mx::Picture picture;
    std::vector<double> ms;
    for (int i = 0; i < repetitions; ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (mx::DecodePicture(bytes, picture) != mx::kStatusOk || picture.Empty()) {
            std::fprintf(stderr, "no picture in %s\n", argv[1]);
            return 1;
        }
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    uint64_t hash = 14695981039346656037u;
    for (int y = 0; y < picture.height; ++y)
        for (size_t x = 0; x < size_t(picture.width) * size_t(picture.bitsPerPixel / 8); ++x)
            hash = (hash ^ picture.Row(y)[x]) * 1099511628211u;
    std::sort(ms.begin(), ms.end());
    std::printf("%d x %d, checksum %016llx, %d decodes: fastest %.2f ms, median %.2f ms\n", picture.width, picture.height,
                static_cast<unsigned long long>(hash), repetitions, ms.front(), ms[ms.size() / 2]);
    return 0;
}
