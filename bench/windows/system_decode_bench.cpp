// What decoding in a process of its own costs a picture that only the system's decoders read, beside
// the same decode on the calling thread; and how long ending a request whose decoder never answers
// takes. Run under Wine or on Windows:
//   system_decode_bench.exe FILE...
// It prints, for each file, best of ten: the decode on this thread, the decode in a process of its
// own (this program started again), their ratio; then the time from giving up a hanging request to
// its process and thread having ended.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

#include "bench_environment.h"
#include "picture/background_decode_win.h"
#include "picture/decoding_process_win.h"
#include "picture/reader_util.h"
#include "picture/wic_reader_win.h"

int main(int argc, char** argv) {
    if (std::optional<int> decoded = mx::RunDecodingProcess()) return *decoded;
    if (argc < 2) {
        std::fprintf(stderr, "usage: system_decode_bench FILE...\n");
        return 2;
    }
    for (int i = 1; i < argc; ++i) {
        std::vector<uint8_t> bytes;
        if (mx::ReadFileBytes(argv[i], bytes) != mx::kStatusOk) return 1;
        double here = 1e300, apart = 1e300;
        mx::Picture picture;
        for (int run = 0; run < 10; ++run) {
            double start = mx::bench::NowMs();
            if (mx::ReadWithWic(bytes, picture) != mx::ReadResult::Ok) return 1;
            here = std::min(here, mx::bench::NowMs() - start);
            picture = {};
            start = mx::bench::NowMs();
            if (mx::DecodeInOwnProcess(bytes, picture) != mx::ReadResult::Ok) return 1;
            apart = std::min(apart, mx::bench::NowMs() - start);
            picture = {};
        }
        std::printf("%s (%zu bytes): this thread %.1f ms, own process %.1f ms, ratio %.2f\n", argv[i], bytes.size(), here,
                    apart, apart / here);
    }
    mx::SetDecodingProcessOptions({"", 60000, "hang"});
    std::vector<uint8_t> bytes(1000, 'x');
    double ending = 1e300;
    for (int run = 0; run < 10; ++run) {
        auto request = std::make_unique<mx::BackgroundDecode>(bytes, nullptr, WM_APP, 0);
        ::Sleep(300);  // the process has started and hangs
        const double start = mx::bench::NowMs();
        request.reset();
        ending = std::min(ending, mx::bench::NowMs() - start);
    }
    std::printf("a hanging request given up: %.1f ms until its process and thread have ended\n", ending);
    return 0;
}
