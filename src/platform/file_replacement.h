#pragma once
// Writing a file so that it is never seen half made: the new contents go to a temporary file in the
// same directory, under a name no other write has used, which then takes the file's place in one
// step. So nothing an earlier run left behind (a folder or a read-only file of that name) can block
// a write, and two writers at once never share a temporary file. What earlier writes of the same
// file left when they were killed is removed first, unless another process still holds it open.
// A temporary name is no longer than the file's own name (for names of seven characters or more),
// so that it can be made wherever the file itself can: in a directory whose path is near the
// system's limit of 260 characters too.
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/handles.h"

namespace mx {

class FileReplacement {
public:
    explicit FileReplacement(std::string target);
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Creates the temporary file, open for writing; false with the system's error code in Error().
    bool Create();
    HANDLE Handle() const { return file_.get(); }
    // The open temporary file as a C stream, which then owns it and must be closed before Commit.
    std::FILE* TakeStream();
    // Moves the temporary file over the target; false with the system's error code in Error(), and
    // the temporary file is removed.
    bool Commit();
    DWORD Error() const { return error_; }

    // Whether `name` (without a directory) is the name of a temporary file of a write of the file
    // named `targetName`, of this version ("~MXD" and six letters or digits for "MXDATA.MXD") or of
    // earlier ones ("~MXDATA.MXD.1c-0.tmp").
    static bool IsTemporaryName(const std::string& name, const std::string& targetName);
    // Removes the temporary files that writes of `target` left and no process holds open.
    static void RemoveLeftovers(const std::string& target);

private:
    std::string target_;
    std::string temporary_;
    FileHandle file_;
    DWORD error_ = 0;
};

}  // namespace mx
