#include "platform/text.h"

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

}  // namespace mx
