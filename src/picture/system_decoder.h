#pragma once
// The decoders of the system the program runs on, for picture files that none of the program's own
// readers takes. The portable core knows them only through this hook: the Windows programs set it
// to the system's imaging component when they start; natively none is set.
#include <cstdint>
#include <span>

#include "picture/picture.h"
#include "picture/reader_util.h"

namespace mx {

// Decodes the bytes into the target as the program's readers do: the picture turned upright, the
// target left as it was unless the result is Ok; DecoderFailed when the decoder crashed or hung.
using SystemDecoder = ReadResult (*)(std::span<const uint8_t> bytes, Picture& target);

// Sets the decoder for the whole process (nullptr for none) and returns the one set before.
SystemDecoder SetSystemDecoder(SystemDecoder decoder);

// Whether a decoder is set.
bool SystemDecoderSet();

// The decoder's result, or Malformed when none is set.
ReadResult ReadWithSystemDecoder(std::span<const uint8_t> bytes, Picture& target);

}  // namespace mx
