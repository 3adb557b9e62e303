// Loading the four lists from MXDATA.MXD at start-up, saving them, and the save prompt at exit.
#include "app/form_select.h"
#include "lists/list_view.h"
#include "platform/code_page.h"
#include "platform/file_reading.h"
#include "platform/file_replacement.h"

namespace mx {

void TFormSelect::LoadSelectionFile() {
    DataFileName = kDataFileName;
    const std::string path = ProgramDir + DataFileName;
    std::string text;
    const FileRead read = ReadWholeFile(path, text);
    // A file that is there but cannot be read is said so, and kept from being replaced unseen by
    // lists that did not all come from it.
    if (const DWORD error = read.Missing() ? 0 : read.openError ? read.openError : read.readError) {
        DataFileUnread = true;
        env_.ShowMessage(hwnd_, BoxKind::Error,
                         (read.openError ? "Error " + std::to_string(error) + " opening file" : "Error Reading file") +
                             "\n\r" + path + ": " + SystemErrorText(error) +
                             "\n\r\n\rThe lists are shown as far as they could be read, and Save will ask before "
                             "it replaces the file.",
                         MB_OK);
    }
    if (!read.openError) {
        MakeTextOfFile(text, env_.EightBitCodePage());
        ParseSelectionFile(text, ProgramDir, Lists);
        text = std::string();
    }
    for (SelectionListView& view : listViews_) view.Reload();
    RefreshCount();
}

// The new text goes to a temporary file beside the selection file, which then takes its place in
// one step: a failure at any point leaves the previous file as it was.
void TFormSelect::SaveToFile() {
    if (DataFileUnread && env_.ShowMessage(hwnd_, BoxKind::Confirmation,
                                           "The selection file could not be read at start-up:\n\r" + ProgramDir +
                                               DataFileName + "\n\r\n\rReplace it with the lists shown here?",
                                           MB_YESNO | MB_DEFBUTTON2) != IDYES)
        return;
    for (SelectionListView& view : listViews_) view.EnsureSorted();
    FileReplacement file(ProgramDir + DataFileName);
    if (!file.Create()) return ReportCreateError(file.Error());
    std::string converted;
    bool written = WriteSelectionFile(Lists, [&](std::string_view part) {
        part = Utf8Of(part, converted);
        return env_.WriteToFile(file.Handle(), part.data(), DWORD(part.size()));
    });
    if (!written || !::FlushFileBuffers(file.Handle())) {
        env_.ShowMessage(hwnd_, BoxKind::Error, "Error writing to file", MB_OK);
        return;
    }
    // The file itself cannot be made (a folder or a read-only file of its name): the new text
    // could not be put in its place.
    if (!file.Commit()) return ReportCreateError(file.Error());
    UnsavedChanges = false;
    DataFileUnread = false;
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
