#include "platform/file_replacement.h"

#include <fcntl.h>
#include <io.h>

#include <atomic>

namespace mx {

namespace {

std::atomic<unsigned> writeCount{0};

std::string DirectoryOf(const std::string& path) {
    size_t slash = path.find_last_of("\\/:");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string Hex(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "%x", value);
    return text;
}

}  // namespace

FileReplacement::FileReplacement(std::string target) : target_(std::move(target)) {}

FileReplacement::~FileReplacement() {
    file_.reset();
    if (!temporary_.empty()) ::DeleteFileA(temporary_.c_str());
}

std::string FileReplacement::TemporaryPattern(const std::string& target) {
    size_t slash = target.find_last_of("\\/:");
    return DirectoryOf(target) + "~" + target.substr(slash == std::string::npos ? 0 : slash + 1) + ".*.tmp";
}

void FileReplacement::RemoveLeftovers(const std::string& target) {
    WIN32_FIND_DATAA found{};
    FindHandle search(::FindFirstFileA(TemporaryPattern(target).c_str(), &found));
    if (!search) return;
    const std::string dir = DirectoryOf(target);
    do {
        // A file still open in a write of another process cannot be deleted, and stays.
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ::DeleteFileA((dir + found.cFileName).c_str());
    } while (::FindNextFileA(search.get(), &found));
}

bool FileReplacement::Create() {
    RemoveLeftovers(target_);
    const std::string pattern = TemporaryPattern(target_);
    const std::string stem = pattern.substr(0, pattern.size() - 5) + Hex(::GetCurrentProcessId()) + "-";
    // The name holds the process and the write; something else of that name (a folder, a file an
    // earlier process of the same number left) only moves the write on to the next number.
    for (int attempt = 0; attempt < 64; ++attempt) {
        std::string name = stem + Hex(writeCount++) + ".tmp";
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
