#pragma once
// The program's text and the system's other encodings. The program holds its text in the system's
// 8-bit code page, which its manifests make UTF-8 (older systems keep their own); the wide calls take
// UTF-16, and the files the program writes are UTF-8.
#include <windows.h>

#include <string>
#include <string_view>

namespace mx {

std::wstring Widen(std::string_view text);
std::string Narrow(std::wstring_view text);

// The program's text as UTF-8, to be written to a file.
std::string Utf8OfText(std::string_view text);
// The text of a file: UTF-8 when it is well-formed UTF-8, otherwise in `eightBitCodePage`, which
// earlier versions wrote in.
std::string TextOfFile(std::string_view bytes, UINT eightBitCodePage);

}  // namespace mx
