#include "platform/late_bound.h"

#include <shellapi.h>

#include <string>

namespace mx::late {

namespace {

// A DLL from the system directory only, never one of that name beside the program.
template <class F>
F* Find(const wchar_t* dll, const char* name) {
    wchar_t system[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    HMODULE module = ::LoadLibraryW((std::wstring(system, length) + L"\\" + dll).c_str());
    return module ? reinterpret_cast<F*>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}

}  // namespace

HRESULT CoInitializeEx(void* reserved, DWORD model) {
    static auto* const call = Find<decltype(::CoInitializeEx)>(L"ole32.dll", "CoInitializeEx");
    return call ? call(reserved, model) : E_FAIL;
}

void CoUninitialize() {
    static auto* const call = Find<decltype(::CoUninitialize)>(L"ole32.dll", "CoUninitialize");
    if (call) call();
}

HRESULT CoCreateInstance(REFCLSID type, IUnknown* outer, DWORD context, REFIID interfaceId, void** object) {
    static auto* const call = Find<decltype(::CoCreateInstance)>(L"ole32.dll", "CoCreateInstance");
    if (!call) {
        *object = nullptr;
        return E_FAIL;
    }
    return call(type, outer, context, interfaceId, object);
}

HRESULT PropVariantClear(PROPVARIANT* value) {
    static auto* const call = Find<decltype(::PropVariantClear)>(L"ole32.dll", "PropVariantClear");
    return call ? call(value) : E_FAIL;
}

LPWSTR* CommandLineToArgvW(LPCWSTR commandLine, int* count) {
    static auto* const call = Find<decltype(::CommandLineToArgvW)>(L"shell32.dll", "CommandLineToArgvW");
    if (!call) {
        *count = 0;
        return nullptr;
    }
    return call(commandLine, count);
}

BOOL Shell_NotifyIconA(DWORD message, NOTIFYICONDATAA* data) {
    static auto* const call = Find<decltype(::Shell_NotifyIconA)>(L"shell32.dll", "Shell_NotifyIconA");
    return call ? call(message, data) : FALSE;
}

}  // namespace mx::late
