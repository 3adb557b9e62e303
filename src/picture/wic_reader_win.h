#pragma once
// The system's imaging component (WIC) as the wallpaper decoder's last resort: whatever decoders the
// machine has (on Windows 10 and 11 HEIC, AVIF, JPEG XR, TIFF and camera formats where their codecs
// are installed; under Wine TIFF, JPEG XR, DDS and ICO among others).
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "picture/picture.h"
#include "picture/reader_util.h"
#include "picture/system_decoder.h"
#include "platform/com.h"

namespace mx {

// Decodes the first frame with the system's decoders into a 24-bit picture, or a 32-bit one with its
// transparency, turned upright by the orientation the decoder reports (or, for a TIFF-structured file
// whose decoder reports none, by the file's own tag). It runs on a thread of its own: a decoder that
// fails, or takes longer than kWicTimeoutMs, gives Malformed and the target is left as it was.
ReadResult ReadWithWic(std::span<const uint8_t> bytes, Picture& target);
inline constexpr unsigned kWicTimeoutMs = 20000;

// The file extensions of the system's decoders on this machine, in the order the system lists them,
// lower case with their dot (".tif"), one by one; none when the component is missing.
std::vector<std::string> WicFileExtensions();

// For a program's whole run, made first thing in its entry point: the system's decoders behind the
// wallpaper decoder's own. COM is started only on the threads that use the component, so that a run
// that never needs it (the randomizer at nearly every log-on) does not pay for starting it.
class SystemImaging {
public:
    SystemImaging();
    SystemImaging(const SystemImaging&) = delete;
    SystemImaging& operator=(const SystemImaging&) = delete;
    ~SystemImaging();

private:
    SystemDecoder previous_;
};

}  // namespace mx
