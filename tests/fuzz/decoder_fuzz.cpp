#include <cstddef>
#include <cstdint>

#include "picture/decoder.h"
#include "picture/reader_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    mx::Picture picture;
    if (mx::DecodePicture({data, size}, picture) == mx::kStatusOk && !picture.Empty()) {
        volatile uint32_t sink = picture.ColorAt(0, 0) ^ picture.ColorAt(picture.width - 1, picture.height - 1);
        (void)sink;
    }
    return 0;
}
