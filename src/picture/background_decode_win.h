#pragma once
// A picture that only the system's decoders read, decoded for a window without keeping it waiting:
// the decoding process is waited for on a thread of its own, and the window is posted `message`
// with `tag` as its wParam once the picture is there or never will be. Ending the object ends the
// process and then the thread at once, so a request given up leaves nothing behind.
#include <windows.h>

#include <cstdint>
#include <vector>

#include "picture/picture.h"
#include "platform/handles.h"

namespace mx {

class BackgroundDecode {
public:
    BackgroundDecode(std::vector<uint8_t> bytes, HWND window, UINT message, WPARAM tag);
    ~BackgroundDecode();
    BackgroundDecode(const BackgroundDecode&) = delete;
    BackgroundDecode& operator=(const BackgroundDecode&) = delete;

    WPARAM Tag() const { return tag_; }
    // Whether the picture is there or never will be.
    bool Finished() const;
    // Signalled once it has finished; nothing when it finished at its start.
    HANDLE FinishedEvent() const { return thread_.get(); }
    // The picture, empty when none came; it waits for the thread to end, which it does at once
    // after posting its message.
    Picture TakePicture();

private:
    static DWORD WINAPI Run(void* self);

    std::vector<uint8_t> bytes_;
    HWND window_;
    UINT message_;
    WPARAM tag_;
    Picture picture_;
    KernelHandle cancel_;
    KernelHandle thread_;
};

}  // namespace mx
