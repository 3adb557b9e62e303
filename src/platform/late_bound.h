#pragma once
// System functions that neither program needs to start, found in their DLLs when first called, so that
// COM's and the shell's DLLs are loaded only by the runs that use them.
#include <windows.h>
#include <objbase.h>
#include <propidl.h>
#include <shellapi.h>

namespace mx::late {

// As the system's functions of the same names; when the DLL or the function cannot be found, they
// fail as those do (E_FAIL, or no arguments).
HRESULT CoInitializeEx(void* reserved, DWORD model);
void CoUninitialize();
HRESULT CoCreateInstance(REFCLSID type, IUnknown* outer, DWORD context, REFIID interfaceId, void** object);
HRESULT PropVariantClear(PROPVARIANT* value);
LPWSTR* CommandLineToArgvW(LPCWSTR commandLine, int* count);
BOOL Shell_NotifyIconA(DWORD message, NOTIFYICONDATAA* data);

}  // namespace mx::late
