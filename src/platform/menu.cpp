#include "platform/menu.h"

#include "platform/handles.h"

namespace mx {

void PopupMenu::Load(UINT resourceId, const std::vector<UINT>& separatorIds) {
    items_.clear();
    MenuHandle menu(::LoadMenuA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId)));
    HMENU popup = ::GetSubMenu(menu.get(), 0);
    size_t separator = 0;
    for (int i = 0, n = ::GetMenuItemCount(popup); i < n; ++i) {
        char text[256] = {};
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = sizeof text;
        ::GetMenuItemInfoA(popup, UINT(i), TRUE, &info);
        MenuItem item;
        if (info.fType & MFT_SEPARATOR) {
            item.caption = "-";
            item.id = separator < separatorIds.size() ? separatorIds[separator] : 0;
            ++separator;
        } else {
            item.caption = text;
            item.id = info.wID;
        }
        item.enabled = !(info.fState & MFS_DISABLED);
        item.checked = info.fState & MFS_CHECKED;
        items_.push_back(item);
    }
}

MenuItem* PopupMenu::Find(UINT id) {
    for (MenuItem& item : items_)
        if (item.id == id) return &item;
    return nullptr;
}

void PopupMenu::SetVisible(UINT id, bool visible) {
    if (MenuItem* item = Find(id)) item->visible = visible;
}

void PopupMenu::SetEnabled(UINT id, bool enabled) {
    if (MenuItem* item = Find(id)) item->enabled = enabled;
}

void PopupMenu::SetChecked(UINT id, bool checked) {
    if (MenuItem* item = Find(id)) item->checked = checked;
}

std::vector<std::string> PopupMenu::VisibleCaptions() const {
    std::vector<std::string> captions;
    for (const MenuItem& item : items_)
        if (item.visible) captions.push_back(item.caption);
    return captions;
}

void PopupMenu::Track(HWND owner, POINT screenPoint) const {
    MenuHandle menu(::CreatePopupMenu());
    for (const MenuItem& item : items_) {
        if (!item.visible) continue;
        UINT flags = item.IsSeparator() ? MF_SEPARATOR : MF_STRING;
        if (!item.enabled) flags |= MF_GRAYED;
        if (item.checked) flags |= MF_CHECKED;
        ::AppendMenuA(menu.get(), flags, item.id, item.IsSeparator() ? nullptr : item.caption.c_str());
        if (item.radio) {
            MENUITEMINFOA info{};
            info.cbSize = sizeof info;
            info.fMask = MIIM_FTYPE;
            info.fType = MFT_RADIOCHECK;
            ::SetMenuItemInfoA(menu.get(), item.id, FALSE, &info);
        }
        if (item.isDefault) ::SetMenuDefaultItem(menu.get(), item.id, FALSE);
    }
    ::TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON, screenPoint.x, screenPoint.y, 0, owner, nullptr);
}

}  // namespace mx
