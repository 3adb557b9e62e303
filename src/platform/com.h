#pragma once
// COM for the code that uses the system's components: an owner of one interface reference, and COM
// initialised for the calling thread over a scope.
#include <objbase.h>

#include <utility>

#include "platform/late_bound.h"

namespace mx {

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ~ComPtr() { reset(); }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // The address to receive a new reference, the old one released first.
    T** put() {
        reset();
        return &p_;
    }
    void** put_void() { return reinterpret_cast<void**>(put()); }
    void reset() {
        if (p_) std::exchange(p_, nullptr)->Release();
    }

private:
    T* p_ = nullptr;
};

// COM initialised for this thread while the scope lasts. A thread whose COM was already initialised
// in another model can still use it, and is left as it was.
class ComScope {
public:
    explicit ComScope(DWORD model = COINIT_APARTMENTTHREADED) {
        const HRESULT hr = late::CoInitializeEx(nullptr, model | COINIT_DISABLE_OLE1DDE);
        owned_ = SUCCEEDED(hr);
        usable_ = owned_ || hr == RPC_E_CHANGED_MODE;
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    ~ComScope() {
        if (owned_) late::CoUninitialize();
    }
    bool Usable() const { return usable_; }

private:
    bool owned_ = false;
    bool usable_ = false;
};

}  // namespace mx
