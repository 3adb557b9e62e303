// Loading the four lists from MXDATA.MXD at start-up, saving them, and the save prompt at exit.
#include "app/form_select.h"
#include "lists/list_view.h"
#include "platform/file_replacement.h"
#include "platform/handles.h"

namespace mx {

namespace {

// The whole file, or nothing when it cannot be opened. `readFailed` tells of a read that broke off.
bool ReadWholeFile(const std::string& path, std::string& text, bool& readFailed) {
    FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return false;
    readFailed = false;
    char buffer[64 * 1024];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) {
            readFailed = true;
            return true;
        }
        if (got == 0) return true;
        text.append(buffer, got);
    }
}

}  // namespace

void TFormSelect::LoadSelectionFile() {
    DataFileName = kDataFileName;
    std::string text;
    bool readFailed = false;
    if (ReadWholeFile(ProgramDir + DataFileName, text, readFailed)) {
        if (readFailed) env_.ShowMessage(hwnd_, BoxKind::Error, "Error Reading file", MB_OK);
        SelectionLists lists;
        ParseSelectionFile(text, ProgramDir, lists);
        text = std::string();
        HWND views[] = {ListStart, ListWait, ListShut, ListWall};
        for (size_t s = 0; s < lists.size(); ++s) AddEntries(views[s], std::move(lists[s]));
    }
    FillStyleColumn(ListWall);
}

void TFormSelect::WriteListEntries(SelectionFileWriter& writer, HWND list, bool withStyle) {
    for (int i = 0, n = ItemCount(list); i < n; ++i) {
        SelectionEntry e = EntryAt(list, i, withStyle);
        writer.AddEntry(e.directory, e.fileName, e.style, withStyle);
    }
}

// The new text goes to a temporary file beside the selection file, which then takes its place in
// one step: a failure at any point leaves the previous file as it was.
void TFormSelect::SaveToFile() {
    SelectionFileWriter writer;
    HWND views[] = {ListStart, ListWait, ListShut, ListWall};
    for (size_t s = 0; s < 4; ++s) {
        writer.BeginSection(s);
        WriteListEntries(writer, views[s], s == kWallpaperSection);
    }
    const std::string& text = writer.Text();

    FileReplacement file(ProgramDir + DataFileName);
    if (!file.Create()) return ReportCreateError(file.Error());
    if (!env_.WriteToFile(file.Handle(), text.data(), DWORD(text.size())) || !::FlushFileBuffers(file.Handle())) {
        env_.ShowMessage(hwnd_, BoxKind::Error, "Error writing to file", MB_OK);
        return;
    }
    // The file itself cannot be made (a folder or a read-only file of its name): the new text
    // could not be put in its place.
    if (!file.Commit()) return ReportCreateError(file.Error());
    UnsavedChanges = false;
}

void TFormSelect::ReportCreateError(DWORD code) {
    env_.ShowMessage(hwnd_, BoxKind::Error, "Error " + std::to_string(code) + " creating file", MB_OK);
}

bool TFormSelect::FormCloseQuery() {
    ListEventsEnabled = false;
    bool allow = true;
    if (UnsavedChanges) {
        switch (env_.ShowMessage(hwnd_, BoxKind::Confirmation, "Changes not saved!\n\rSave before exit?",
                                 MB_YESNOCANCEL)) {
        case IDYES:
            SaveToFile();
            // A failed save has said why; closing now would lose what the user asked to keep.
            allow = !UnsavedChanges;
            break;
        case IDNO: break;
        default: allow = false; break;
        }
    }
    ListEventsEnabled = true;
    return allow;
}

}  // namespace mx
