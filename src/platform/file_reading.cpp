#include "platform/file_reading.h"

#include <algorithm>

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
    // The bytes go straight into the text, the first read asking for the file's size and a byte more,
    // so that a file that keeps its size while it is read takes two reads and no copy.
    LARGE_INTEGER size{};
    const size_t expected = ::GetFileSizeEx(file.get(), &size) && size.QuadPart > 0 ? size_t(size.QuadPart) : 0;
    size_t used = text.size();
    text.resize(used + expected + 1);
    for (;;) {
        if (used == text.size()) text.resize(used + std::max<size_t>(used / 2, 64 * 1024));
        DWORD got = 0;
        const DWORD wanted = DWORD(std::min<size_t>(text.size() - used, 1u << 30));
        if (!::ReadFile(file.get(), text.data() + used, wanted, &got, nullptr)) {
            text.resize(used);
            result.readError = ::GetLastError();
            return result;
        }
        used += got;
        if (got == 0) {
            text.resize(used);
            return result;
        }
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
