#pragma once
// The selection file read and parsed on a thread of its own, started as the main window is made, so
// that a long list costs the start little more than making the window does.
#include <windows.h>

#include <optional>
#include <string>

#include "lists/selection_list.h"
#include "platform/joined_thread.h"

namespace mx {

class SelectionFileReading {
public:
    // Starts reading `path`; a name without a directory lies in `programDir`, and a file that is not
    // UTF-8 is read in `eightBitCodePage`. The list of `inOrder`, the one the window will show first,
    // is then put in lstrcmpA's order as a thread of `locale` compares.
    SelectionFileReading(std::string path, std::string programDir, UINT eightBitCodePage, size_t inOrder,
                         LCID locale);

    // The file's lists, when it was read whole and is still the file it was, by its size and the
    // time it was last written; otherwise nothing, and the caller reads it again itself, as it is
    // now, with any error to report.
    std::optional<SelectionLists> Take();
    // The section of the list that Take gave in order.
    size_t InOrder() const { return inOrder_; }

private:
    void Read();

    const std::string path_, programDir_;
    const UINT eightBitCodePage_;
    const size_t inOrder_;
    const LCID locale_;
    WIN32_FILE_ATTRIBUTE_DATA stamp_{};
    bool whole_ = false;
    SelectionLists lists_;
    JoinedThread thread_;  // last: started once everything it uses is there
};

}  // namespace mx
