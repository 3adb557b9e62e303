// The DLLs the randomizer imports: each one is loaded at every log-on, before it does anything.
#include <algorithm>
#include <cstring>

#include "picture/reader_util.h"
#include "sandbox.h"

namespace mx::test {
namespace {

// The names in a 64-bit program's import directory, read from its file.
std::vector<std::string> ImportedDlls(const std::string& path) {
    std::vector<uint8_t> file;
    if (ReadFileBytes(path, file) != kStatusOk || file.size() < sizeof(IMAGE_DOS_HEADER)) return {};
    auto at = [&](size_t offset, size_t size) { return offset + size <= file.size() ? file.data() + offset : nullptr; };
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(file.data());
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(at(size_t(dos->e_lfanew), sizeof(IMAGE_NT_HEADERS64)));
    if (!nt || nt->Signature != IMAGE_NT_SIGNATURE) return {};
    const auto* sections = reinterpret_cast<const IMAGE_SECTION_HEADER*>(
        at(size_t(dos->e_lfanew) + offsetof(IMAGE_NT_HEADERS64, OptionalHeader) + nt->FileHeader.SizeOfOptionalHeader,
           sizeof(IMAGE_SECTION_HEADER) * nt->FileHeader.NumberOfSections));
    auto offsetOf = [&](DWORD rva) -> size_t {
        for (WORD i = 0; sections && i < nt->FileHeader.NumberOfSections; ++i)
            if (rva >= sections[i].VirtualAddress && rva < sections[i].VirtualAddress + sections[i].SizeOfRawData)
                return rva - sections[i].VirtualAddress + sections[i].PointerToRawData;
        return file.size();
    };
    std::vector<std::string> names;
    size_t entry = offsetOf(nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
    for (const uint8_t* p; (p = at(entry, sizeof(IMAGE_IMPORT_DESCRIPTOR))); entry += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        const auto* import = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(p);
        if (import->Name == 0) break;
        const size_t name = offsetOf(import->Name);
        if (!at(name, 1)) break;
        names.emplace_back(reinterpret_cast<const char*>(file.data() + name),
                           strnlen(reinterpret_cast<const char*>(file.data() + name), file.size() - name));
        for (char& c : names.back()) c = char(std::tolower(static_cast<unsigned char>(c)));
    }
    return names;
}

TEST(RandomizerImports, NoCommonControlsAtLogOn) {
    std::string path = MX_RANDOMIZER_EXE;
    if (path[0] == '/') path = "Z:" + path;
    const std::vector<std::string> dlls = ImportedDlls(path);
    EXPECT_NE(std::find(dlls.begin(), dlls.end(), "user32.dll"), dlls.end());
    EXPECT_EQ(std::find(dlls.begin(), dlls.end(), "comctl32.dll"), dlls.end());
}

}  // namespace
}  // namespace mx::test
