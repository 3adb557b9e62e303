#include "platform/text.h"

#include <cstdint>
#include <cstring>

namespace mx {

std::string UpperAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = UpperAscii(c);
    return out;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

std::string WithTrailingBackslash(std::string_view dir) {
    std::string out(dir);
    if (out.empty() || out.back() != '\\') out += '\\';
    return out;
}

std::string JoinPath(std::string_view dir, std::string_view name) {
    std::string out = WithTrailingBackslash(dir);
    out += name;
    return out;
}

size_t CharacterBytes(std::string_view text, size_t pos) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned lead = byte(pos);
    size_t length = 0;
    unsigned low = 0x80, high = 0xBF;  // the range of the byte after the lead
    if (lead >= 0xC2 && lead <= 0xDF) length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;        // no overlong forms
        else if (lead == 0xED) high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        else if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
    }
    if (length == 0 || pos + length > text.size()) return 1;
    if (byte(pos + 1) < low || byte(pos + 1) > high) return 1;
    for (size_t i = 2; i < length; ++i)
        if ((byte(pos + i) & 0xC0) != 0x80) return 1;
    return length;
}

size_t CharacterStart(std::string_view text, size_t pos) {
    for (size_t back = 1; back <= 3 && back <= pos && pos < text.size(); ++back)
        if (CharacterBytes(text, pos - back) > back) return pos - back;
    return pos;
}

bool IsValidUtf8(std::string_view text) {
    for (size_t pos = 0; pos < text.size();) {
        // Eight ASCII bytes at a time, which is most of a file of paths.
        if (pos + 8 <= text.size()) {
            uint64_t eight = 0;
            std::memcpy(&eight, text.data() + pos, 8);
            if (!(eight & 0x8080808080808080u)) {
                pos += 8;
                continue;
            }
        }
        if (static_cast<unsigned char>(text[pos]) < 0x80) {
            ++pos;
            continue;
        }
        size_t length = CharacterBytes(text, pos);
        if (length == 1) return false;
        pos += length;
    }
    return true;
}

size_t Utf16Length(std::string_view text) {
    size_t units = 0;
    for (size_t pos = 0; pos < text.size();) {
        size_t length = CharacterBytes(text, pos);
        units += length == 4 ? 2 : 1;
        pos += length;
    }
    return units;
}

}  // namespace mx
