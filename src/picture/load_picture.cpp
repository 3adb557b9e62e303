#include "picture/load_picture.h"

#include "lists/categories.h"
#include "picture/bmp_reader.h"
#include "picture/decoder.h"

namespace mx {

unsigned LoadPictureFile(const std::string& path, int category, const ShowRequest& request, DecodedPicture& target,
                         std::vector<uint8_t>* deferred, JpegThreads threads) {
    if (category == CategoryWall) return DecodePictureFile(path, request, target, deferred, threads);
    Picture picture;
    const unsigned status = ReadBmpFile(path, picture);
    if (status == kStatusOk) target = DecodedPicture::Whole(std::move(picture));
    return status;
}

unsigned LoadPictureFile(const std::string& path, int category, Picture& target) {
    if (category == CategoryWall) return DecodePictureFile(path, target);
    return ReadBmpFile(path, target);
}

}  // namespace mx
