// The preview pane of the main window: the picture of the chosen file or of the selected entry, its
// name above it, and its pop-up menu.
#include <windowsx.h>

#include <optional>
#include <utility>

#include "app/form_select.h"
#include "app/resource.h"
#include "lists/browser_filters.h"
#include "lists/categories.h"
#include "lists/file_masks.h"
#include "lists/folder_entries.h"
#include "lists/folder_listing_win.h"
#include "lists/list_view.h"
#include "picture/background_decode_win.h"
#include "picture/form_preview.h"
#include "picture/load_picture.h"
#include "picture/picture_win.h"
#include "picture/reader_util.h"
#include "picture/scale.h"
#include "picture/transparency.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "randomizer/folder_expansion.h"
#include "randomizer/randomizer_text.h"
#include "state/settings_store.h"
#include "system/boot_screens.h"

namespace mx {

namespace {
constexpr const char* kNoFileSelected = "No File Selected";

std::string Pictures(size_t count) { return std::to_string(count) + (count == 1 ? " picture" : " pictures"); }

// A path in lines that fit `width` in the control's font, each broken after a backslash where it can.
std::vector<std::string> PathLines(HWND control, const std::string& path, int width) {
    WindowDC dc(control);
    SelectGuard font(dc.get(), reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0)));
    auto fits = [&](const std::string& text) {
        SIZE size{};
        ::GetTextExtentPoint32A(dc.get(), text.data(), int(text.size()), &size);
        return size.cx <= width;
    };
    std::vector<std::string> lines;
    std::string line;
    for (size_t pos = 0; pos < path.size();) {
        size_t end = path.find('\\', pos);
        end = end == std::string::npos ? path.size() : end + 1;
        std::string piece = path.substr(pos, end - pos);
        pos = end;
        if (!line.empty() && !fits(line + piece)) lines.push_back(std::exchange(line, {}));
        // A name wider than the line by itself is broken where it must.
        for (char c : piece) {
            if (!line.empty() && !fits(line + c)) lines.push_back(std::exchange(line, {}));
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}
}  // namespace

TFormPreview& TFormSelect::FormPreview() {
    if (!preview_) {
        ownPreview_ = std::make_unique<TFormPreview>(*this);
        ownPreview_->Create(hwnd_);
        preview_ = ownPreview_.get();
    }
    return *preview_;
}

HWND TFormSelect::BoxOwner() const {
    HWND preview = preview_ ? preview_->Handle() : nullptr;
    return preview && ::IsWindowVisible(preview) ? preview : hwnd_;
}

bool TFormSelect::PreviewShown() const { return ::GetWindowLongPtrA(ImgPreview, GWL_STYLE) & WS_VISIBLE; }

// While the picture shows, its name takes the strip above it; otherwise the name fills the pane.
void TFormSelect::ShowPreviewImage(bool visible) {
    if (visible == PreviewShown()) return;
    SetVisible(ImgPreview, visible);
    RECT image{};
    ::GetWindowRect(ImgPreview, &image);
    ::MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&image), 2);
    RECT name{};
    ::GetWindowRect(PnlPreviewName, &name);
    ::MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&name), 2);
    int bottom = visible ? image.top : image.bottom;
    // The name is centred in its new height: what it showed in its old one must not stay on screen.
    ::SetWindowPos(PnlPreviewName, nullptr, name.left, name.top, name.right - name.left, bottom - name.top,
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
}

void TFormSelect::ShowNoFileSelected() {
    previewDecode_.reset();
    previewFolder_.clear();
    SetNamePanelLines(false);
    ::SetWindowTextA(PnlPreviewName, kNoFileSelected);
    ShowPreviewImage(false);
    SizeHint.clear();
    SetHint(ImgPreview, SizeHint);
    SetNamePanelRed(false);
}

// The name panel's caption is the memory of which file the picture holds. The pane shows a
// thumbnail, so only as much of the file is decoded as covers it. A file that cannot be read shows
// no picture, and the caption names the file all the same. A picture that only the system's
// decoders read comes later, decoded in a process of its own, while the window goes on; a newer
// choice ends that decoding.
void TFormSelect::PreviewFile(const std::string& path) {
    previewFolder_.clear();
    if (path != WindowText(PnlPreviewName)) {
        previewDecode_.reset();
        RECT image{};
        ::GetClientRect(ImgPreview, &image);
        const ShowRequest thumbnail{ShowRequest::Kind::Scaled, {image.right, image.bottom}};
        std::vector<uint8_t> deferred;
        if (LoadPictureFile(path, CurrentCategory, thumbnail, PreviewPicture, &deferred) != kStatusOk ||
            PreviewPicture.Empty())
            PreviewPicture = DecodedPicture{};
        if (!deferred.empty())
            previewDecode_ =
                std::make_unique<BackgroundDecode>(std::move(deferred), hwnd_, kPreviewDecoded, ++previewDecodeTag_);
        ShowThumbnail();
    }
    ShowPreviewImage(!PreviewPicture.Empty());
    UpdateSizeHint();
    SetNamePanelLines(false);
    ::SetWindowTextA(PnlPreviewName, path.c_str());
}

// The pictures are counted as the randomizer finds them at its next run, by their names.
void TFormSelect::PreviewFolder(const std::string& directory, std::string_view name) {
    const std::string entry = JoinPath(directory, name);
    // The count is the category's: the same folder in another list counts other pictures.
    const std::string shown = std::to_string(CurrentCategory) + ':' + entry;
    if (shown == previewFolder_) return;
    previewFolder_ = shown;
    previewDecode_.reset();
    PreviewPicture = DecodedPicture{};
    ShowPreviewImage(false);
    UpdateSizeHint();
    const FileMask usable(UsableFilesMask(CurrentCategory));
    SystemFolderSource source;
    const FolderPictures found =
        ListFolderPictures(source, nullptr, directory, FolderScopeOf(name) == FolderScope::WithSubfolders,
                           [&](std::string_view file) { return usable.Matches(file); });
    std::string count;
    switch (found.outcome) {
    case FolderPictures::Outcome::Listed: count = Pictures(found.files.size()) + (found.tooMany ? " and more" : ""); break;
    case FolderPictures::Outcome::Missing: count = "not there"; break;
    case FolderPictures::Outcome::NotAFolder: count = "a file, not a folder"; break;
    case FolderPictures::Outcome::Unreadable: count = "cannot be read"; break;
    }
    SetNamePanelLines(true);
    RECT panel{};
    ::GetClientRect(PnlPreviewName, &panel);
    std::vector<std::string> lines = PathLines(PnlPreviewName, entry, panel.right - 4);
    lines.push_back("");
    lines.push_back(count);
    // The lines stand in the middle of the pane, as a file's name does.
    TEXTMETRICA metrics{};
    {
        WindowDC dc(PnlPreviewName);
        SelectGuard font(dc.get(), reinterpret_cast<HFONT>(::SendMessageA(PnlPreviewName, WM_GETFONT, 0, 0)));
        ::GetTextMetricsA(dc.get(), &metrics);
    }
    const int room = metrics.tmHeight > 0 ? int(panel.bottom / metrics.tmHeight) : 0;
    std::string text;
    for (int i = 0; i < (room - int(lines.size())) / 2; ++i) text += "\r\n";
    for (size_t i = 0; i < lines.size(); ++i) text += (i ? "\r\n" : "") + lines[i];
    ::SetWindowTextA(PnlPreviewName, text.c_str());
}

void TFormSelect::SetNamePanelLines(bool lines) {
    if (lines == namePanelLines_) return;
    namePanelLines_ = lines;
    const LONG_PTR oneLine = SS_CENTERIMAGE | SS_PATHELLIPSIS;
    LONG_PTR style = ::GetWindowLongPtrA(PnlPreviewName, GWL_STYLE);
    ::SetWindowLongPtrA(PnlPreviewName, GWL_STYLE, lines ? style & ~oneLine : style | oneLine);
    ::InvalidateRect(PnlPreviewName, nullptr, TRUE);
}

void TFormSelect::ShowThumbnail() {
    RECT image{};
    ::GetClientRect(ImgPreview, &image);
    ScaleNearest(PreviewPicture.picture, image.right, image.bottom, previewThumb_);
    ComposeOver(previewThumb_, SystemColour(COLOR_BTNFACE));
    ::InvalidateRect(ImgPreview, nullptr, FALSE);
}

// Only the latest request's answer is taken; one that brought no picture leaves the name alone. A
// full-screen preview shown meanwhile renders the picture that came.
void TFormSelect::PreviewDecoded(WPARAM tag) {
    if (!previewDecode_ || previewDecode_->Tag() != tag) return;
    Picture picture = previewDecode_->TakePicture();
    previewDecode_.reset();
    if (picture.Empty()) return;
    PreviewPicture = DecodedPicture::Whole(std::move(picture));
    ShowThumbnail();
    ShowPreviewImage(true);
    UpdateSizeHint();
    if (preview_ && ::IsWindowVisible(preview_->Handle())) preview_->RenderPreview();
}

void TFormSelect::WaitForPreview() {
    if (!previewDecode_) return;
    HWND focus = ::GetFocus();
    HWND preview = preview_ && ::IsWindowVisible(preview_->Handle()) ? preview_->Handle() : nullptr;
    waitingForPreview_ = true;
    for (HWND window : {hwnd_, preview})
        if (window) ::EnableWindow(window, FALSE);
    std::optional<WPARAM> quit;
    while (previewDecode_ && !previewDecode_->Finished() && !quit) {
        HANDLE finished = previewDecode_->FinishedEvent();
        ::MsgWaitForMultipleObjects(1, &finished, FALSE, INFINITE, QS_ALLINPUT);
        MSG msg{};
        while (!quit && ::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = msg.wParam;
                break;
            }
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    if (quit) ::PostQuitMessage(int(*quit));
    for (HWND window : {hwnd_, preview})
        if (window) ::EnableWindow(window, TRUE);
    waitingForPreview_ = false;
    if (focus && ::IsWindow(focus)) ::SetFocus(focus);
    if (previewDecode_ && previewDecode_->Finished()) PreviewDecoded(previewDecode_->Tag());
}

void TFormSelect::ViewChooseBox() {
    if (PreviewMode != 10 && PreviewMode != 30) return;
    int current = ListBox_GetCaretIndex(FileListBox1);
    if (ListBox_GetSelCount(FileListBox1) <= 0 || current < 0) {
        ShowNoFileSelected();
    } else {
        try {
            PreviewFile(JoinPath(FileListDirectory(), ListBoxText(FileListBox1, current)));
            SetNamePanelRed(CurrentCategory != CategoryWall &&
                            !HasBootScreenSize(PreviewPicture.width, PreviewPicture.height));
        } catch (const std::exception&) {
            ShowNoFileSelected();
        }
    }
    SetHint(PnlPreviewName, WindowText(PnlPreviewName));
}

void TFormSelect::ViewSelected() {
    SelectionListView& view = ViewForCategory(CurrentCategory);
    const SelectionList& entries = view.Entries();
    if (PreviewMode == 20 || PreviewMode == 30) {
        if (entries.SelectedCount() > 0) {
            int item = view.FocusedItem();
            size_t shown = item >= 0 && size_t(item) < entries.size() ? size_t(item) : entries.NextSelected().value_or(0);
            if (IsFolderEntry(entries.FileName(shown))) PreviewFolder(entries.Directory(shown), entries.FileName(shown));
            else PreviewFile(JoinPath(entries.Directory(shown), entries.FileName(shown)));
        }
        SetHint(PnlPreviewName, WindowText(PnlPreviewName));
        SetNamePanelRed(false);
    }
    // The style box follows the first selected wallpaper, without giving that style to anything.
    if (CurrentCategory == CategoryWall) {
        ListEventsEnabled = false;
        if (std::optional<size_t> first = entries.NextSelected())
            ComboBox_SetCurSel(CBStyle, int(entries.Style(*first)));
        ListEventsEnabled = true;
    }
}

// The file's own size, whatever the pane decoded; nothing when it shows no picture.
void TFormSelect::UpdateSizeHint() {
    SizeHint = PreviewPicture.Empty() ? std::string()
                                      : "Size : " + std::to_string(PreviewPicture.width) + " X " +
                                            std::to_string(PreviewPicture.height);
    SetHint(ImgPreview, SizeHint);
}

void TFormSelect::SetNamePanelRed(bool red) {
    if (red == namePanelRed_) return;
    namePanelRed_ = red;
    ::InvalidateRect(PnlPreviewName, nullptr, TRUE);
}

HBRUSH TFormSelect::NamePanelBrush(HDC dc) {
    if (!namePanelRed_) {
        ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
        return ::GetSysColorBrush(COLOR_BTNFACE);
    }
    if (!redBrush_) redBrush_ = BrushHandle(::CreateSolidBrush(RGB(255, 0, 0)));
    ::SetBkColor(dc, RGB(255, 0, 0));
    return redBrush_.get();
}

void TFormSelect::DrawPreviewImage(const DRAWITEMSTRUCT& draw) {
    ::FillRect(draw.hDC, &draw.rcItem, ::GetSysColorBrush(COLOR_BTNFACE));
    DrawPicture(draw.hDC, 0, 0, previewThumb_);
}

void TFormSelect::ImgPreviewDblClick() {
    WaitForPreview();
    if (PreviewShown())
        FormPreview().Show();
    else
        pnlPreviewDblClick();
}

// The list as the randomizer will deal it, its deck as the last run kept it: the folder's pictures in
// the order they would come, the first one that its category can use shown.
void TFormSelect::View1Click() {
    SelectionListView& view = ViewForCategory(CurrentCategory);
    const SelectionList& entries = view.Entries();
    const int focused = view.FocusedItem();
    std::optional<size_t> entry = focused >= 0 && size_t(focused) < entries.size() && entries.Selected(size_t(focused))
                                      ? std::optional<size_t>(size_t(focused))
                                      : entries.NextSelected();
    if (!entry || !IsFolderEntry(entries.FileName(*entry))) return ImgPreviewDblClick();

    HCURSOR cursor = ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
    const FileMask usable(UsableFilesMask(CurrentCategory));
    SystemFolderSource source;
    const ExpandedList dealt = ExpandFolderEntries(
        entries, source, nullptr, [&](std::string_view name) { return usable.Matches(name); },
        [](const std::string&) { return std::string(); });
    size_t folder = 0;
    for (size_t i = 0; i < *entry; ++i) folder += IsFolderEntry(entries.FileName(i));
    RegistryKey decks(env_, HKEY_CURRENT_USER, std::string(kSettingsKey) + "\\" + std::string(kDeckSection),
                      RegistryKey::Mode::Read);
    const DeckState state = ParseDeckText(decks.ReadString(std::string(DeckValueName(CurrentCategory))).value_or(""));
    std::optional<std::string> next;
    for (size_t i : FolderDealOrder(dealt, folder, state)) {
        const std::string path = JoinPath(dealt.entries.Directory(i), dealt.entries.FileName(i));
        DecodedPicture picture;
        if (LoadPictureFile(path, CurrentCategory, ShowRequest{}, picture) == kStatusOk && !picture.Empty() &&
            (CurrentCategory == CategoryWall || MeetsBootScreenConstraints(picture.picture))) {
            next = path;
            break;
        }
    }
    ::SetCursor(cursor);
    if (!next) {
        env_.ShowMessage(hwnd_, BoxKind::Information,
                         "The folder " + JoinPath(entries.Directory(*entry), entries.FileName(*entry)) +
                             " holds no picture that can be shown.",
                         MB_OK);
        return;
    }
    PreviewFile(*next);
    SetHint(PnlPreviewName, WindowText(PnlPreviewName));
    SetNamePanelRed(false);
    ImgPreviewDblClick();
}

void TFormSelect::pnlPreviewDblClick() {
    env_.ShowMessage(hwnd_, BoxKind::Information, "No Preview Available.\n\rSelect a file first.", MB_OK);
}

void TFormSelect::SizeClick() {
    WaitForPreview();
    env_.ShowMessage(BoxOwner(), BoxKind::Information,
                     "Size : " + std::to_string(PreviewPicture.width) + " X " + std::to_string(PreviewPicture.height) +
                         "\n\rBits per pixel : " + std::string(PixelFormatName(PreviewPicture.picture.format)) + "\n\r",
                     MB_OK);
}

void TFormSelect::PopMFileInfoPopup() {
    if (MenuItem* item = PopMFileInfo.Find(IDM_INFO_FILEINFO)) item->caption = SizeHint;
}

// The pane keeps what it shows until the next refresh that the new mode allows.
void TFormSelect::ChangePreviewOn(int menuId) {
    static constexpr std::pair<int, int> kModes[] = {
        {IDM_PREVIEWNONE, 0}, {IDM_PREVIEWCHOOSE, 10}, {IDM_PREVIEWSELECTED, 20}, {IDM_PREVIEWBOTH, 30}};
    for (auto [id, mode] : kModes) {
        SetMenuChecked(id, id == menuId);
        if (id == menuId) PreviewMode = mode;
    }
}

}  // namespace mx
