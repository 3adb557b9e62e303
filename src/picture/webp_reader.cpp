#include "picture/webp_reader.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include <webp/decode.h>
#include <webp/demux.h>

namespace mx {

namespace {

struct DemuxDelete {
    void operator()(WebPDemuxer* demux) const { WebPDemuxDelete(demux); }
};

// A lossy frame spends at least 3.4 bits on each 16 x 16 macroblock (its prediction modes, coded
// with fixed probabilities), so a file holds at most about 600 of its pixels per byte; beyond 1024
// it cannot hold the picture it claims. A lossless one has no such floor (a plain colour takes a few
// bytes), and an animation's canvas around its first frame is described by nothing but its header.
constexpr uint64_t kMostPixelsPerByte = 1024;

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

// Whether libwebp decodes the whole frame, into a small picture of its own: the frame's data are
// proven before the picture's storage is made. libwebp still sets aside its own rows for a lossless
// frame, but touches only those it decodes.
bool DecodesWhole(const Frame& frame) {
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config)) return false;
    config.options.use_scaling = 1;
    config.options.scaled_width = std::max(1, frame.width / 64);
    config.options.scaled_height = std::max(1, frame.height / 64);
    config.output.colorspace = MODE_BGRA;
    const VP8StatusCode status = WebPDecode(frame.data, frame.size, &config);
    WebPFreeDecBuffer(&config.output);
    return status == VP8_STATUS_OK;
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

    // A picture beyond what the file's bytes could describe is believed only when its data prove it.
    WebPBitstreamFeatures coding;
    if (WebPGetFeatures(frame.data, frame.size, &coding) != VP8_STATUS_OK) return ReadResult::Malformed;
    const uint64_t most = kMostPixelsPerByte * bytes.size();
    const uint64_t framePixels = uint64_t(frame.width) * uint64_t(frame.height);
    if (uint64_t(features.width) * uint64_t(features.height) > std::max(framePixels, most)) return ReadResult::Refused;
    if (framePixels > most && (coding.format != 2 || !DecodesWhole(frame))) return ReadResult::Refused;

    Picture pic = Picture::MakeTrueColour(features.width, features.height, frame.alpha);
    if (!DecodeInto(frame, pic)) return ReadResult::Malformed;
    target = std::move(pic);
    return ReadResult::Ok;
}

}  // namespace mx
