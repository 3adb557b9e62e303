#include "picture/decoding_process_win.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <cwchar>
#include <memory>
#include <mutex>
#include <new>
#include <string_view>

#include "picture/wic_reader_win.h"
#include "platform/handles.h"
#include "platform/late_bound.h"

namespace mx {

namespace {

// Cannot be taken for the selector's uninstall switch: after one leading "-" it starts with "-".
constexpr const wchar_t* kDecodeSwitch = L"--decode-picture";
constexpr const wchar_t* kTestSwitch = L"--decode-test=";
constexpr uint32_t kAnswerMagic = 0x4344584D;  // "MXDC"
// A codec that runs away with memory fails there, not in the whole machine: twice the largest
// picture the program takes, with room for the codec's own.
constexpr SIZE_T kProcessMemory = SIZE_T(2) * kMaxPictureBytes + (SIZE_T(256) << 20);
constexpr DWORD kPipeBuffer = 1 << 20;

// What the decoding process writes first; the pixels of an Ok picture follow, its rows as Picture
// holds them.
struct Answer {
    uint32_t magic = kAnswerMagic;
    uint32_t result = 0;  // 0 Ok, 1 Malformed, 2 TooLarge
    int32_t width = 0;
    int32_t height = 0;
    int32_t bitsPerPixel = 0;  // 24, or 32 with the fourth byte the opacity
    uint32_t alpha = 0;        // some pixel is not opaque
};

std::mutex& OptionsLock() {
    static std::mutex lock;
    return lock;
}

DecodingProcessOptions& Options() {
    static DecodingProcessOptions options;
    return options;
}

std::wstring Wide(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    wide.resize(size_t(::MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), wide.data(), int(wide.size()))));
    return wide;
}

std::wstring RunningProgram() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (length == 0) return {};
        if (length < path.size()) return path.substr(0, length);
        path.resize(path.size() * 2);
    }
}

std::wstring HandleText(HANDLE handle) {
    wchar_t text[24];
    std::swprintf(text, 24, L"%llx", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(handle)));
    return text;
}

// The decoding process, ended with everything it holds when this is.
struct Child {
    KernelHandle job;
    KernelHandle process;
    Child() = default;
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child() {
        if (!process) return;
        ::TerminateProcess(process.get(), 1);
        ::WaitForSingleObject(process.get(), 5000);
    }
};

enum class Received { All, Broken, Late };

// Reads exactly `size` bytes from the pipe before the deadline (in GetTickCount64 time) unless
// `cancel` is signalled first; no read is left pending when it returns.
Received ReadAll(HANDLE pipe, void* into, size_t size, ULONGLONG deadline, HANDLE cancel) {
    KernelHandle event(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!event) return Received::Broken;
    auto* at = static_cast<uint8_t*>(into);
    while (size > 0) {
        OVERLAPPED overlapped{};
        overlapped.hEvent = event.get();
        ::ResetEvent(event.get());
        const DWORD chunk = DWORD(std::min<size_t>(size, size_t(1) << 24));
        DWORD got = 0;
        if (!::ReadFile(pipe, at, chunk, nullptr, &overlapped)) {
            if (::GetLastError() != ERROR_IO_PENDING) return Received::Broken;
            const HANDLE waits[] = {event.get(), cancel};
            const ULONGLONG now = ::GetTickCount64();
            const DWORD left = now >= deadline ? 0 : DWORD(std::min<ULONGLONG>(deadline - now, INFINITE - 1));
            if (::WaitForMultipleObjects(cancel ? 2 : 1, waits, FALSE, left) != WAIT_OBJECT_0) {
                ::CancelIo(pipe);
                ::GetOverlappedResult(pipe, &overlapped, &got, TRUE);
                return Received::Late;
            }
        }
        if (!::GetOverlappedResult(pipe, &overlapped, &got, FALSE) || got == 0) return Received::Broken;
        at += got;
        size -= got;
    }
    return Received::All;
}

bool WriteAll(HANDLE pipe, const void* data, size_t size) {
    const auto* at = static_cast<const uint8_t*>(data);
    while (size > 0) {
        DWORD written = 0;
        if (!::WriteFile(pipe, at, DWORD(std::min<size_t>(size, size_t(1) << 24)), &written, nullptr) || written == 0)
            return false;
        at += written;
        size -= written;
    }
    return true;
}

// The process's crash ends it at once, without the system's report or a debugger: its parent only
// learns that no picture came.
LONG WINAPI EndOnCrash(EXCEPTION_POINTERS*) {
    ::TerminateProcess(::GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

int DecodeHanded(int count, wchar_t** args) {
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    ::SetUnhandledExceptionFilter(EndOnCrash);
    if (count < 5) return 2;
    const auto section = reinterpret_cast<HANDLE>(uintptr_t(std::wcstoull(args[2], nullptr, 16)));
    const unsigned long long size = std::wcstoull(args[3], nullptr, 10);
    const auto pipe = reinterpret_cast<HANDLE>(uintptr_t(std::wcstoull(args[4], nullptr, 16)));
    if (::GetFileType(pipe) != FILE_TYPE_PIPE || size == 0 || size > kMaxPictureFileBytes) return 2;
    const void* view = ::MapViewOfFile(section, FILE_MAP_READ, 0, 0, SIZE_T(size));
    if (!view) return 2;
    for (int i = 5; i < count; ++i) {
        const std::wstring_view test(args[i]);
        if (test.substr(0, std::wcslen(kTestSwitch)) != kTestSwitch) continue;
        if (test.substr(std::wcslen(kTestSwitch)) == L"crash") ::RaiseException(EXCEPTION_ACCESS_VIOLATION, 0, 0, nullptr);
        if (test.substr(std::wcslen(kTestSwitch)) == L"hang") ::Sleep(INFINITE);
    }
    Picture picture;
    ReadResult result = ReadResult::Malformed;
    try {
        result = ReadWithWic({static_cast<const uint8_t*>(view), size_t(size)}, picture);
    } catch (const std::bad_alloc&) {
        result = ReadResult::Malformed;
    }
    Answer answer;
    answer.result = result == ReadResult::Ok ? 0 : result == ReadResult::TooLarge ? 2 : 1;
    if (result == ReadResult::Ok) {
        answer.width = picture.width;
        answer.height = picture.height;
        answer.bitsPerPixel = picture.bitsPerPixel;
        answer.alpha = picture.alpha;
    }
    if (!WriteAll(pipe, &answer, sizeof answer)) return 1;
    if (result == ReadResult::Ok && !WriteAll(pipe, picture.pixels.data(), picture.pixels.size())) return 1;
    return 0;
}

// Starts the decoding process on the bytes, suspended until it is in its job; false when it cannot
// be started. `pipe` becomes the end the answer is read from.
bool StartChild(std::span<const uint8_t> bytes, const DecodingProcessOptions& options, Child& child, FileHandle& pipe) {
    static std::atomic<unsigned> pipes{0};
    const std::wstring name = L"\\\\.\\pipe\\Mosalux-decode-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                              std::to_wstring(++pipes);
    pipe.reset(::CreateNamedPipeW(name.c_str(), PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                  PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1, 0, kPipeBuffer, 0, nullptr));
    FileHandle childEnd(::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    const uint64_t size = bytes.size();
    KernelHandle section(::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, DWORD(size >> 32),
                                              DWORD(size), nullptr));
    if (!pipe || !childEnd || !section) return false;
    void* view = ::MapViewOfFile(section.get(), FILE_MAP_WRITE, 0, 0, SIZE_T(size));
    if (!view) return false;
    std::memcpy(view, bytes.data(), bytes.size());
    ::UnmapViewOfFile(view);

    child.job.reset(::CreateJobObjectW(nullptr, nullptr));
    if (child.job) {
        // The process dies with the job, so also when this one ends while it still runs.
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags =
            JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION | JOB_OBJECT_LIMIT_PROCESS_MEMORY;
        limits.ProcessMemoryLimit = kProcessMemory;
        ::SetInformationJobObject(child.job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);
    }
    const std::wstring program = options.program.empty() ? RunningProgram() : Wide(options.program);
    std::wstring command = L"\"" + program + L"\" " + kDecodeSwitch + L" " + HandleText(section.get()) + L" " +
                           std::to_wstring(size) + L" " + HandleText(childEnd.get());
    if (!options.test.empty()) command += L" " + std::wstring(kTestSwitch) + Wide(options.test);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_FORCEOFFFEEDBACK;
    PROCESS_INFORMATION started{};
    BOOL created = FALSE;
    {
        // The two handles are inheritable only while this process is made, so that no other process
        // started at the same time keeps the pipe open.
        static std::mutex starting;
        const std::lock_guard<std::mutex> one(starting);
        ::SetHandleInformation(section.get(), HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
        ::SetHandleInformation(childEnd.get(), HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
        // Below the windows the user works in, as the randomizer runs below the log-on.
        created = ::CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, TRUE,
                                   CREATE_SUSPENDED | BELOW_NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup, &started);
        section.reset();
        childEnd.reset();
    }
    if (!created) return false;
    child.process.reset(started.hProcess);
    if (child.job) ::AssignProcessToJobObject(child.job.get(), started.hProcess);
    ::ResumeThread(started.hThread);
    ::CloseHandle(started.hThread);
    return true;
}

}  // namespace

DecodingProcessOptions SetDecodingProcessOptions(DecodingProcessOptions options) {
    const std::lock_guard<std::mutex> lock(OptionsLock());
    std::swap(Options(), options);
    return options;
}

ReadResult DecodeInOwnProcess(std::span<const uint8_t> bytes, Picture& target, HANDLE cancel) {
    if (bytes.empty() || bytes.size() > kMaxPictureFileBytes) return ReadResult::Malformed;
    DecodingProcessOptions options;
    {
        const std::lock_guard<std::mutex> lock(OptionsLock());
        options = Options();
    }
    const ULONGLONG deadline = ::GetTickCount64() + options.timeoutMs;
    Child child;
    FileHandle pipe;
    if (!StartChild(bytes, options, child, pipe)) return ReadResult::DecoderFailed;

    Answer answer;
    if (ReadAll(pipe.get(), &answer, sizeof answer, deadline, cancel) != Received::All || answer.magic != kAnswerMagic)
        return ReadResult::DecoderFailed;
    if (answer.result == 1) return ReadResult::Malformed;
    if (answer.result == 2) return ReadResult::TooLarge;
    const bool valid = answer.result == 0 && answer.width > 0 && answer.height > 0 &&
                       (answer.bitsPerPixel == 24 || answer.bitsPerPixel == 32) &&
                       (answer.bitsPerPixel == 32 || !answer.alpha) &&
                       PictureSizeAllowed(answer.width, answer.height, answer.bitsPerPixel);
    if (!valid) return ReadResult::DecoderFailed;
    Picture picture;
    picture.width = answer.width;
    picture.height = answer.height;
    picture.bitsPerPixel = answer.bitsPerPixel;
    picture.format = answer.bitsPerPixel == 32 ? PixelFormat::Bits32 : PixelFormat::Bits24;
    if (answer.bitsPerPixel == 32) picture.masks = {0x00FF0000, 0x0000FF00, 0x000000FF};
    picture.alpha = answer.alpha != 0;
    picture.pixels.resize(picture.Stride() * size_t(picture.height));
    if (ReadAll(pipe.get(), picture.pixels.data(), picture.pixels.size(), deadline, cancel) != Received::All)
        return ReadResult::DecoderFailed;
    target = std::move(picture);
    return ReadResult::Ok;
}

std::optional<int> RunDecodingProcess() {
    // Every start asks; only a command line that names the switch is split into its arguments.
    if (!std::wcsstr(::GetCommandLineW(), kDecodeSwitch)) return std::nullopt;
    int count = 0;
    std::unique_ptr<wchar_t*, decltype(&::LocalFree)> args(late::CommandLineToArgvW(::GetCommandLineW(), &count),
                                                            &::LocalFree);
    if (!args || count < 2 || std::wcscmp(args.get()[1], kDecodeSwitch) != 0) return std::nullopt;
    return DecodeHanded(count, args.get());
}

}  // namespace mx
