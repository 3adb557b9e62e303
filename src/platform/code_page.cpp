#include "platform/code_page.h"

#include "platform/text.h"

namespace mx {

namespace {

std::wstring WideFrom(UINT codePage, std::string_view text) {
    if (text.empty()) return {};
    int n = ::MultiByteToWideChar(codePage, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(size_t(n > 0 ? n : 0), L'\0');
    if (n > 0) ::MultiByteToWideChar(codePage, 0, text.data(), int(text.size()), wide.data(), n);
    return wide;
}

std::string NarrowTo(UINT codePage, std::wstring_view text) {
    if (text.empty()) return {};
    int n = ::WideCharToMultiByte(codePage, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(size_t(n > 0 ? n : 0), '\0');
    if (n > 0) ::WideCharToMultiByte(codePage, 0, text.data(), int(text.size()), narrow.data(), n, nullptr, nullptr);
    return narrow;
}

bool TextIsUtf8() { return ::GetACP() == CP_UTF8; }

}  // namespace

std::wstring Widen(std::string_view text) { return WideFrom(CP_ACP, text); }
std::string Narrow(std::wstring_view text) { return NarrowTo(CP_ACP, text); }

std::string_view Utf8Of(std::string_view text, std::string& converted) {
    if (TextIsUtf8()) return text;
    converted = NarrowTo(CP_UTF8, Widen(text));
    return converted;
}

void MakeTextOfFile(std::string& bytes, UINT eightBitCodePage) {
    if (!IsValidUtf8(bytes)) bytes = Narrow(WideFrom(eightBitCodePage, bytes));
    else if (!TextIsUtf8()) bytes = Narrow(WideFrom(CP_UTF8, bytes));
}

}  // namespace mx
