#include "platform/file_replacement.h"

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <atomic>

#include "platform/mix.h"
#include "platform/text.h"

namespace mx {

namespace {

std::atomic<unsigned> writeCount{0};

// A temporary name is "~", the start of the file's name, and this many characters that tell the
// writes apart (30 bits in lower-case letters and digits, the same in any case).
constexpr size_t kUniqueChars = 6;
constexpr std::string_view kUniqueDigits = "0123456789abcdefghijklmnopqrstuv";

size_t NameStart(const std::string& path) {
    size_t slash = path.find_last_of("\\/:");
    return slash == std::string::npos ? 0 : slash + 1;
}

// The part of the file's name that its temporary names begin with, after the "~".
std::string KeptPart(const std::string& targetName) {
    const size_t room = targetName.size() > kUniqueChars + 1 ? targetName.size() - kUniqueChars - 1 : 0;
    return targetName.substr(0, room);
}

// A path's length as the system counts it against its limit: in UTF-16 units.
size_t SystemLength(const std::string& path) {
    return size_t(::MultiByteToWideChar(CP_ACP, 0, path.data(), int(path.size()), nullptr, 0));
}

}  // namespace

FileReplacement::FileReplacement(std::string target) : target_(std::move(target)) {}

FileReplacement::~FileReplacement() {
    file_.reset();
    if (!temporary_.empty()) ::DeleteFileA(temporary_.c_str());
}

bool FileReplacement::IsTemporaryName(const std::string& name, const std::string& targetName) {
    const std::string kept = "~" + KeptPart(targetName);
    if (name.size() == kept.size() + kUniqueChars && EqualsIgnoreCase(name.substr(0, kept.size()), kept))
        return name.find_first_not_of(kUniqueDigits, kept.size()) == std::string::npos;
    const std::string earlier = "~" + targetName + ".";
    return name.size() > earlier.size() + 4 && EqualsIgnoreCase(name.substr(0, earlier.size()), earlier) &&
           EqualsIgnoreCase(name.substr(name.size() - 4), ".tmp");
}

void FileReplacement::RemoveLeftovers(const std::string& target) {
    const std::string dir = target.substr(0, NameStart(target)), name = target.substr(NameStart(target));
    WIN32_FIND_DATAA found{};
    FindHandle search(::FindFirstFileA((dir + "~" + KeptPart(name) + "*").c_str(), &found));
    if (!search) return;
    do {
        // A file still open in a write of another process cannot be deleted, and stays.
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsTemporaryName(found.cFileName, name))
            ::DeleteFileA((dir + found.cFileName).c_str());
    } while (::FindNextFileA(search.get(), &found));
}

bool FileReplacement::Create() {
    RemoveLeftovers(target_);
    const std::string stem = target_.substr(0, NameStart(target_)) + "~" + KeptPart(target_.substr(NameStart(target_)));
    // Only the temporary name of a file named shorter than it can pass the system's limit where the
    // file itself would not: that write is refused as the system refuses a name too long.
    if (SystemLength(stem) + kUniqueChars > std::max<size_t>(SystemLength(target_), MAX_PATH - 1)) {
        error_ = ERROR_FILENAME_EXCED_RANGE;
        return false;
    }
    // The name holds the process and the write, mixed; something else of that name (a folder, a file
    // an earlier process left, another process's write) only moves the write on to the next number.
    for (int attempt = 0; attempt < 64; ++attempt) {
        uint64_t unique = Mix64((uint64_t(::GetCurrentProcessId()) << 32) | writeCount++);
        std::string name = stem;
        for (size_t i = 0; i < kUniqueChars; ++i, unique >>= 5) name += kUniqueDigits[unique & 31];
        file_.reset(::CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file_) {
            temporary_ = std::move(name);
            return true;
        }
        error_ = ::GetLastError();
        if (error_ != ERROR_FILE_EXISTS && error_ != ERROR_ALREADY_EXISTS && error_ != ERROR_ACCESS_DENIED) break;
    }
    return false;
}

std::FILE* FileReplacement::TakeStream() {
    int descriptor = ::_open_osfhandle(reinterpret_cast<intptr_t>(file_.get()), _O_BINARY | _O_WRONLY);
    if (descriptor == -1) return nullptr;
    file_.release();
    std::FILE* stream = ::_fdopen(descriptor, "wb");
    if (!stream) ::_close(descriptor);
    return stream;
}

bool FileReplacement::Commit() {
    file_.reset();
    if (!::MoveFileExA(temporary_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error_ = ::GetLastError();
        return false;
    }
    temporary_.clear();
    return true;
}

}  // namespace mx
