// Times the wallpaper decoder on one file, in-process, built natively and for Windows alike:
//   decode_file FILE [REPETITIONS [SHOWN [one|two]]]
// The file is read once; each repetition decodes it from memory into the same picture, whose
// storage is reused, as in reader_bench. SHOWN is what the decode is for: whole (the default), or
// scaled, fitted, centred, topleft, filled or covering followed by the area, as in scaled:160x100.
// With one or two, a JPEG is decoded by that many decoders whatever its size and the machine.
// Prints the size decoded, a checksum of the pixels (the same in both builds when they decode alike)
// and the fastest and median times.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "picture/decoder.h"
#include "picture/jpeg_reader.h"
#include "picture/reader_util.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: decode_file FILE [REPETITIONS [whole|scaled:WxH|fitted:WxH|centred:WxH|topleft:WxH|"
                     "filled:WxH|covering:WxH [one|two]]]\n");
        return 2;
    }
    const int repetitions = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
    mx::ShowRequest request;
    if (argc > 3) {
        const char* kinds[] = {"whole", "scaled", "fitted", "centred", "topleft", "filled", "covering"};
        for (int k = 0; k < 7; ++k)
            if (std::strncmp(argv[3], kinds[k], std::strlen(kinds[k])) == 0) request.kind = mx::ShowRequest::Kind(k);
        if (const char* area = std::strchr(argv[3], ':'))
            std::sscanf(area + 1, "%dx%d", &request.area.width, &request.area.height);
    }
    std::vector<uint8_t> bytes;
    const auto readStart = std::chrono::steady_clock::now();
    if (mx::ReadFileBytes(argv[1], bytes) != mx::kStatusOk) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    const double readMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - readStart).count();
    mx::DecodedPicture decoded;
    const mx::Picture& picture = decoded.picture;
    std::vector<double> ms;
    for (int i = 0; i < repetitions; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const bool read = argc > 4 ? mx::ReadJpeg(bytes, request, decoded, 1,
                                                   std::strcmp(argv[4], "one") == 0 ? mx::JpegThreads::One
                                                                                    : mx::JpegThreads::Two) ==
                                         mx::ReadResult::Ok
                                   : mx::DecodePicture(bytes, request, decoded) == mx::kStatusOk;
        if (!read || decoded.Empty()) {
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
    std::printf("%d x %d, checksum %016llx, %d decodes: fastest %.2f ms, median %.2f ms (the file read in %.2f ms)\n",
                picture.width, picture.height, static_cast<unsigned long long>(hash), repetitions, ms.front(),
                ms[ms.size() / 2], readMs);
    return 0;
}
