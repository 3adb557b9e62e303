#include <windows.h>

#include "app/application.h"
#include "picture/wic_reader_win.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
    mx::SystemImaging imaging;
    mx::SystemEnvironment env;
    mx::Application app(env);
    if (!app.CreateWindows()) return 1;
    return app.Run(showCommand);
}
