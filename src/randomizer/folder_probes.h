#pragma once
// Whether the folders the entries lie in can be read at all, asked once per folder root ("C:\",
// "\\server\share\") before any entry is read: a network share not yet connected at log-on may take
// tens of seconds to answer, and must hold up the whole run by a few seconds at most, however many
// entries lie on it. A drive of the machine's own fixed disks is never asked; any other drive is
// asked at once by a thread of its own. Shares are asked by threads, at once up to a number of
// threads, and past it as threads come free; while the run waits for an answer and no thread has
// answered for a short while, a thread is added for the next share waiting (the one the run waits for
// first), so that no root is ever left unasked behind shares that do not answer. A root that has not
// answered by the common deadline counts as silent, and the thread asking it finishes alone later.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

namespace mx {

class FolderProbes {
public:
    enum class Answer { Present, Missing, Silent };
    // Asks for a folder's attributes as GetFileAttributesA does, on the asking threads.
    using Question = std::function<DWORD(const std::string& folder)>;

    // The deadline for every answer is `waitMs` from now; at first at most `threads` shares are
    // asked at once.
    FolderProbes(DWORD waitMs, size_t threads, Question question);
    ~FolderProbes();
    FolderProbes(const FolderProbes&) = delete;
    FolderProbes& operator=(const FolderProbes&) = delete;

    // Asks about `root` soon, unless it has been asked about already; empty text is no root.
    void Start(const std::string& root);
    // The answer about `root`, waiting for it until the deadline. An empty root is present.
    Answer Ask(const std::string& root);

private:
    struct Shared;
    // Starts a thread that asks about `root`, and then about the roots still waiting; called with
    // the shared lock held.
    void Launch(const std::string& root);

    std::shared_ptr<Shared> shared_;
    ULONGLONG deadline_;
    size_t threads_;
};

}  // namespace mx
