#include "state/settings_values.h"

#include <charconv>
#include <cstdint>

#include "lists/categories.h"
#include "platform/text.h"

namespace mx {

namespace {

std::optional<int> ParseInteger(std::string_view text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        std::uint32_t bits = 0;
        std::string_view digits = text.substr(2);
        auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), bits, 16);
        if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
        return static_cast<int>(static_cast<std::int32_t>(bits));
    }
    bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) text.remove_prefix(1);
    std::uint32_t magnitude = 0;  // an unsigned read takes no second sign
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude, 10);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (magnitude > (negative ? 2147483648u : 2147483647u)) return std::nullopt;
    return negative ? static_cast<int>(-static_cast<std::int64_t>(magnitude)) : static_cast<int>(magnitude);
}

}  // namespace

int ReadIntegerValue(const std::optional<std::string>& text, int defaultValue) {
    if (!text) return defaultValue;
    return ParseInteger(*text).value_or(defaultValue);
}

bool ReadBooleanValue(const std::optional<std::string>& text, bool defaultValue) {
    return ReadIntegerValue(text, defaultValue ? 1 : 0) != 0;
}

std::string IntegerText(int value) { return std::to_string(value); }

int PreviewModeOf(int stored) { return stored == 0 || stored == 10 || stored == 20 ? stored : 30; }

bool CanBeDirectory(std::string_view text) {
    if (Utf16Length(text) > kLongestPath) return false;
    for (char c : text)
        if (static_cast<unsigned char>(c) < 32 || std::string_view("<>\"|?*").find(c) != std::string_view::npos)
            return false;
    return true;
}

int CategoryFromText(std::string_view text) {
    std::optional<int> code = ParseInteger(text);
    return code && IsScreenCategory(*code) ? *code : CategoryStart;
}

std::string QuotedCommand(std::string_view path) { return "\"" + std::string(path) + "\""; }

std::string RandomizerCommand(std::string_view programDir) {
    return QuotedCommand(std::string(programDir) + std::string(kRandomizerFile));
}

bool NamesRandomizer(std::string_view runCommand) {
    if (runCommand.size() >= 2 && runCommand.front() == '"' && runCommand.back() == '"')
        runCommand = runCommand.substr(1, runCommand.size() - 2);
    if (runCommand.find('"') != std::string_view::npos) return false;
    size_t slash = runCommand.find_last_of("\\:");
    std::string_view name = slash == std::string_view::npos ? runCommand : runCommand.substr(slash + 1);
    return UpperAscii(name) == "MXRANDOM.EXE";
}

}  // namespace mx
