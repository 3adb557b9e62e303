#pragma once
// Reading a whole file, telling a file that is not there from one that cannot be opened or read,
// with the system's reason.
#include <windows.h>

#include <string>

namespace mx {

struct FileRead {
    DWORD openError = 0;  // the file could not be opened: the system's error code
    DWORD readError = 0;  // a read broke off: the system's error code; the text holds what came before it
    bool Missing() const { return openError == ERROR_FILE_NOT_FOUND || openError == ERROR_PATH_NOT_FOUND; }
};

// Appends the file's bytes to `text`.
FileRead ReadWholeFile(const std::string& path, std::string& text);

// The system's own words for an error code, on one line; "Error N" when it has none.
std::string SystemErrorText(DWORD code);

}  // namespace mx
