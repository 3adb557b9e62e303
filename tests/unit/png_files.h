#pragma once
// PNG files made by hand for the tests and benchmarks: chunks with their checksums, image data
// compressed by zlib, and a decompression bomb.
#include <algorithm>
#include <cstdint>
#include <vector>

#include <zlib.h>

namespace mx::test {

// A PNG chunk with its length and checksum.
inline std::vector<uint8_t> PngChunk(const char* type, const std::vector<uint8_t>& body) {
    std::vector<uint8_t> out(body.size() + 12);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) out[at + size_t(i)] = uint8_t(v >> (24 - 8 * i));
    };
    put32(0, uint32_t(body.size()));
    for (size_t i = 0; i < 4; ++i) out[4 + i] = uint8_t(type[i]);
    std::copy(body.begin(), body.end(), out.begin() + 8);
    put32(8 + body.size(), uint32_t(crc32(0, out.data() + 4, uInt(body.size() + 4))));
    return out;
}

// A PNG file of the header's fields whose image data are `stream` (a zlib stream), with `chunks`
// between the header and the image data.
inline std::vector<uint8_t> PngFile(uint32_t width, uint32_t height, int depth, int colourType,
                                    const std::vector<uint8_t>& stream, const std::vector<uint8_t>& chunks = {}) {
    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}, ihdr;
    for (uint32_t v : {width, height})
        for (int shift : {24, 16, 8, 0}) ihdr.push_back(uint8_t(v >> shift));
    ihdr.insert(ihdr.end(), {uint8_t(depth), uint8_t(colourType), 0, 0, 0});
    for (const std::vector<uint8_t>& part : {PngChunk("IHDR", ihdr), chunks, PngChunk("IDAT", stream), PngChunk("IEND", {})})
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

// zlib's compression of the bytes (for a PNG's rows: each row's filter byte, then its samples).
inline std::vector<uint8_t> Deflated(const std::vector<uint8_t>& bytes) {
    std::vector<uint8_t> out(compressBound(uLong(bytes.size())));
    uLongf n = uLongf(out.size());
    compress2(out.data(), &n, bytes.data(), uLong(bytes.size()), 9);
    out.resize(n);
    return out;
}

// A 1 x 1 PNG whose image data go on, after its pixel, with `megabytes` MB of zeros: blocks of a
// megabyte each, compressed once and repeated (each starts afresh after a full flush), with the
// stream's true checksum, so that a reader that inflates it all finds a valid file.
inline std::vector<uint8_t> PngBomb(int megabytes) {
    using Bytes = std::vector<uint8_t>;
    const Bytes zeros(size_t(1) << 20, 0), pixel = {0, 0x3A, 0x6E, 0xA5};
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
    auto deflated = [&](const Bytes& in, int flush) {
        Bytes out(in.size() + in.size() / 1000 + 1024);  // more than deflate ever adds
        z.next_in = const_cast<Bytef*>(in.data());
        z.avail_in = uInt(in.size());
        z.next_out = out.data();
        z.avail_out = uInt(out.size());
        deflate(&z, flush);
        out.resize(size_t(z.next_out - out.data()));
        return out;
    };
    Bytes stream = {0x78, 0xDA};
    const Bytes first = deflated(pixel, Z_FULL_FLUSH), block = deflated(zeros, Z_FULL_FLUSH), end = deflated({}, Z_FINISH);
    deflateEnd(&z);
    stream.insert(stream.end(), first.begin(), first.end());
    uLong sum = adler32(adler32(0, nullptr, 0), pixel.data(), uInt(pixel.size()));
    const uLong blockSum = adler32(adler32(0, nullptr, 0), zeros.data(), uInt(zeros.size()));
    for (int i = 0; i < megabytes; ++i) {
        stream.insert(stream.end(), block.begin(), block.end());
        sum = adler32_combine(sum, blockSum, z_off_t(zeros.size()));
    }
    stream.insert(stream.end(), end.begin(), end.end());
    for (int shift : {24, 16, 8, 0}) stream.push_back(uint8_t(sum >> shift));
    return PngFile(1, 1, 8, 2, stream);
}

}  // namespace mx::test
