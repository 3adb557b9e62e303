#include <windows.h>

#include <optional>

#include "app/application.h"
#include "picture/decoding_process_win.h"
#include "picture/wic_reader_win.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
    // Started by itself to decode one picture with the system's decoders.
    if (std::optional<int> decoded = mx::RunDecodingProcess()) return *decoded;
    mx::SystemImaging imaging;
    mx::SystemEnvironment env;
    mx::Application app(env);
    if (!app.CreateWindows()) return 1;
    return app.Run(showCommand);
}
