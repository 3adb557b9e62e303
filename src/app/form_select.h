#pragma once
// The main window: the four category buttons, the browser pane, the preview pane and the four
// selection lists. It owns the state that the program's commands share. Its handlers are defined in
// the folder of the subsystem they belong to, and are grouped here the same way.
#include <windows.h>
#include <commctrl.h>

#include <exception>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "lists/file_masks.h"
#include "lists/list_view.h"
#include "lists/selection_list.h"
#include "picture/layout_wallpaper.h"
#include "picture/picture.h"
#include "picture/shown_picture.h"
#include "platform/environment.h"
#include "platform/handles.h"
#include "platform/menu.h"
#include "platform/window.h"
#include "state/selection_file.h"

namespace mx {

class TFormPreview;
class TAboutBox;
class BackgroundDecode;
class SelectionFileReading;

class TFormSelect {
public:
    static constexpr const char* kDesignCaption = "Mosalux Selector";
    static constexpr const char* kHelpFile = "Mxhelp.hlp";

    explicit TFormSelect(Environment& env);
    ~TFormSelect();
    TFormSelect(const TFormSelect&) = delete;
    TFormSelect& operator=(const TFormSelect&) = delete;

    // Creates the window, hidden (FormCreate runs).
    bool Create();
    // Shows the window; the first time, the start-up sequence runs first (FormShow).
    void Show(int showCommand = SW_SHOWNORMAL);
    // Runs a keystroke through the window's shortcuts; true when it was one.
    bool TranslateShortcut(MSG& msg);
    // The message loop's test for dialog keys (Tab between controls).
    bool IsKeyboardMessage(MSG& msg);

    void SetCompanions(TFormPreview* preview, TAboutBox* about) { preview_ = preview; about_ = about; }

    HWND Handle() const { return hwnd_; }
    Environment& Env() const { return env_; }

    // Runs one piece of work; an error that ends it is shown in the program's error box, owned by
    // `owner` or else by this window. False when it ended so.
    template <class Work>
    bool ReportingErrors(Work&& work, HWND owner = nullptr) {
        try {
            work();
            return true;
        } catch (const std::bad_alloc&) {
            ReportError("Out of memory", owner);
        } catch (const std::exception& e) {
            ReportError(e.what(), owner);
        }
        return false;
    }

    // Shared state.
    std::string VersionText;
    std::string ProgramDir;
    std::string DataFileName;
    bool DataFileUnread = false;  // the selection file was there at start but could not be read
    bool ListEventsEnabled = false;
    bool UnsavedChanges = false;
    bool Uninstalled = false;
    bool UninstallMode = false;
    bool QuitOnDestroy = false;  // the process's main window ends the message loop
    int CurrentCategory = 10;
    int PreviewMode = 0;  // 0 none, 10 chosen files, 20 selected entries, 30 both
    std::string StartDir, WaitDir, ShutDir, WallDir;
    // The four lists, which the list views show: start-up, waiting, shut-down, wallpaper.
    SelectionLists Lists;

    // Controls, named as in the window's layout.
    HWND sbtnStart = nullptr, sbtnWait = nullptr, sbtnShut = nullptr, sbtnWall = nullptr;
    HWND Label3 = nullptr, Label2 = nullptr, Label4 = nullptr, Label5 = nullptr, Label6 = nullptr;
    HWND Label1 = nullptr, LblNumber = nullptr, LblStyle = nullptr;
    HWND DriveComboBox1 = nullptr, DirectoryListBox1 = nullptr, FileListBox1 = nullptr,
         FilterComboBox1 = nullptr;
    HWND pnlPreview = nullptr, PnlPreviewName = nullptr, ImgPreview = nullptr;
    HWND BtnAdd = nullptr, BtnAddFolder = nullptr, btnRemove = nullptr;
    HWND CBStyle = nullptr, chkbStartUpRun = nullptr;
    HWND Bevel1 = nullptr, Splitter1 = nullptr, Splitter4 = nullptr, PnlExtend = nullptr;
    // A category's list view is made when the category is first shown or its list first needed.
    HWND ListStart = nullptr, ListWait = nullptr, ListShut = nullptr, ListWall = nullptr;
    HWND Tooltips = nullptr;
    HMENU MainMenu1 = nullptr;
    PopupMenu PopMFile, PopMSelected, PopMFileInfo;

    // Application shell (src/app/form_select.cpp).
    void FormCreate();
    void FormShow();
    void FormActivate();
    void FormClose();
    void FormDestroy();
    void Close1Click();

    // Window commands: help, about box, tall window, pop-up menus (src/app/window_commands.cpp).
    void Help2Click();
    void About1Click();
    void PnlExtendClick();
    void FormResize();
    // Lets the platform's maximise keep the normal width (WM_GETMINMAXINFO).
    void FormGetMinMaxInfo(MINMAXINFO& info);
    // Opens the control's pop-up menu; a point of -1, -1 comes from the keyboard.
    void OpenContextMenu(HWND control, POINT screenPoint);
    // Shows `text` as the control's tooltip; empty text takes the tooltip away.
    void SetHint(HWND control, const std::string& text);
    // The application's about box, or one made on first use when there is none.
    TAboutBox& AboutBox();

    // Selection file (src/state/selection_file_win.cpp).
    // Starts reading the file on a thread of its own while the window is made; LoadSelectionFile
    // takes what it read.
    void StartReadingSelectionFile();
    void LoadSelectionFile();
    void SaveToFile();
    bool FormCloseQuery();
    void ReportCreateError(DWORD code);

    // Settings and the first start's backup (src/state/settings.cpp).
    void LoadSettings();
    void SaveSettings();
    // The Windows directory as the system reports it, the same with a backslash at its end, and the
    // system file of a boot-screen category there (empty for the wallpaper or an unknown directory).
    std::string GetWindowsDir() const;
    std::string WindowsDir() const;
    std::string BootScreenPath(int category) const;
    bool MenuChecked(int id) const;
    void SetMenuChecked(int id, bool checked);

    // Categories and lists (src/lists/categories.cpp).
    // The category's list view, made now if it is not yet.
    HWND ListForCategory(int category);
    // The list view of a category, or of one of the four list views' handles, with its list.
    SelectionListView& ViewForCategory(int category);
    SelectionListView& ViewOf(HWND list);
    void Change_Screen_Button(HWND sender);
    // Puts the button down, the others up, and switches to its category, as a click on it does.
    void PressCategoryButton(HWND button);
    void SetButtonActive(HWND button);
    void SetButtonInactive(HWND button);
    bool IsButtonActive(HWND button) const;
    COLORREF ButtonTextColor(HWND button) const;
    void CBStyleChange();
    void LstVSelectedChange();
    void RefreshCount();
    // Adds an entry to a list at its sorted place, as a change report of the list.
    void AddEntry(HWND list, const SelectionEntry& entry);

    // Adding, removing and selecting entries (src/lists/adding.cpp).
    void BtnAddClick();
    void AddChosenFile(int index);
    // Adds the browser's directory as one entry, with its subfolders or without, as a question asks.
    void BtnAddFolderClick();
    void btnRemoveClick();
    void btnAllFilesClick();
    void BtnInvFilesClick();
    void btnAllSelectClick();
    void btnInvSelectClick();
    void Findfile1Click();
    void PopMSelectedPopup();
    void ChangeErrorReport();
    // Keys in a list: Delete removes the selected entries, Ctrl+A selects them all.
    void LstVKeyDown(WORD key);
    // A list that gets the focus shows which row has it.
    void LstVEnter(HWND list);

    // File browser (src/lists/browser.cpp).
    void CreateBrowser();
    void SetFilterText(std::string_view filter);
    void DirectoryListBox1Change();
    // A character typed in the directory list (WM_CHAR): the folder whose name starts with what was
    // typed is chosen. 0 starts a new name.
    void DirectoryListBox1KeyPress(WPARAM character);
    void FilterComboBox1Change();
    void Refresh1Click();
    // Moves the browser to a directory; false (and nothing changed) when it cannot be opened, which
    // an error box reports unless `reportErrors` is false.
    bool ApplyFilePath(const std::string& path, bool reportErrors = true);
    // The file list's directory: no trailing backslash, except at a drive root ("C:\").
    const std::string& FileListDirectory() const { return fileListDir_; }
    // A name of the file list, as it shows it.
    std::string FileListName(int index) const;
    // The file list's mask: wildcard patterns separated by ";".
    const std::string& FileListMask() const { return fileListMask_.Text(); }
    std::string FilterText;

    // Preview pane (src/picture/preview_pane.cpp).
    // The one current picture: what the pane shows, decoded for the pane (its size is the file's own).
    DecodedPicture PreviewPicture;
    std::string SizeHint;    // "Size : <width> X <height>", the picture's tooltip; empty when none is shown
    void ViewChooseBox();
    void ViewSelected();
    // "View" of the list's pop-up menu: the full-screen preview of the entry shown, or for a folder
    // entry of the picture the randomizer's next deal would give from it.
    void View1Click();
    void UpdateSizeHint();
    bool PreviewShown() const;
    // The window a command's message box belongs to: the full-screen preview while it is shown.
    HWND BoxOwner() const;
    // The application's preview window, or one made on first use when there is none.
    TFormPreview& FormPreview();
    void ImgPreviewDblClick();
    void pnlPreviewDblClick();
    void SizeClick();
    void PopMFileInfoPopup();
    void ChangePreviewOn(int menuId);
    // A picture that only the system's decoders read reaches the pane in this message, its wParam
    // the request's tag, after the click that chose it has long returned.
    static constexpr UINT kPreviewDecoded = WM_APP + 1;
    void PreviewDecoded(WPARAM tag);
    // Whether the pane is still waiting for such a picture.
    bool PreviewDecoding() const { return previewDecode_ != nullptr; }
    // The commands that work on the pane's picture wait for one still coming: the windows keep
    // painting and answering meanwhile, but take no input until it is there or never will be.
    void WaitForPreview();

    // Applying pictures to the system (src/system).
    void SetascurrentScreen1Click();
    void Setascurrentwallpaper1Click();
    // How the wallpaper covers several monitors: the Options menu's three ways, kept in the settings.
    MonitorCover WallpaperMonitors = MonitorCover::Same;
    void ChangeMonitorCover(int menuId);
    // Makes the pane's picture the wallpaper of every monitor by the chosen way: `shown` is what the
    // full-screen preview shows, rendered for monitor `monitor`, or null from the main window, which
    // is on that monitor. In "A Picture for Each Monitor" only that monitor's part changes.
    void SetWallpaperOnMonitors(const Rendering* shown, size_t monitor);
    // The monitor the main window is on, of the system's layout.
    size_t MainWindowMonitor(const MonitorLayout& layout) const;
    void OriginalScreens1Click();
    void Uninstall2Click();
    // The sender is the check box or, for the menu item, null.
    void Runrandomizeratstartup1Click(HWND sender);
    // When the randomizer changes the wallpaper (src/system/wallpaper_changes.cpp): now, every so
    // often, at unlock. The menu shows the settings as they are kept, which the randomizer's icon
    // menu changes too.
    void NextWallpaperNow1Click();
    void ChangeWallpaperEvery(int menuId);
    void AlsoWhenUnlocked1Click();
    void ShowChangeSettings();

private:
    template <class T>
    friend LRESULT CALLBACK WindowProcedure(HWND, UINT, WPARAM, LPARAM);

    LRESULT Dispatch(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    void OnCommand(int id, int code, HWND control);
    // The browser's own notifications (drive box, directory list); true when handled.
    bool OnBrowserCommand(int id, int code);
    LRESULT OnNotify(const NMHDR& header);
    bool OnClose();
    // The control that has the focus while the window is not active, and back when it is.
    void KeepFocus();
    void RestoreFocus();
    void NextControl(WPARAM target, bool isControl);
    void ReportError(const std::string& text, HWND owner = nullptr);

    void CreateControls();
    void CreateFonts(int dpi);
    void PlaceControls(bool create = false);
    void FormDpiChanged(int dpi, const RECT& suggested);
    void BindListViews();
    HWND MakeListView(HWND TFormSelect::*field, SelectionListView& view);
    RECT ListPlace() const;
    LRESULT DrawCategoryButton(const NMCUSTOMDRAW& draw);
    void LayoutLowerPart();
    int Scale(int pixels) const;

    Environment& env_;
    HWND hwnd_ = nullptr;
    TFormPreview* preview_ = nullptr;
    TAboutBox* about_ = nullptr;
    bool shown_ = false;
    HWND lastFocus_ = nullptr;
    SelectionListView listViews_[4];  // ListStart, ListWait, ListShut, ListWall
    class AddingFiles;
    AddingFiles* addingFiles_ = nullptr;  // while "Add Chosen Files" runs
    int dpi_ = 96;
    FontHandle font_;
    FontHandle buttonFontRegular_, buttonFontBold_;
    AccelHandle accelerators_;
    std::unique_ptr<SelectionFileReading> fileReading_;

    // Settings.
    void MakeFirstRunBackup(class SettingsStore& store);
    // Sets the start-up check box as the program; a change of its state counts as a click on it.
    void SetStartUpRunChecked(bool checked);
    // Starts the randomizer that stays running, or tells the one that runs, after the settings that
    // keep it running changed; ends it when it is no longer to start at log-on.
    void FollowRandomizerSettings();

    // File browser.
    void DriveComboBox1Change();
    void OpenDirectoryRow(int row);
    void ChooseFilter(int index);
    void FitFilterDropDown();
    enum class BrowseReport { All, NoErrorBox, Nothing };
    bool BrowseTo(const std::string& path, bool rereadSameDirectory, BrowseReport report = BrowseReport::All);
    void ShowDrive(const std::string& dir);
    void ReadFileList();
    std::string fileListDir_;
    FileMask fileListMask_;
    std::vector<std::string> fileListNames_;  // the file list's names, as it was filled
    std::vector<std::string> filterMasks_;    // the mask of each description in the filter box
    std::vector<std::string> directoryRows_;  // the full path of each row of the directory list
    std::string driveDirs_[26];               // the directory last shown on each drive, A: to Z:
    std::string typedName_;                   // the letters typed in the directory list so far
    ULONGLONG typedAt_ = 0;                   // when the last of them was typed
    wchar_t typedHalf_ = 0;                   // the first half of a character typed as two

    // Preview pane.
    void ShowPreviewImage(bool visible);
    void ShowNoFileSelected();
    // Loads a file into the pane's picture unless the pane already holds it.
    void PreviewFile(const std::string& path);
    // Shows a folder entry: no picture, the folder's path and how many pictures it holds now.
    void PreviewFolder(const std::string& directory, std::string_view name);
    // The name in lines of its own (a folder's), or on one line shortened in its middle (a file's).
    void SetNamePanelLines(bool lines);
    void SetNamePanelRed(bool red);
    void DrawPreviewImage(const DRAWITEMSTRUCT& draw);
    HBRUSH NamePanelBrush(HDC dc);
    void ShowThumbnail();
    Picture previewThumb_;  // the picture scaled to the pane's image
    std::unique_ptr<BackgroundDecode> previewDecode_;  // the pane's picture still coming
    WPARAM previewDecodeTag_ = 0;
    bool waitingForPreview_ = false;
    bool namePanelRed_ = false;
    bool namePanelLines_ = false;
    std::string previewFolder_;  // the folder entry the name panel counts, so that a click does not list it again
    BrushHandle redBrush_;
    std::unique_ptr<TFormPreview> ownPreview_;

    // Window commands.
    std::unique_ptr<TAboutBox> ownAbout_;
    int normalWidth_ = 0;       // window width while not maximised; 0 until the first resize
    bool extending_ = false;    // the bottom strip is maximising: keep the left position
    int extendLeft_ = 0;
};

}  // namespace mx
