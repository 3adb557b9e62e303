#pragma once
// The wallpaper decoder: any picture file the wallpaper category offers, recognised by its content
// and never by its name. Windows bitmaps and PCX go to our own readers, JPEG to libjpeg-turbo, WebP
// to libwebp, GIF to giflib, PNG to libpng, Targa to stb_image, anything else to the system's
// decoders where the program runs on Windows. Pictures come out upright by their EXIF orientation. A file none of
// them decodes gives no picture, which is not a failure.
//
// The caller says what it is going to show of the (upright) picture; a reader that can decodes only
// that (the JPEG reader reduces and crops, see ReadJpeg), the others decode the whole picture
// whatever is asked. Either way the result holds the picture's own size and the part of it decoded.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "picture/jpeg_reader.h"
#include "picture/picture.h"
#include "picture/shown_picture.h"

namespace mx {

// Decodes a picture held in memory into the target: kStatusOk with the picture, or with an empty
// picture when nothing could decode it; kStatusFailed, target untouched, when the picture is larger
// than the program takes.
unsigned DecodePicture(std::span<const uint8_t> bytes, const ShowRequest& request, DecodedPicture& target);

// The same for a file; kStatusCannotOpen, target untouched, when the file cannot be opened. Given
// `deferred`, a picture that only the system's decoders read is not decoded here: the target is left
// empty and `deferred` takes the file's bytes, for a decode that keeps nobody waiting. `threads`
// says how many decoders a large JPEG may take (one where the caller decodes another picture beside it).
unsigned DecodePictureFile(const std::string& path, const ShowRequest& request, DecodedPicture& target,
                           std::vector<uint8_t>* deferred = nullptr, JpegThreads threads = JpegThreads::BySize);

// The whole picture at its own size, into a plain picture whose storage it may reuse.
unsigned DecodePicture(std::span<const uint8_t> bytes, Picture& target);
unsigned DecodePictureFile(const std::string& path, Picture& target);

}  // namespace mx
