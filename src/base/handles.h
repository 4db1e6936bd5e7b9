#pragma once
// Move-only owners for the kernel, registry and GDI handles the program uses.

#include <windows.h>
#include <objbase.h>

#include <utility>

namespace vexlor {

// Traits give the handle's empty value; most kinds use null.
template <typename T> struct NullIsEmpty {
    static T Empty() { return T{}; }
};
struct InvalidIsEmpty {
    static HANDLE Empty() { return INVALID_HANDLE_VALUE; }
};

template <typename T, auto Close, typename Traits = NullIsEmpty<T>> class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(T value) : value_(value) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : value_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    ~UniqueHandle() { Reset(); }

    T Get() const { return value_; }
    explicit operator bool() const { return value_ != Traits::Empty(); }
    T Release() { return std::exchange(value_, Traits::Empty()); }
    void Reset(T value = Traits::Empty()) {
        if (value_ != Traits::Empty())
            Close(value_);
        value_ = value;
    }

private:
    T value_ = Traits::Empty();
};

namespace detail {
inline void CloseKernel(HANDLE h) {
    ::CloseHandle(h);
}
inline void CloseKey(HKEY h) {
    ::RegCloseKey(h);
}
inline void DeleteGdi(HGDIOBJ h) {
    ::DeleteObject(h);
}
inline void DeleteEnhMetaFileHandle(HENHMETAFILE h) {
    ::DeleteEnhMetaFile(h);
}
inline void Unhook(HHOOK h) {
    ::UnhookWindowsHookEx(h);
}
} // namespace detail

using UniqueHandleNull = UniqueHandle<HANDLE, detail::CloseKernel>;
// CreateFileW reports failure as INVALID_HANDLE_VALUE, not null.
using UniqueFile = UniqueHandle<HANDLE, detail::CloseKernel, InvalidIsEmpty>;
using UniqueKey = UniqueHandle<HKEY, detail::CloseKey>;
using UniqueFont = UniqueHandle<HFONT, detail::DeleteGdi>;
using UniqueBitmap = UniqueHandle<HBITMAP, detail::DeleteGdi>;
using UniqueBrush = UniqueHandle<HBRUSH, detail::DeleteGdi>;
using UniquePen = UniqueHandle<HPEN, detail::DeleteGdi>;
using UniqueEnhMetaFile = UniqueHandle<HENHMETAFILE, detail::DeleteEnhMetaFileHandle>;
using UniqueHook = UniqueHandle<HHOOK, detail::Unhook>;

// Owns one reference to a COM object.
template <typename T> class UniqueCom {
public:
    UniqueCom() = default;
    UniqueCom(const UniqueCom&) = delete;
    UniqueCom& operator=(const UniqueCom&) = delete;
    UniqueCom(UniqueCom&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    UniqueCom& operator=(UniqueCom&& other) noexcept {
        if (this != &other) {
            Reset();
            pointer_ = std::exchange(other.pointer_, nullptr);
        }
        return *this;
    }
    ~UniqueCom() { Reset(); }

    T* Get() const { return pointer_; }
    T* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }
    // For a function that hands out a new reference: drops the old one first.
    T** Put() {
        Reset();
        return &pointer_;
    }
    void Reset() {
        if (pointer_)
            std::exchange(pointer_, nullptr)->Release();
    }

private:
    T* pointer_ = nullptr;
};

// COM initialised on this thread (single-threaded apartment) for the object's lifetime. The
// program makes one on its GUI thread at start: WIC, which reads BMP, ICO and TIFF pictures,
// needs it. A thread already in another apartment keeps it; a failure shows as an error of the
// first COM call, which names the picture.
class ComInitialized {
public:
    ComInitialized()
        : initialized_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ComInitialized(const ComInitialized&) = delete;
    ComInitialized& operator=(const ComInitialized&) = delete;
    ~ComInitialized() {
        if (initialized_)
            ::CoUninitialize();
    }

private:
    bool initialized_;
};

// Selects a GDI object into a DC and puts the previous one back on scope exit.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    ~SelectedObject() { ::SelectObject(dc_, previous_); }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A memory DC, deleted on scope exit.
class MemoryDc {
public:
    explicit MemoryDc(HDC compatibleWith = nullptr) : dc_(::CreateCompatibleDC(compatibleWith)) {}
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    ~MemoryDc() {
        if (dc_)
            ::DeleteDC(dc_);
    }
    HDC Get() const { return dc_; }

private:
    HDC dc_;
};

// GetDC/ReleaseDC, remembering the window.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (dc_)
            ::ReleaseDC(window_, dc_);
    }
    HDC Get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

} // namespace vexlor
