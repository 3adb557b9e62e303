// Adding chosen files to the current list, removing entries, and selecting in both lists.
#include <windowsx.h>

#include <algorithm>

#include "app/form_select.h"
#include "app/resource.h"
#include "lists/categories.h"
#include "lists/list_view.h"
#include "picture/load_picture.h"
#include "picture/reader_util.h"
#include "platform/text.h"
#include "system/boot_screens.h"

namespace mx {

namespace {

// Change reports of the lists refresh only the count until the scope ends, however it ends.
class ListEventsOff {
public:
    explicit ListEventsOff(bool& enabled) : enabled_(enabled) { enabled_ = false; }
    ~ListEventsOff() { enabled_ = true; }
    ListEventsOff(const ListEventsOff&) = delete;
    ListEventsOff& operator=(const ListEventsOff&) = delete;

private:
    bool& enabled_;
};

// A wallpaper is checked on the smallest picture its reader gives: whether it can be read is all the
// check needs to know.
constexpr ShowRequest kReadableCheck{ShowRequest::Kind::Scaled, {1, 1}};

// Why a file is refused: it holds no picture the category's reader can read, or, for a boot screen, not
// one of the size and depth the system shows.
std::string RefusalText(const std::string& path, unsigned status, const DecodedPicture& decoded, bool bootScreen) {
    const Picture& picture = decoded.picture;
    if (status != kStatusOk || decoded.Empty()) return "Read Error " + path + ",\n\rThe file cannot be read.";
    if (!bootScreen || MeetsBootScreenConstraints(picture)) return {};
    if (!HasBootScreenSize(picture))
        return "Size Error " + path + ",\n\rInvallid Width or Height.\n\rSize is : " + std::to_string(picture.width) +
               " x " + std::to_string(picture.height) + ",\n\rSize must be 320 x 400.";
    return "Pixel Format Error " + path + ",\n\rInvallid Pixel depth.\n\rPixel depth is : " +
           std::string(PixelFormatName(picture.format)) + " bpp\n\rPixel depth must be 8 bpp.";
}

}  // namespace

// Positions stay valid throughout: adding never changes the file list's names.
void TFormSelect::BtnAddClick() {
    for (int i = 0, n = ListBox_GetCount(FileListBox1); i < n; ++i)
        if (ListBox_GetSel(FileListBox1, i) > 0) AddChosenFile(i);
}

// Every file is checked on its own decoded picture, never on what the preview pane shows: a wallpaper
// that cannot be read would be passed over by the randomizer at every log-on. An accepted file loses
// its selection, a refused one keeps it.
void TFormSelect::AddChosenFile(int index) {
    ListEventsOff quiet(ListEventsEnabled);
    std::string name = ListBoxText(FileListBox1, index);
    std::string path = JoinPath(FileListDirectory(), name);
    bool wallpaper = CurrentCategory == CategoryWall;
    {
        DecodedPicture decoded;
        unsigned status = LoadPictureFile(path, CurrentCategory, kReadableCheck, decoded);
        if (std::string refusal = RefusalText(path, status, decoded, !wallpaper); !refusal.empty()) {
            if (MenuChecked(IDM_REPORTERRORS)) env_.ShowMessage(hwnd_, BoxKind::Error, refusal, MB_OK);
            return;
        }
    }
    AddEntry(ListForCategory(CurrentCategory), {name, FileListDirectory(), wallpaper ? WindowText(CBStyle) : ""});
    ListBox_SetSel(FileListBox1, FALSE, index);
    UnsavedChanges = true;
}

// The pane keeps what it shows, even a removed entry: deleting rows reports changes of selection,
// which must not preview the next entry on its way out.
void TFormSelect::btnRemoveClick() {
    HWND list = ListForCategory(CurrentCategory);
    bool removed = false;
    ListEventsOff quiet(ListEventsEnabled);
    for (int i = 0; i < ItemCount(list);) {
        if (IsSelected(list, i)) {
            ListView_DeleteItem(list, i);
            removed = true;
        } else {
            ++i;
        }
    }
    if (removed) {
        UnsavedChanges = true;
        // A list scrolled to its end scrolls back as rows go, but the list view repaints only the rows
        // from the deleted one down: the rows above would keep showing the entries they showed before.
        ::InvalidateRect(list, nullptr, TRUE);
        FitColumnsToWidth(list);
    }
    RefreshCount();
}

void TFormSelect::btnAllFilesClick() { ListBox_SetSel(FileListBox1, TRUE, -1); }

void TFormSelect::BtnInvFilesClick() {
    for (int i = 0, n = ListBox_GetCount(FileListBox1); i < n; ++i)
        ListBox_SetSel(FileListBox1, ListBox_GetSel(FileListBox1, i) <= 0, i);
}

void TFormSelect::btnAllSelectClick() {
    ListView_SetItemState(ListForCategory(CurrentCategory), -1, LVIS_SELECTED, LVIS_SELECTED);
}

void TFormSelect::btnInvSelectClick() {
    HWND list = ListForCategory(CurrentCategory);
    for (int i = 0, n = ItemCount(list); i < n; ++i)
        ListView_SetItemState(list, i, IsSelected(list, i) ? 0 : LVIS_SELECTED, LVIS_SELECTED);
}

void TFormSelect::Findfile1Click() {
    HWND list = ListForCategory(CurrentCategory);
    int first = ListView_GetNextItem(list, -1, LVNI_SELECTED);
    if (first >= 0) ApplyFilePath(ItemText(list, first, ColumnPath));
}

void TFormSelect::PopMSelectedPopup() {
    HWND list = ListForCategory(CurrentCategory);
    int selected = SelectedCount(list);
    for (UINT id : {IDM_SEL_VIEW, IDM_SEL_REMOVE, IDM_SEL_INVERT}) PopMSelected.SetEnabled(id, selected > 0);
    PopMSelected.SetEnabled(IDM_SEL_SELECTALL, selected > 0 && selected < ItemCount(list));
}

void TFormSelect::LstVKeyDown(WORD key) {
    const bool control = ::GetKeyState(VK_CONTROL) < 0, other = ::GetKeyState(VK_SHIFT) < 0 || ::GetKeyState(VK_MENU) < 0;
    if (key == VK_DELETE && !control && !other) btnRemoveClick();
    else if (key == 'A' && control && !other) btnAllSelectClick();
}

// Tabbed into, a list has no focused row to show until an arrow key makes one: the first selected
// entry, or the first entry, takes the focus. Only the focus moves, so the pane stays as it is.
void TFormSelect::LstVEnter(HWND list) {
    if (ItemCount(list) == 0 || ListView_GetNextItem(list, -1, LVNI_FOCUSED) >= 0) return;
    ListEventsOff quiet(ListEventsEnabled);
    ListView_SetItemState(list, std::max(ListView_GetNextItem(list, -1, LVNI_SELECTED), 0), LVIS_FOCUSED, LVIS_FOCUSED);
}

void TFormSelect::ChangeErrorReport() { SetMenuChecked(IDM_REPORTERRORS, !MenuChecked(IDM_REPORTERRORS)); }

}  // namespace mx
