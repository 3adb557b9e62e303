#include "app/application.h"

#include <commctrl.h>

namespace mx {

Application::Application(Environment& env) : env_(env) {
    INITCOMMONCONTROLSEX init{sizeof init, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&init);
}

bool Application::CreateWindows() {
    FormSelect = std::make_unique<TFormSelect>(env_);
    FormSelect->QuitOnDestroy = true;
    if (!FormSelect->Create()) return false;
    FormPreview = std::make_unique<TFormPreview>(*FormSelect);
    if (!FormPreview->Create(FormSelect->Handle())) return false;
    AboutBox = std::make_unique<TAboutBox>(FormSelect->VersionText);
    if (!AboutBox->Create(FormSelect->Handle())) return false;
    FormSelect->SetCompanions(FormPreview.get(), AboutBox.get());
    return true;
}

int Application::Run(int showCommand) {
    FormSelect->Show(showCommand);
    MSG msg{};
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (FormSelect->TranslateShortcut(msg) || FormSelect->IsKeyboardMessage(msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    // An uninstaller that starts the uninstall run learns whether it went through.
    if (FormSelect->UninstallMode) return FormSelect->Uninstalled ? 0 : 1;
    return 0;
}

}  // namespace mx
