// Adding chosen files to the current list, removing entries, and selecting in both lists.
#include <windowsx.h>

#include <algorithm>

#include "app/form_select.h"
#include "app/resource.h"
#include "lists/browser_filters.h"
#include "lists/categories.h"
#include "lists/file_masks.h"
#include "lists/folder_entries.h"
#include "lists/folder_listing_win.h"
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

std::string Pictures(size_t count) { return std::to_string(count) + (count == 1 ? " picture" : " pictures"); }

}  // namespace

// Many chosen files are one change of the list and one of the file list's selection, shown when all
// are added; a box about a refused file shows both as they are by then.
class TFormSelect::AddingFiles {
public:
    explicit AddingFiles(TFormSelect& form) : form_(form), view_(form.ViewForCategory(form.CurrentCategory)) {
        view_.BeginBatch();
        form_.addingFiles_ = this;
    }
    ~AddingFiles() {
        form_.addingFiles_ = nullptr;
        view_.EndBatch();
        Show();
    }
    AddingFiles(const AddingFiles&) = delete;
    AddingFiles& operator=(const AddingFiles&) = delete;

    void Unchoose(int index) { unchosen_.push_back(index); }
    void Show() {
        view_.Flush();
        // The added files lose their selection a run of neighbours at a time.
        for (size_t i = 0; i < unchosen_.size();) {
            size_t j = i + 1;
            while (j < unchosen_.size() && unchosen_[j] == unchosen_[j - 1] + 1) ++j;
            if (j - i == 1) ListBox_SetSel(form_.FileListBox1, FALSE, unchosen_[i]);
            else ::SendMessageA(form_.FileListBox1, LB_SELITEMRANGEEX, WPARAM(unchosen_[j - 1]), LPARAM(unchosen_[i]));
            i = j;
        }
        unchosen_.clear();
        form_.RefreshCount();
    }

private:
    TFormSelect& form_;
    SelectionListView& view_;
    std::vector<int> unchosen_;  // ascending
};

// Positions stay valid throughout: adding never changes the file list's names. The chosen files are
// those selected when the command starts, from the first to the last.
void TFormSelect::BtnAddClick() {
    AddingFiles adding(*this);
    int count = ListBox_GetSelCount(FileListBox1);
    std::vector<int> chosen(size_t(std::max(count, 0)));
    if (count > 0) chosen.resize(size_t(std::max(0, ListBox_GetSelItems(FileListBox1, count, chosen.data()))));
    for (int index : chosen) AddChosenFile(index);
}

// Every file is checked on its own decoded picture, never on what the preview pane shows: a wallpaper
// that cannot be read would be passed over by the randomizer at every log-on. An accepted file loses
// its selection, a refused one keeps it.
void TFormSelect::AddChosenFile(int index) {
    ListEventsOff quiet(ListEventsEnabled);
    std::string name = FileListName(index);
    std::string path = JoinPath(FileListDirectory(), name);
    bool wallpaper = CurrentCategory == CategoryWall;
    {
        DecodedPicture decoded;
        unsigned status = LoadPictureFile(path, CurrentCategory, kReadableCheck, decoded);
        if (std::string refusal = RefusalText(path, status, decoded, !wallpaper); !refusal.empty()) {
            if (MenuChecked(IDM_REPORTERRORS)) {
                if (addingFiles_) addingFiles_->Show();
                env_.ShowMessage(hwnd_, BoxKind::Error, refusal, MB_OK);
            }
            return;
        }
    }
    AddEntry(ListForCategory(CurrentCategory), {name, FileListDirectory(), wallpaper ? WindowText(CBStyle) : ""});
    if (addingFiles_) addingFiles_->Unchoose(index);
    else ListBox_SetSel(FileListBox1, FALSE, index);
    UnsavedChanges = true;
}

// The browser's directory becomes one entry of the current list; its pictures are found again at
// each run of the randomizer. The question counts them now, with the subfolders and without.
void TFormSelect::BtnAddFolderClick() {
    const std::string folder = FileListDirectory();
    if (folder.empty()) return;
    const FileMask usable(UsableFilesMask(CurrentCategory));
    HCURSOR cursor = ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
    SystemFolderSource source;
    const FolderPictures counted =
        ListFolderPictures(source, nullptr, folder, true, [&](std::string_view name) { return usable.Matches(name); });
    ::SetCursor(cursor);
    if (counted.outcome != FolderPictures::Outcome::Listed) {
        env_.ShowMessage(hwnd_, BoxKind::Error, "The folder " + folder + " cannot be read.", MB_OK);
        return;
    }
    const std::string question = "Add the folder " + folder + " to the list?\n\rYes: with its subfolders, " +
                                 Pictures(counted.files.size()) + (counted.tooMany ? " and more" : "") +
                                 ".\n\rNo: the folder alone, " + Pictures(counted.topFiles) + ".";
    FolderScope scope = FolderScope::None;
    switch (env_.ShowMessage(hwnd_, BoxKind::Confirmation, question, MB_YESNOCANCEL)) {
    case IDYES: scope = FolderScope::WithSubfolders; break;
    case IDNO: scope = FolderScope::Folder; break;
    default: return;
    }
    ListEventsOff quiet(ListEventsEnabled);
    AddEntry(ListForCategory(CurrentCategory), {std::string(FolderEntryName(scope)), folder,
                                                CurrentCategory == CategoryWall ? WindowText(CBStyle) : ""});
    UnsavedChanges = true;
}

// The pane keeps what it shows, even a removed entry.
void TFormSelect::btnRemoveClick() {
    ListEventsOff quiet(ListEventsEnabled);
    if (ViewForCategory(CurrentCategory).RemoveSelected() > 0) UnsavedChanges = true;
    RefreshCount();
}

void TFormSelect::btnAllFilesClick() { ListBox_SetSel(FileListBox1, TRUE, -1); }

void TFormSelect::BtnInvFilesClick() {
    for (int i = 0, n = ListBox_GetCount(FileListBox1); i < n; ++i)
        ListBox_SetSel(FileListBox1, ListBox_GetSel(FileListBox1, i) <= 0, i);
}

// The list's change report comes once for all the rows that changed.
void TFormSelect::btnAllSelectClick() {
    if (ViewForCategory(CurrentCategory).SelectAll()) LstVSelectedChange();
}

void TFormSelect::btnInvSelectClick() {
    if (ViewForCategory(CurrentCategory).InvertSelection()) LstVSelectedChange();
}

void TFormSelect::Findfile1Click() {
    const SelectionList& entries = ViewForCategory(CurrentCategory).Entries();
    if (std::optional<size_t> first = entries.NextSelected()) ApplyFilePath(entries.Directory(*first));
}

void TFormSelect::PopMSelectedPopup() {
    HWND list = ListForCategory(CurrentCategory);
    int selected = SelectedCount(list);
    for (UINT id : {IDM_SEL_VIEW, IDM_SEL_REMOVE, IDM_SEL_INVERT}) PopMSelected.SetEnabled(id, selected > 0);
    PopMSelected.SetEnabled(IDM_SEL_SELECTALL, selected > 0 && selected < ItemCount(list));
}

void TFormSelect::LstVKeyDown(WORD key) {
    const bool control = ::GetKeyState(VK_CONTROL) < 0;
    const bool other = ::GetKeyState(VK_SHIFT) < 0 || ::GetKeyState(VK_MENU) < 0;
    if (key == VK_DELETE && !control && !other) btnRemoveClick();
    else if (key == 'A' && control && !other) btnAllSelectClick();
}

// Tabbed into, a list has no focused row to show until an arrow key makes one: the first selected
// entry, or the first entry, takes the focus. Only the focus moves, so the pane stays as it is.
void TFormSelect::LstVEnter(HWND list) {
    SelectionListView& view = ViewOf(list);
    if (view.Entries().empty() || view.FocusedItem() >= 0) return;
    ListEventsOff quiet(ListEventsEnabled);
    ListView_SetItemState(list, int(view.Entries().NextSelected().value_or(0)), LVIS_FOCUSED, LVIS_FOCUSED);
}

void TFormSelect::ChangeErrorReport() { SetMenuChecked(IDM_REPORTERRORS, !MenuChecked(IDM_REPORTERRORS)); }

}  // namespace mx
