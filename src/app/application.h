#pragma once
#include <memory>
#include <string>

#include "app/about_box.h"
#include "picture/form_preview.h"
#include "app/form_select.h"
#include "platform/environment.h"

namespace mx {

// The process: its title and help file, its three windows and the message loop.
class Application {
public:
    static constexpr const char* kTitle = "Mosalux Selector";

    explicit Application(Environment& env);

    // Creates the main window, the preview window and the about box, in that order.
    bool CreateWindows();
    // Shows the main window and runs the message loop until it has closed; returns the exit code: for
    // an uninstall run 0 when the uninstall went through, 1 when it was declined or failed.
    int Run(int showCommand);

    std::string Title = kTitle;
    std::string HelpFile = TFormSelect::kHelpFile;
    std::unique_ptr<TFormSelect> FormSelect;
    std::unique_ptr<TFormPreview> FormPreview;
    std::unique_ptr<TAboutBox> AboutBox;

private:
    Environment& env_;
};

}  // namespace mx
