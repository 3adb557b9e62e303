#pragma once
// Writes a picture as an uncompressed Windows bitmap file (file header, 40-byte information header,
// bottom-up rows), as the converted wallpaper is saved.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "picture/picture.h"

namespace mx {

// The file's bytes, or nothing when the picture cannot be written: a depth other than 1, 4, 8, 16, 24
// or 32, a colour table that is missing or longer than the depth allows, pixel storage shorter than
// the picture, or a file over 4 GiB. Pictures of 8 bits or fewer carry their colour table; 16-bit
// 5-5-5 and 32-bit 8-8-8 pictures are written as plain RGB, other masks (5-6-5 among them) as bit
// fields. An empty picture gives a valid 0 x 0 file of 24 bits per pixel.
std::vector<uint8_t> EncodeBmp(const Picture& picture);

// Writes EncodeBmp's bytes to the file at path, replacing it; false when the picture cannot be
// written or the file cannot be created or written completely.
bool WriteBmp(const Picture& picture, const std::string& path);

// Writes the picture converted to a true-colour depth, as a screen of that depth holds it: 32 and 24
// bits as plain RGB, 16 bits as 5-6-5 bit fields. Rows are converted and written a few at a time, so
// no second copy of the picture is ever made; a picture with transparency is shown over the
// background (0x00RRGGBB). An empty picture gives a 0 x 0 file of that depth. False for another
// depth, or when the file cannot be created or written completely.
bool WriteBmpAtDepth(const Picture& picture, int bitsPerPixel, const std::string& path, uint32_t background);
// The same into a file opened for writing, which it closes (also when it returns false).
bool WriteBmpAtDepth(const Picture& picture, int bitsPerPixel, std::FILE* file, uint32_t background);

// Gives row y (0 the top) of a picture being written as `width` 32-bit pixels (blue, green, red,
// unused). Rows are asked for from the bottom up, each once, as the file holds them.
using BmpRowSource = std::function<void(int y, uint8_t* row)>;

// Writes a picture of the size at a true-colour depth as WriteBmpAtDepth does, its rows made one
// block at a time by `rows`, so that the picture itself never needs to be held whole. Closes the file.
bool WriteBmpRows(Size size, int bitsPerPixel, std::FILE* file, const BmpRowSource& rows);

// Reads back, row by row, a file that WriteBmpRows wrote at 16, 24 or 32 bits per pixel, so that
// parts of it can be written again into its successor without the whole picture in memory.
class WrittenBmpRows {
public:
    // Opens the file; false when it is not such a file of exactly the size.
    bool Open(const std::string& path, Size size);
    // Row y (0 the top) as 32-bit pixels; false when it cannot be read.
    bool Row(int y, uint8_t* row);
    void Close() { file_.reset(); }

private:
    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, Closer> file_;
    Size size_;
    int bits_ = 0;
    long offset_ = 0;
    std::vector<uint8_t> buffer_;
};

}  // namespace mx
