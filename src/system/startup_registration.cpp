// Registering the randomizer to run at every log-on of the current user.
#include "app/form_select.h"
#include "app/resource.h"
#include "state/settings_store.h"
#include "state/settings_values.h"

namespace mx {

void TFormSelect::Runrandomizeratstartup1Click(HWND sender) {
    bool boxChecked = ::SendMessageA(chkbStartUpRun, BM_GETCHECK, 0, 0) == BST_CHECKED;
    // The menu item turns the check box over; that change is a click on the box, which runs this too.
    if (sender != chkbStartUpRun) {
        boxChecked = !boxChecked;
        SetStartUpRunChecked(boxChecked);
    }
    SetMenuChecked(IDM_RUNRANDOMIZER, boxChecked);
    // Switched off, the value stays with empty text; only the uninstall removes it.
    RegistryKey run(env_, HKEY_CURRENT_USER, kRunKey, RegistryKey::Mode::Create);
    run.WriteString(kRunValue, MenuChecked(IDM_RUNRANDOMIZER) ? RandomizerCommand(ProgramDir) : "");
    // Once for the menu item too, which turned the box over and so came here first.
    if (sender == chkbStartUpRun) FollowRandomizerSettings();
}

void TFormSelect::SetStartUpRunChecked(bool checked) {
    bool boxChecked = ::SendMessageA(chkbStartUpRun, BM_GETCHECK, 0, 0) == BST_CHECKED;
    if (boxChecked == checked) return;
    ::SendMessageA(chkbStartUpRun, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    Runrandomizeratstartup1Click(chkbStartUpRun);
}

}  // namespace mx
