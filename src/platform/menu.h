#pragma once
// A pop-up menu whose items can be hidden as well as disabled. Win32 menus have no hidden items, so
// the menu keeps its items (read once from the resource script) and builds the visible ones each time
// it opens.
#include <windows.h>

#include <string>
#include <vector>

namespace mx {

struct MenuItem {
    UINT id = 0;          // separators carry an identifier too, so that they can be hidden
    std::string caption;  // "-" for a separator
    bool visible = true;
    bool enabled = true;
    bool checked = false;
    bool radio = false;      // checked with a dot: one of a group of choices
    bool isDefault = false;  // in bold: what a double-click does
    bool IsSeparator() const { return caption == "-"; }
};

class PopupMenu {
public:
    // The items of the first pop-up of a menu resource; separators get the identifiers in
    // `separatorIds`, in order.
    void Load(UINT resourceId, const std::vector<UINT>& separatorIds = {});

    MenuItem* Find(UINT id);
    void SetVisible(UINT id, bool visible);
    void SetEnabled(UINT id, bool enabled);
    void SetChecked(UINT id, bool checked);
    const std::vector<MenuItem>& Items() const { return items_; }
    std::vector<std::string> VisibleCaptions() const;

    // Opens the menu at a screen point; the chosen item's command goes to `owner` as WM_COMMAND.
    void Track(HWND owner, POINT screenPoint) const;

private:
    std::vector<MenuItem> items_;
};

}  // namespace mx
