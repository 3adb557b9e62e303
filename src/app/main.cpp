#include <windows.h>

#include "app/application.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
    mx::SystemEnvironment env;
    mx::Application app(env);
    if (!app.CreateWindows()) return 1;
    return app.Run(showCommand);
}
