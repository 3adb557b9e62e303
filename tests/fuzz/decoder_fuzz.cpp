#include <cstddef>
#include <cstdint>

#include "picture/decoder.h"
#include "picture/reader_util.h"

// Each input is decoded twice into the same picture, the second time reusing the first one's
// storage, as the preview does when it shows one wallpaper after another.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    mx::Picture picture;
    for (int pass = 0; pass < 2; ++pass) {
        if (mx::DecodePicture({data, size}, picture) == mx::kStatusOk && !picture.Empty()) {
            volatile uint32_t sink = picture.ColorAt(0, 0) ^ picture.ColorAt(picture.width - 1, picture.height - 1);
            (void)sink;
        }
    }
    return 0;
}
