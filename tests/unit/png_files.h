#pragma once
// PNG files made by hand for the tests and benchmarks: chunks with their checksums, image data
// compressed by zlib, and a decompression bomb.
#include <cstdint>
#include <vector>

#include <zlib.h>

namespace mx::test {

inline void Append(std::vector<uint8_t>& to, const std::vector<uint8_t>& bytes) { to.insert(to.end(), bytes.begin(), bytes.end()); }
inline std::vector<uint8_t> Be32(uint32_t v) { return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)}; }

inline std::vector<uint8_t> PngChunk(const char* type, const std::vector<uint8_t>& body) {
    std::vector<uint8_t> out = Be32(uint32_t(body.size())), named = {uint8_t(type[0]), uint8_t(type[1]), uint8_t(type[2]), uint8_t(type[3])};
    Append(named, body);
    Append(out, named);
    Append(out, Be32(uint32_t(crc32(0, named.data(), uInt(named.size())))));
    return out;
}

// A PNG file of the header's fields whose image data are `stream` (a zlib stream), with `chunks`
// between the header and the image data.
inline std::vector<uint8_t> PngFile(uint32_t width, uint32_t height, int depth, int colourType,
                                    const std::vector<uint8_t>& stream, const std::vector<uint8_t>& chunks = {}) {
    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}, header = Be32(width);
    Append(header, Be32(height));
    Append(header, {uint8_t(depth), uint8_t(colourType), 0, 0, 0});
    for (const std::vector<uint8_t>& part : {PngChunk("IHDR", header), chunks, PngChunk("IDAT", stream), PngChunk("IEND", {})}) Append(out, part);
    return out;
}

// zlib's stream of the bytes, with its best compression, or (flush Z_FULL_FLUSH) a block of raw
// deflate that a later one does not refer back to.
inline std::vector<uint8_t> Deflated(const std::vector<uint8_t>& bytes, int flush = Z_FINISH) {
    std::vector<uint8_t> out(bytes.size() + bytes.size() / 1000 + 1024);
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, flush == Z_FINISH ? 15 : -15, 9, Z_DEFAULT_STRATEGY);
    z.next_in = const_cast<Bytef*>(bytes.data()), z.avail_in = uInt(bytes.size());
    z.next_out = out.data(), z.avail_out = uInt(out.size());
    deflate(&z, flush);
    out.resize(size_t(z.next_out - out.data()));
    deflateEnd(&z);
    return out;
}

// A 1 x 1 PNG whose image data go on past its pixel with `megabytes` MB of zeros, one compressed
// megabyte repeated, ending with the stream's true checksum: a reader that inflates it all finds a
// valid file.
inline std::vector<uint8_t> PngBomb(int megabytes) {
    const std::vector<uint8_t> zeros(size_t(1) << 20, 0), pixel = {0, 0x3A, 0x6E, 0xA5}, block = Deflated(zeros, Z_FULL_FLUSH);
    std::vector<uint8_t> stream = {0x78, 0xDA};
    Append(stream, Deflated(pixel, Z_FULL_FLUSH));
    uLong sum = adler32(1, pixel.data(), uInt(pixel.size()));
    const uLong blockSum = adler32(1, zeros.data(), uInt(zeros.size()));
    for (int i = 0; i < megabytes; ++i, sum = adler32_combine(sum, blockSum, z_off_t(zeros.size()))) Append(stream, block);
    Append(stream, {0x03, 0x00});  // an empty final block
    Append(stream, Be32(uint32_t(sum)));
    return PngFile(1, 1, 8, 2, stream);
}

}  // namespace mx::test
