// MXRandom.exe: started at log-on with no window, so that nothing flashes on the screen. It runs at
// background priority for processor and disk, so that it never slows the log-on, and ends.
#include <windows.h>

#include <optional>

#include "picture/decoding_process_win.h"
#include "picture/wic_reader_win.h"
#include "platform/environment.h"
#include "randomizer/randomizer.h"

namespace {

// Started from a console, the log lines are shown there too.
void WriteToConsole(HANDLE out, const std::string& line) {
    std::string text = line + "\r\n";
    DWORD written = 0;
    ::WriteFile(out, text.data(), DWORD(text.size()), &written, nullptr);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Started by itself to decode one picture with the system's decoders.
    if (std::optional<int> decoded = mx::RunDecodingProcess()) return *decoded;
    mx::SystemImaging imaging;  // the system's decoders behind the program's own
    ::SetPriorityClass(::GetCurrentProcess(), PROCESS_MODE_BACKGROUND_BEGIN);
    // Neither a drive with no medium nor a fault may put up a box.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX | SEM_NOGPFAULTERRORBOX);

    HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if ((out == nullptr || out == INVALID_HANDLE_VALUE) && ::AttachConsole(ATTACH_PARENT_PROCESS))
        out = ::CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                            nullptr);
    mx::LogEcho echo;
    if (out != nullptr && out != INVALID_HANDLE_VALUE) echo = [out](const std::string& line) { WriteToConsole(out, line); };

    mx::SystemEnvironment env;
    return mx::RunRandomizer(env, env.Arguments(), echo);
}
