// Every seed and every input the fuzzers ever found troublesome, through all three readers, as
// ordinary tests under the sanitizers.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "picture/bmp_reader.h"
#include "picture/decoder.h"
#include "picture/pcx_reader.h"

namespace mx {
namespace {

namespace fs = std::filesystem;

::testing::AssertionResult Consistent(const Picture& pic) {
    if (pic.Empty()) return ::testing::AssertionSuccess();
    if (pic.pixels.size() != pic.Stride() * size_t(pic.height))
        return ::testing::AssertionFailure() << pic.pixels.size() << " bytes for " << pic.width << "x" << pic.height;
    // Reading the last pixel touches the end of the rows and, for indexed pictures, the palette.
    (void)pic.ColorAt(pic.width - 1, pic.height - 1);
    return ::testing::AssertionSuccess();
}

TEST(FuzzReplay, EverySeedAndCrashFileReadsSafely) {
    size_t files = 0;
    for (const char* folder : {"bmp_reader", "pcx_reader", "decoder", "crashes"}) {
        const fs::path dir = fs::path(MX_FUZZ_DIR) / folder;
        if (!fs::is_directory(dir)) continue;
        for (const auto& entry : fs::directory_iterator(dir)) {
            if (!entry.is_regular_file()) continue;
            SCOPED_TRACE(entry.path().string());
            std::ifstream in(entry.path(), std::ios::binary);
            const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
            Picture bmp, pcx, decoded;
            if (ReadBmp(bytes, bmp) == ReadResult::Ok) {
                EXPECT_TRUE(Consistent(bmp));
            }
            if (ReadPcx(bytes, pcx) == ReadResult::Ok) {
                EXPECT_TRUE(Consistent(pcx));
            }
            if (DecodePicture(bytes, decoded) == kStatusOk) {
                EXPECT_TRUE(Consistent(decoded));
            }
            // Again for the request the decoder's fuzz target takes from the last five bytes.
            if (bytes.size() >= 5) {
                const uint8_t* tail = bytes.data() + bytes.size() - 5;
                const ShowRequest request{ShowRequest::Kind(tail[0] % 7),
                                          {(tail[1] | tail[2] << 8) & 0x3FF, (tail[3] | tail[4] << 8) & 0x3FF}};
                DecodedPicture shown;
                if (DecodePicture(bytes, request, shown) == kStatusOk) {
                    EXPECT_TRUE(Consistent(shown.picture));
                }
            }
            ++files;
        }
    }
    EXPECT_GT(files, 20u);
}

}  // namespace
}  // namespace mx
