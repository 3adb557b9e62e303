#pragma once
// JPEG files through libjpeg-turbo: grey, YCbCr, RGB, CMYK and YCCK; baseline, progressive and
// arithmetic-coded. Like ReadBmp, a picture that is refused leaves the target as it was.
#include <cstdint>
#include <span>

#include "picture/picture.h"
#include "picture/reader_util.h"
#include "picture/shown_picture.h"

namespace mx {

// Whether the bytes start as a JPEG file does (a start-of-image marker).
bool LooksLikeJpeg(std::span<const uint8_t> bytes);

// Decodes what the request shows into a 24-bit picture, reusing the target's storage when it fits.
// The picture as the request scales it is shown whole or in part (see PartShown):
// - scaled to half its size or less, it goes through the transform at 1/2, 1/4 or 1/8, the smallest
//   that still covers that size, and comes out at the size shown by nearest pixel (the rows and
//   columns the preview's scaling would take); a fitted picture's storage has room for a 24-bit
//   picture of the whole area, for the bands around it;
// - a part (a centred or top-left area smaller than the picture, the middle that Fill shows) is
//   decoded alone, its rows skipped to, decoding stopped after them, its columns cropped, with the
//   pixels the decode of the whole has there, reduced as above where the request scales it down;
// - a side that the request enlarges comes out at its own size, for the renderer to enlarge.
// A file that ends early or whose data goes bad shows what was decoded up to there; the rest is grey,
// as libjpeg shows missing data. Malformed when there is no scan to decode; TooLarge, from the
// headers alone, when the picture exceeds the program's limits.
// With an `orientation` (see exif_orientation.h) the request shows the upright picture: what it shows
// is decoded as stored and then turned upright, and the target's size and region are the upright ones.
// A large picture stored in one scan is decoded by two decoders at once where the machine has
// several processors, the upper rows by one while the other skips them and decodes the rest, with
// the same pixels as one decoder.
enum class JpegThreads { BySize, One, Two };
ReadResult ReadJpeg(std::span<const uint8_t> bytes, const ShowRequest& request, DecodedPicture& target,
                    int orientation = 1, JpegThreads threads = JpegThreads::BySize);

}  // namespace mx
