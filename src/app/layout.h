#pragma once
// Control identifiers of the main window (WM_COMMAND and WM_NOTIFY).
namespace mx {

enum ControlId : int {
    ID_sbtnStart = 1001,
    ID_sbtnWait,
    ID_sbtnShut,
    ID_sbtnWall,
    ID_DriveComboBox1,
    ID_DirectoryListBox1,
    ID_FileListBox1,
    ID_FilterComboBox1,
    ID_BtnAdd,
    ID_BtnAddFolder,
    ID_btnRemove,
    ID_chkbStartUpRun,
    ID_ListStart,
    ID_ListWait,
    ID_ListShut,
    ID_ListWall,
    ID_pnlPreview,
    ID_CBStyle,
    ID_PnlExtend,
    ID_PnlPreviewName,
    ID_ImgPreview,
    ID_Label,  // labels, bevel and splitters send nothing
};

// The fixed part of the layout, in pixels at 96 DPI.
inline constexpr int kClientWidth = 444;
inline constexpr int kClientHeight = 414;
inline constexpr int kBevelHeight = 291;
inline constexpr int kSplitterWidth = 4;
inline constexpr int kExtendHeight = 5;

}  // namespace mx
