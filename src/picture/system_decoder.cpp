#include "picture/system_decoder.h"

#include <atomic>

namespace mx {

namespace {
std::atomic<SystemDecoder> systemDecoder{nullptr};
}

SystemDecoder SetSystemDecoder(SystemDecoder decoder) { return systemDecoder.exchange(decoder); }

bool SystemDecoderSet() { return systemDecoder.load() != nullptr; }

ReadResult ReadWithSystemDecoder(std::span<const uint8_t> bytes, Picture& target) {
    const SystemDecoder decoder = systemDecoder.load();
    return decoder ? decoder(bytes, target) : ReadResult::Malformed;
}

}  // namespace mx
