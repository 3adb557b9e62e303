#pragma once
// Pictures that only the system's imaging component reads are decoded in a process of their own: the
// program starts itself with the decode switch, hands that process the file's bytes in shared memory
// and reads the pixels back through a pipe. A codec that crashes or hangs ends only that process,
// which is ended at the time limit or as soon as its caller gives up, with all it holds.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "picture/picture.h"
#include "picture/reader_util.h"

namespace mx {

// How the decoding processes are started. The tests shorten the limit and make the process fail.
struct DecodingProcessOptions {
    std::string program;         // started with the decode switch; empty: the running program itself
    unsigned timeoutMs = 20000;  // from the start of the process to the last pixel
    std::string test;            // the process's test switch: "crash" or "hang" instead of decoding
};

// Sets the options for the whole process and returns the ones set before.
DecodingProcessOptions SetDecodingProcessOptions(DecodingProcessOptions options);

// Decodes the bytes in a decoding process: Ok with the picture (upright, 24 bits or 32 with its
// opacity), Malformed when the system's decoders read no picture there, TooLarge, or DecoderFailed
// when the process crashed, broke off, did not answer within the time limit, or `cancel` (an event,
// when given) was signalled first. The target is replaced on Ok only. The process has been ended
// when this returns.
ReadResult DecodeInOwnProcess(std::span<const uint8_t> bytes, Picture& target, HANDLE cancel = nullptr);

// The decoding process's side, run first thing in the programs' entry points: when this process was
// started with the decode switch, it decodes what it was handed and gives the exit code; nothing for
// any other start.
std::optional<int> RunDecodingProcess();

}  // namespace mx
