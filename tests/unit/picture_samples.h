#pragma once
// Pictures for the drawing tests: every pixel of a different, repeatable colour, at any depth; the
// picture tools' output, and pictures compared with it and with each other.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "picture/picture.h"

namespace mx::test {

// What a command (ImageMagick, the JPEG and WebP tools) writes to its output.
inline std::vector<uint8_t> Output(const std::string& command) {
    std::vector<uint8_t> out;
    if (std::FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r")) {
        uint8_t buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.insert(out.end(), buffer, buffer + n);
        ::pclose(pipe);
    }
    return out;
}

// The picture against RGB triples, each channel within `tolerance`.
inline ::testing::AssertionResult Matches(const Picture& pic, const std::vector<uint8_t>& rgb, int width, int height,
                                          int tolerance) {
    if (pic.width != width || pic.height != height || rgb.size() != size_t(width) * size_t(height) * 3)
        return ::testing::AssertionFailure() << pic.width << "x" << pic.height << ", reference " << rgb.size() << " bytes";
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c) {
                const int ours = int(pic.ColorAt(x, y) >> (16 - 8 * c) & 0xFF), theirs = rgb[(size_t(y) * width + x) * 3 + c];
                if (std::abs(ours - theirs) > tolerance)
                    return ::testing::AssertionFailure() << "(" << x << ", " << y << ") channel " << c << ": " << ours << " vs " << theirs;
            }
    return ::testing::AssertionSuccess();
}

// Two pictures of the same size with the same colour at every pixel, whatever their depths.
inline ::testing::AssertionResult SamePixels(const Picture& a, const Picture& b) {
    if (a.width != b.width || a.height != b.height)
        return ::testing::AssertionFailure() << a.width << " x " << a.height << " against " << b.width << " x " << b.height;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            if (a.ColorAt(x, y) != b.ColorAt(x, y)) return ::testing::AssertionFailure() << "(" << x << ", " << y << ")";
    return ::testing::AssertionSuccess();
}

inline uint32_t Scramble(uint32_t v) {
    v ^= v >> 16;
    v *= 0x7FEB352Du;
    v ^= v >> 15;
    v *= 0x846CA68Bu;
    v ^= v >> 16;
    return v;
}

// Pixel bytes and colour table are filled with scrambled bytes, padding and unused high bits
// included, so that a reader that looks at the wrong bits sees the wrong colour.
inline Picture SamplePicture(int width, int height, int bits, std::array<uint32_t, 3> masks = {}, uint32_t seed = 1) {
    Picture p;
    p.width = width;
    p.height = height;
    p.bitsPerPixel = bits;
    switch (bits) {
    case 1: p.format = PixelFormat::Bits1; break;
    case 4: p.format = PixelFormat::Bits4; break;
    case 8: p.format = PixelFormat::Bits8; break;
    case 16: p.format = masks[1] == 0x07E0 ? PixelFormat::Bits16 : PixelFormat::Bits15; break;
    case 24: p.format = PixelFormat::Bits24; break;
    default: p.format = PixelFormat::Bits32; break;
    }
    if (bits <= 8) {
        for (int i = 0; i < (1 << bits); ++i) p.palette.push_back(Scramble(seed * 977 + uint32_t(i)) & 0xFFFFFF);
    } else if (bits == 16) {
        p.masks = masks[0] ? masks : std::array<uint32_t, 3>{0x7C00, 0x03E0, 0x001F};
    } else if (bits == 32) {
        p.masks = masks[0] ? masks : std::array<uint32_t, 3>{0xFF0000, 0xFF00, 0xFF};
    }
    p.pixels.resize(p.Stride() * size_t(height));
    for (size_t i = 0; i < p.pixels.size(); ++i) p.pixels[i] = uint8_t(Scramble(seed * 7919 + uint32_t(i)));
    return p;
}

// A 32-bit picture whose pixel (x, y) has the colour colours[y][x].
template <size_t W, size_t H>
Picture PictureOf(const std::array<std::array<uint32_t, W>, H>& colours) {
    Picture p = Picture::Make32(int(W), int(H));
    for (size_t y = 0; y < H; ++y)
        for (size_t x = 0; x < W; ++x)
            for (int b = 0; b < 4; ++b) p.Row(int(y))[4 * x + size_t(b)] = uint8_t(colours[y][x] >> (8 * b));
    return p;
}

}  // namespace mx::test
