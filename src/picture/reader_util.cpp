#include "picture/reader_util.h"

#include <algorithm>
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
    // Read in chunks rather than trusting a size query, which is 32 bits wide on some runtimes; the
    // size it gives is only a hint for the storage, so that a file of a few megabytes is read into
    // one allocation in one go instead of being copied as the storage grows.
    std::vector<uint8_t> data;
    if (std::fseek(file.get(), 0, SEEK_END) == 0) {
        const long size = std::ftell(file.get());
        if (size > 0) data.reserve(std::min(size_t(size), kMaxPictureFileBytes) + 1);
        std::rewind(file.get());
    }
    constexpr size_t kChunk = size_t(1) << 20;
    for (;;) {
        size_t used = data.size();
        if (used > kMaxPictureFileBytes) return kStatusFailed;
        const size_t chunk = data.capacity() > used ? data.capacity() - used : kChunk;
        data.resize(used + chunk);
        size_t got = std::fread(data.data() + used, 1, chunk, file.get());
        data.resize(used + got);
        if (got < chunk) {
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
