#include "state/selection_file_reading.h"

#include "lists/list_view.h"
#include "platform/code_page.h"
#include "platform/file_reading.h"
#include "state/selection_file.h"

namespace mx {

namespace {

bool SameFile(const WIN32_FILE_ATTRIBUTE_DATA& a, const WIN32_FILE_ATTRIBUTE_DATA& b) {
    return a.nFileSizeHigh == b.nFileSizeHigh && a.nFileSizeLow == b.nFileSizeLow &&
           ::CompareFileTime(&a.ftLastWriteTime, &b.ftLastWriteTime) == 0;
}

}  // namespace

SelectionFileReading::SelectionFileReading(std::string path, std::string programDir, UINT eightBitCodePage,
                                           size_t inOrder, LCID locale)
    : path_(std::move(path)), programDir_(std::move(programDir)), eightBitCodePage_(eightBitCodePage),
      inOrder_(inOrder), locale_(locale), thread_([this] { Read(); }) {}

// The file's size and time are taken before it is read: a change while it is read shows as a
// difference afterwards.
void SelectionFileReading::Read() {
    if (!::GetFileAttributesExA(path_.c_str(), GetFileExInfoStandard, &stamp_)) return;
    std::string text;
    const FileRead read = ReadWholeFile(path_, text);
    if (read.openError || read.readError) return;
    MakeTextOfFile(text, eightBitCodePage_);
    ParseSelectionFile(text, programDir_, lists_);
    text = std::string();
    if (inOrder_ < lists_.size()) SortByCaption(lists_[inOrder_], locale_);
    whole_ = true;
}

std::optional<SelectionLists> SelectionFileReading::Take() {
    try {
        thread_.Join();
    } catch (...) {
        return std::nullopt;  // the caller's own reading reports what went wrong
    }
    WIN32_FILE_ATTRIBUTE_DATA now{};
    if (!whole_ || !::GetFileAttributesExA(path_.c_str(), GetFileExInfoStandard, &now) || !SameFile(stamp_, now))
        return std::nullopt;
    whole_ = false;
    return std::move(lists_);
}

}  // namespace mx
