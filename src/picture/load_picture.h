#pragma once
// Loading a picture file for one of the four screen categories: the wallpaper category decodes any
// picture format, the boot-screen categories read Windows bitmaps only, whatever the file is called.
#include <cstdint>
#include <string>
#include <vector>

#include "picture/jpeg_reader.h"
#include "picture/picture.h"
#include "picture/shown_picture.h"

namespace mx {

// Returns kStatusOk (0), kStatusCannotOpen (10) or kStatusFailed (100); the target is replaced on
// success only. A wallpaper nothing can decode gives an empty picture and 0. The request says what
// will be shown of a wallpaper; boot screens are always read whole. Given `deferred`, a wallpaper
// that only the system's decoders read is left to the caller (see DecodePictureFile), and `threads`
// says how many decoders a large JPEG may take.
unsigned LoadPictureFile(const std::string& path, int category, const ShowRequest& request, DecodedPicture& target,
                         std::vector<uint8_t>* deferred = nullptr, JpegThreads threads = JpegThreads::BySize);

// The whole picture.
unsigned LoadPictureFile(const std::string& path, int category, Picture& target);

}  // namespace mx
