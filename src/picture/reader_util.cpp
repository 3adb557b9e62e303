#include "picture/reader_util.h"

#include <cstdio>
#include <memory>

namespace mx {

bool PictureSizeAllowed(int64_t width, int64_t height, int bitsPerPixel) {
    if (width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide) return false;
    return Picture::StrideFor(int(width), bitsPerPixel) * size_t(height) <= kMaxPictureBytes;
}

unsigned ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes) {
    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, Closer> file(std::fopen(path.c_str(), "rb"));
    if (!file) return kStatusCannotOpen;
    // Read in chunks rather than trusting a size query, which is 32 bits wide on some runtimes.
    std::vector<uint8_t> data;
    constexpr size_t kChunk = size_t(1) << 20;
    for (;;) {
        size_t used = data.size();
        if (used > kMaxPictureFileBytes) return kStatusFailed;
        data.resize(used + kChunk);
        size_t got = std::fread(data.data() + used, 1, kChunk, file.get());
        data.resize(used + got);
        if (got < kChunk) {
            if (std::ferror(file.get())) {
                // A directory opens on some systems but cannot be read: it still cannot be opened
                // as a picture.
                return used == 0 && got == 0 ? kStatusCannotOpen : kStatusFailed;
            }
            break;
        }
    }
    if (data.size() > kMaxPictureFileBytes) return kStatusFailed;
    bytes = std::move(data);
    return kStatusOk;
}

}  // namespace mx
