// Every handle the program opens has one owner here, and this is the one
// place that closes each kind. Owners are move-only: a handle is never closed
// twice nor outlives the object that opened it. reset() returns the close
// call's result where a failed close means something (a file that may not be
// whole); an empty owner resets to success.
#pragma once
#include <ole2.h>
#include <windows.h>
#include <wininet.h>

#include <cstring>
#include <utility>

namespace win32 {

// One owner template; each kind of handle names its empty value and its close.
template <class Traits>
class Owner {
  public:
    using Type = typename Traits::Type;

    Owner() = default;
    explicit Owner(Type handle) : handle_(handle) {}
    Owner(Owner&& other) noexcept : handle_(other.release()) {}
    Owner& operator=(Owner&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = other.release();
        }
        return *this;
    }
    Owner(const Owner&) = delete;
    Owner& operator=(const Owner&) = delete;
    ~Owner() { reset(); }

    Type get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::Empty(); }
    // Where an API writes the handle it opened; the owner must be empty.
    Type* put() { return &handle_; }

    // Closes the handle now; true when it closed or there was none.
    bool reset(Type handle = Traits::Empty()) {
        bool closed = true;
        if (handle_ != Traits::Empty()) closed = Traits::Close(handle_);
        handle_ = handle;
        return closed;
    }
    // Gives the handle up without closing it.
    Type release() {
        Type handle = handle_;
        handle_ = Traits::Empty();
        return handle;
    }

  private:
    Type handle_ = Traits::Empty();
};

struct KernelTraits {  // processes, threads, events, tokens
    using Type = HANDLE;
    static Type Empty() { return nullptr; }
    static bool Close(Type h) { return CloseHandle(h) != FALSE; }
};
struct FileTraits {  // CreateFile's failure is INVALID_HANDLE_VALUE, not null
    using Type = HANDLE;
    static Type Empty() { return INVALID_HANDLE_VALUE; }
    static bool Close(Type h) { return CloseHandle(h) != FALSE; }
};
struct FindTraits {  // FindFirstFile's searches: INVALID_HANDLE_VALUE when none
    using Type = HANDLE;
    static Type Empty() { return INVALID_HANDLE_VALUE; }
    static bool Close(Type h) { return FindClose(h) != FALSE; }
};
struct InternetTraits {
    using Type = HINTERNET;
    static Type Empty() { return nullptr; }
    static bool Close(Type h) { return InternetCloseHandle(h) != FALSE; }
};
struct ModuleTraits {
    using Type = HMODULE;
    static Type Empty() { return nullptr; }
    static bool Close(Type h) { return FreeLibrary(h) != FALSE; }
};
struct MenuTraits {
    using Type = HMENU;
    static Type Empty() { return nullptr; }
    static bool Close(Type h) { return DestroyMenu(h) != FALSE; }
};
struct GlobalTraits {
    using Type = HGLOBAL;
    static Type Empty() { return nullptr; }
    static bool Close(Type h) { return GlobalFree(h) == nullptr; }
};
struct LocalTraits {  // blocks the system hands over with LocalAlloc
    using Type = HLOCAL;
    static Type Empty() { return nullptr; }
    static bool Close(Type h) { return LocalFree(h) == nullptr; }
};
struct KeyTraits {  // the program's own keys go through reg::UniqueKey
    using Type = HKEY;
    static Type Empty() { return nullptr; }
    static bool Close(Type h) { return RegCloseKey(h) == ERROR_SUCCESS; }
};
template <class T>
struct GdiTraits {  // fonts, brushes, bitmaps, pens
    using Type = T;
    static Type Empty() { return nullptr; }
    static bool Close(Type h) { return DeleteObject(h) != FALSE; }
};

using Handle = Owner<KernelTraits>;
using File = Owner<FileTraits>;
using Find = Owner<FindTraits>;
using Internet = Owner<InternetTraits>;
using Module = Owner<ModuleTraits>;
using Menu = Owner<MenuTraits>;
using Global = Owner<GlobalTraits>;
using Local = Owner<LocalTraits>;
using Key = Owner<KeyTraits>;
template <class T>
using GdiObject = Owner<GdiTraits<T>>;
using Font = GdiObject<HFONT>;
using Brush = GdiObject<HBRUSH>;
using Bitmap = GdiObject<HBITMAP>;

// A window's (or the screen's, for null) device context from GetDC.
class WindowDc {
  public:
    explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    WindowDc(WindowDc&& other) noexcept
        : hwnd_(other.hwnd_), dc_(std::exchange(other.dc_, nullptr)) {}
    WindowDc& operator=(WindowDc&&) = delete;
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (dc_) ReleaseDC(hwnd_, dc_);
    }
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

  private:
    HWND hwnd_;
    HDC dc_;
};

// A memory device context from CreateCompatibleDC.
class MemoryDc {
  public:
    explicit MemoryDc(HDC like) : dc_(CreateCompatibleDC(like)) {}
    MemoryDc(MemoryDc&& other) noexcept : dc_(std::exchange(other.dc_, nullptr)) {}
    MemoryDc& operator=(MemoryDc&&) = delete;
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    ~MemoryDc() {
        if (dc_) DeleteDC(dc_);
    }
    HDC get() const { return dc_; }

  private:
    HDC dc_;
};

// BeginPaint to EndPaint.
class PaintDc {
  public:
    explicit PaintDc(HWND hwnd) : hwnd_(hwnd), dc_(BeginPaint(hwnd, &ps_)) {}
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    ~PaintDc() { EndPaint(hwnd_, &ps_); }
    HDC get() const { return dc_; }

  private:
    HWND hwnd_;
    PAINTSTRUCT ps_ = {};
    HDC dc_;
};

// An object selected into a DC; the one it replaced goes back at the end.
class Selection {
  public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    Selection(Selection&& other) noexcept
        : dc_(other.dc_), old_(std::exchange(other.old_, nullptr)) {}
    Selection& operator=(Selection&&) = delete;
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;
    ~Selection() {
        if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_);
    }

  private:
    HDC dc_;
    HGDIOBJ old_;
};

// One reference to a COM object, released once.
template <typename T>
class ComRef {
  public:
    ComRef() = default;
    explicit ComRef(T* p) : p_(p) {}  // takes over a reference
    ComRef(ComRef&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComRef& operator=(ComRef&& other) noexcept {
        if (this != &other) {
            reset();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef() { reset(); }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    void reset() {
        if (p_) p_->Release();
        p_ = nullptr;
    }

  private:
    T* p_ = nullptr;
};

// COM for the calling thread while the object lives. A thread that already
// has COM keeps its own set-up (S_FALSE still needs balancing).
class ComScope {
  public:
    ComScope() : initialised_(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComScope() {
        if (initialised_) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

  private:
    bool initialised_;
};

// A function of a module looked up at run time, as the type it is called as;
// nullptr when the module or the function is missing.
template <typename Fn>
Fn ProcAddress(HMODULE module, const char* name) {
    Fn fn = nullptr;
    if (!module) return fn;
    FARPROC proc = GetProcAddress(module, name);
    static_assert(sizeof fn == sizeof proc, "function pointers of one size");
    std::memcpy(&fn, &proc, sizeof fn);
    return fn;
}

// uxtheme.dll, only there from Windows XP on: loaded at run time so that the
// program starts without it, and freed with the owner.
inline Module LoadUxTheme() {
    return Module(LoadLibraryA("uxtheme.dll"));
}

}  // namespace win32
