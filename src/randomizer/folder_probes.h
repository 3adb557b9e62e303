#pragma once
// Whether the folders the entries lie in can be read at all, asked once per folder root ("C:\",
// "\\server\share\") before any entry is read: a network share not yet connected at log-on may take
// tens of seconds to answer, and must hold up the whole run by a few seconds at most, however many
// entries lie on it. A few threads ask the roots in turn, each its own; a root that has not answered
// by the common deadline counts as silent, and the thread asking it finishes alone later.
#include <windows.h>

#include <memory>
#include <string>

namespace mx {

class FolderProbes {
public:
    enum class Answer { Present, Missing, Silent };

    // The deadline for every answer is `waitMs` from now; at most `threads` roots are asked at once.
    FolderProbes(DWORD waitMs, size_t threads);
    ~FolderProbes();
    FolderProbes(const FolderProbes&) = delete;
    FolderProbes& operator=(const FolderProbes&) = delete;

    // Asks about `root` soon, unless it has been asked about already; empty text is no root.
    void Start(const std::string& root);
    // The answer about `root`, waiting for it until the deadline. An empty root is present.
    Answer Ask(const std::string& root);

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
    ULONGLONG deadline_;
    size_t threads_;
};

}  // namespace mx
