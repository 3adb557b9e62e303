#include "picture/background_decode_win.h"

#include "picture/decoding_process_win.h"

namespace mx {

BackgroundDecode::BackgroundDecode(std::vector<uint8_t> bytes, HWND window, UINT message, WPARAM tag)
    : bytes_(std::move(bytes)), window_(window), message_(message), tag_(tag),
      cancel_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    if (cancel_)
        thread_.reset(::CreateThread(nullptr, 256 * 1024, Run, this, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
    if (!thread_) {
        bytes_ = {};
        ::PostMessageW(window_, message_, tag_, 0);
    }
}

BackgroundDecode::~BackgroundDecode() {
    if (!thread_) return;
    // The process is ended as soon as the thread sees this, and the thread then ends.
    ::SetEvent(cancel_.get());
    ::WaitForSingleObject(thread_.get(), INFINITE);
}

bool BackgroundDecode::Finished() const {
    return !thread_ || ::WaitForSingleObject(thread_.get(), 0) == WAIT_OBJECT_0;
}

Picture BackgroundDecode::TakePicture() {
    if (thread_) ::WaitForSingleObject(thread_.get(), INFINITE);
    return std::move(picture_);
}

DWORD WINAPI BackgroundDecode::Run(void* parameter) {
    auto& self = *static_cast<BackgroundDecode*>(parameter);
    try {
        Picture picture;
        if (DecodeInOwnProcess(self.bytes_, picture, self.cancel_.get()) == ReadResult::Ok)
            self.picture_ = std::move(picture);
    } catch (...) {
        // Out of memory for the pixels: no picture comes, as when the decoder fails.
    }
    self.bytes_ = {};
    if (::WaitForSingleObject(self.cancel_.get(), 0) != WAIT_OBJECT_0)
        ::PostMessageW(self.window_, self.message_, self.tag_, 0);
    return 0;
}

}  // namespace mx
