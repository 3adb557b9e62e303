#include <cstddef>
#include <cstdint>

#include "picture/decoder.h"
#include "picture/reader_util.h"

namespace {

// What the second decode is asked to show, from the input's last five bytes: the kind of request
// and an area of up to 1023 x 1023, small enough to make the JPEG reader reduce or crop often.
mx::ShowRequest RequestFrom(const uint8_t* data, size_t size) {
    if (size < 5) return {};
    const uint8_t* tail = data + size - 5;
    return {mx::ShowRequest::Kind(tail[0] % 7), {(tail[1] | tail[2] << 8) & 0x3FF, (tail[3] | tail[4] << 8) & 0x3FF}};
}

void Check(const mx::DecodedPicture& decoded, const mx::ShowRequest& request) {
    if (decoded.Empty()) return;
    const mx::Picture& p = decoded.picture;
    const mx::ShownPart part = mx::PartShown(request, decoded.Full());
    // The part decoded is the part shown (or all of a picture its reader decodes whole), never at
    // more pixels than its own.
    if (!decoded.anyRequest && !(decoded.region == part.region)) __builtin_trap();
    if (p.width > decoded.region.width || p.height > decoded.region.height) __builtin_trap();
    if (p.pixels.size() != p.Stride() * size_t(p.height)) __builtin_trap();
    volatile uint32_t sink = p.ColorAt(0, 0) ^ p.ColorAt(p.width - 1, p.height - 1);
    (void)sink;
}

}  // namespace

// Each input is decoded twice into the same picture, the second time reusing the first one's
// storage as the preview does when it shows one wallpaper after another: first whole, then for a
// request taken from the input, which drives the JPEG reader's reduced and cropped decodes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    mx::DecodedPicture decoded;
    for (const mx::ShowRequest& request : {mx::ShowRequest{}, RequestFrom(data, size)})
        if (mx::DecodePicture({data, size}, request, decoded) == mx::kStatusOk) Check(decoded, request);
    return 0;
}
