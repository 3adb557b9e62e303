#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <optional>

#include "picture/decoding_process_win.h"

int main(int argc, char** argv) {
    // The system's decoders run in this program started again, as in the programs themselves.
    if (std::optional<int> decoded = mx::RunDecodingProcess()) return *decoded;
    INITCOMMONCONTROLSEX init{sizeof init, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&init);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
