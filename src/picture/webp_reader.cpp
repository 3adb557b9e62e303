#include "picture/webp_reader.h"

#include <cstring>
#include <memory>

#include <webp/decode.h>
#include <webp/demux.h>

namespace mx {

namespace {

struct DemuxDelete {
    void operator()(WebPDemuxer* demux) const { WebPDemuxDelete(demux); }
};

struct Frame {
    const uint8_t* data;
    size_t size;
    int left, top, width, height;
    bool alpha;
};

// Decodes a frame's bitstream straight into its place in the picture: BGR rows, or BGRA with the
// opacity kept apart from the colour (not premultiplied).
bool DecodeInto(const Frame& frame, Picture& pic) {
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config)) return false;
    const int bytesPerPixel = pic.bitsPerPixel / 8;
    const size_t offset = size_t(frame.top) * pic.Stride() + size_t(frame.left) * size_t(bytesPerPixel);
    config.output.colorspace = pic.alpha ? MODE_BGRA : MODE_BGR;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = pic.pixels.data() + offset;
    config.output.u.RGBA.stride = int(pic.Stride());
    config.output.u.RGBA.size = pic.pixels.size() - offset;
    const VP8StatusCode status = WebPDecode(frame.data, frame.size, &config);
    WebPFreeDecBuffer(&config.output);
    return status == VP8_STATUS_OK && config.output.width == frame.width && config.output.height == frame.height;
}

}  // namespace

bool LooksLikeWebp(std::span<const uint8_t> d) {
    return d.size() >= 12 && std::memcmp(d.data(), "RIFF", 4) == 0 && std::memcmp(d.data() + 8, "WEBP", 4) == 0;
}

ReadResult ReadWebp(std::span<const uint8_t> bytes, Picture& target) {
    if (!LooksLikeWebp(bytes)) return ReadResult::Malformed;
    WebPBitstreamFeatures features;
    if (WebPGetFeatures(bytes.data(), bytes.size(), &features) != VP8_STATUS_OK) return ReadResult::Malformed;
    if (features.width <= 0 || features.height <= 0) return ReadResult::Malformed;
    if (!PictureSizeAllowed(features.width, features.height, features.has_alpha || features.has_animation ? 32 : 24))
        return ReadResult::TooLarge;

    Frame frame{bytes.data(), bytes.size(), 0, 0, features.width, features.height, features.has_alpha != 0};
    std::unique_ptr<WebPDemuxer, DemuxDelete> demux;
    WebPIterator iterator{};
    if (features.has_animation) {
        // The first frame, at its place on the canvas; what it leaves uncovered is transparent, as
        // the canvas is before an animation starts.
        const WebPData data{bytes.data(), bytes.size()};
        demux.reset(WebPDemux(&data));
        if (!demux || !WebPDemuxGetFrame(demux.get(), 1, &iterator)) return ReadResult::Malformed;
        frame = {iterator.fragment.bytes, iterator.fragment.size, iterator.x_offset, iterator.y_offset,
                 iterator.width, iterator.height, iterator.has_alpha != 0};
        const int canvasWidth = int(WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_WIDTH));
        const int canvasHeight = int(WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_HEIGHT));
        WebPDemuxReleaseIterator(&iterator);
        if (canvasWidth != features.width || canvasHeight != features.height || frame.left < 0 || frame.top < 0 ||
            frame.width <= 0 || frame.height <= 0 || frame.left > features.width - frame.width ||
            frame.top > features.height - frame.height)
            return ReadResult::Malformed;
        if (frame.width != features.width || frame.height != features.height) frame.alpha = true;
    }

    Picture pic = Picture::MakeTrueColour(features.width, features.height, frame.alpha);
    if (!DecodeInto(frame, pic)) return ReadResult::Malformed;
    target = std::move(pic);
    return ReadResult::Ok;
}

}  // namespace mx
