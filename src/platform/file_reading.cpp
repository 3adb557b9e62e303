#include "platform/file_reading.h"

#include "platform/handles.h"

namespace mx {

FileRead ReadWholeFile(const std::string& path, std::string& text) {
    FileRead result;
    FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) {
        result.openError = ::GetLastError();
        return result;
    }
    char buffer[64 * 1024];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) {
            result.readError = ::GetLastError();
            return result;
        }
        if (got == 0) return result;
        text.append(buffer, got);
    }
}

std::string SystemErrorText(DWORD code) {
    char buffer[512] = {};
    DWORD length = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buffer,
                                    sizeof buffer, nullptr);
    std::string text(buffer, length);
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text.empty() ? "Error " + std::to_string(code) : text;
}

}  // namespace mx
