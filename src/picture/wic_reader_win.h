#pragma once
// The system's imaging component (WIC) as the wallpaper decoder's last resort: whatever decoders the
// machine has (on Windows 10 and 11 HEIC, AVIF, JPEG XR, TIFF and camera formats where their codecs
// are installed; under Wine TIFF, JPEG XR, DDS and ICO among others).
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "picture/decoding_process_win.h"
#include "picture/picture.h"
#include "picture/reader_util.h"
#include "picture/system_decoder.h"
#include "platform/com.h"

namespace mx {

// Decodes the first frame with the system's decoders into a 24-bit picture, or a 32-bit one with its
// transparency, turned upright by the orientation the decoder reports (or, for a TIFF-structured file
// whose decoder reports none, by the file's own tag), on the calling thread of this process. The
// programs run it only in a decoding process of its own (decoding_process_win.h): a codec may crash
// or never return. The target is left as it was unless the result is Ok.
ReadResult ReadWithWic(std::span<const uint8_t> bytes, Picture& target);

// The file extensions of the system's decoders on this machine, in the order the system lists them,
// lower case with their dot (".tif"), one by one; none when the component is missing.
std::vector<std::string> WicFileExtensions();

// For a program's whole run, made first thing in its entry point: the system's decoders behind the
// wallpaper decoder's own, each picture decoded in a process of its own started with `options`.
// COM is started only where the component is used (in those processes, and for the list of its file
// extensions, which runs no codec), so that a run that never needs it (the randomizer at nearly every
// log-on) does not pay for starting it.
class SystemImaging {
public:
    explicit SystemImaging(DecodingProcessOptions options = {});
    SystemImaging(const SystemImaging&) = delete;
    SystemImaging& operator=(const SystemImaging&) = delete;
    ~SystemImaging();

private:
    SystemDecoder previous_;
    DecodingProcessOptions previousOptions_;
};

}  // namespace mx
