// How every window, dialog and subclassed control of the program reaches its
// C++ object, and the one guard that every message goes through.
//
// A class T derives from BaseWindow<T> and defines
//     static constexpr win32::WindowClass kClass = {...};   // name, icon, cursor
//     LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
// and returns Default(msg, wp, lp) for what it leaves to Windows. The object
// is bound to its window in the window's GWLP_USERDATA, from the first message
// that carries it (WM_NCCREATE, WM_INITDIALOG, or at once for a subclass)
// until WM_NCDESTROY, after which hwnd() is null again.
#pragma once
#include <windows.h>

#include <string>

#include "win32/Guard.h"

namespace win32 {

// Waits up to `ms` for `object` on the interface thread, answering what other
// threads and programs send to its windows meanwhile (a WM_GETTEXT, a
// broadcast): a thread that waits without answering holds its callers up, and
// Windows calls its windows Not Responding after five seconds. Posted
// messages (input, painting, timers) stay queued, so no handler of ours runs
// in the middle of the caller's work. True when `object` was signalled.
inline bool WaitAnswering(HANDLE object, DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD spent = GetTickCount() - start;
        const DWORD left = spent < ms ? ms - spent : 0;
        const DWORD woken = MsgWaitForMultipleObjects(1, &object, FALSE, left, QS_SENDMESSAGE);
        if (woken == WAIT_OBJECT_0) return true;
        if (woken != WAIT_OBJECT_0 + 1) return false;  // time out, or no such object
        // Peeking runs the sent messages' handlers and removes nothing.
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

// A window class of the program: registered once, on its first window.
struct WindowClass {
    const char* name;
    int icon;         // icon resource of the executable, 0: none
    int cursor;       // cursor resource of the executable, 0: the arrow
    bool dialogFace;  // background painted in the dialog colour
};

template <class T>
class BaseWindow {
  public:
    HWND hwnd() const { return hwnd_; }

    BaseWindow(const BaseWindow&) = delete;
    BaseWindow& operator=(const BaseWindow&) = delete;

  protected:
    BaseWindow() = default;
    ~BaseWindow() = default;

    // Creates a window of T's class, registering the class on first use.
    HWND Create(DWORD exStyle, const char* title, DWORD style, int x, int y, int width, int height,
                HWND parent, HMENU menuOrId) {
        if (!Register()) return nullptr;
        return CreateWindowExA(exStyle, T::kClass.name, title, style, x, y, width, height, parent,
                               menuOrId, GetModuleHandleA(nullptr), static_cast<T*>(this));
    }

    // Takes over an existing control: its messages reach HandleMessage first,
    // and Default() passes them on to the control's own procedure. A control
    // made with a wide class stays wide: its text passes unconverted (an
    // ANSI subclass would make Windows narrow every string sent to it).
    bool Subclass(HWND control) {
        if (!control || hwnd_) return false;
        Bind(control, static_cast<T*>(this), Kind::kSubclass);
        wide_ = IsWindowUnicode(control) != FALSE;
        const auto proc = reinterpret_cast<LONG_PTR>(&WindowProc);
        original_ =
            reinterpret_cast<WNDPROC>(wide_ ? SetWindowLongPtrW(control, GWLP_WNDPROC, proc)
                                            : SetWindowLongPtrA(control, GWLP_WNDPROC, proc));
        return true;
    }

    // Runs a modal dialog from a template in memory; returns EndDialog's result.
    INT_PTR ShowDialog(HWND owner, const DLGTEMPLATE* dialog) {
        const INT_PTR result =
            DialogBoxIndirectParamA(GetModuleHandleA(nullptr), dialog, owner, &DialogProc,
                                    reinterpret_cast<LPARAM>(static_cast<T*>(this)));
        hwnd_ = nullptr;
        return result;
    }

    // What happens to a message T does not handle: the default window
    // procedure, the control's own procedure, or (FALSE) the dialog manager's.
    LRESULT Default(UINT msg, WPARAM wp, LPARAM lp) {
        switch (kind_) {
            case Kind::kSubclass:
                return wide_ ? CallWindowProcW(original_, hwnd_, msg, wp, lp)
                             : CallWindowProcA(original_, hwnd_, msg, wp, lp);
            case Kind::kDialog:
                return FALSE;
            default:
                return DefWindowProcA(hwnd_, msg, wp, lp);
        }
    }

  private:
    enum class Kind { kNone, kWindow, kDialog, kSubclass };

    static bool Register() {
        const HINSTANCE inst = GetModuleHandleA(nullptr);
        WNDCLASSA wc = {};
        if (GetClassInfoA(inst, T::kClass.name, &wc)) return true;
        wc.lpfnWndProc = &WindowProc;
        wc.hInstance = inst;
        wc.lpszClassName = T::kClass.name;
        if (T::kClass.icon != 0) wc.hIcon = LoadIconA(inst, MAKEINTRESOURCEA(T::kClass.icon));
        if (T::kClass.cursor != 0)
            wc.hCursor = LoadCursorA(inst, MAKEINTRESOURCEA(T::kClass.cursor));
        if (!wc.hCursor) wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
        if (T::kClass.dialogFace) wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        return RegisterClassA(&wc) != 0;
    }

    static void Bind(HWND hwnd, T* self, Kind kind) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
        self->kind_ = kind;
    }

    static T* Self(HWND hwnd) {
        return reinterpret_cast<T*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    }

    // Every message of every bound window passes here, inside the guard.
    LRESULT Dispatch(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        const LRESULT result = Guard(
            T::kClass.name, [&] { return static_cast<T*>(this)->HandleMessage(msg, wp, lp); }, msg);
        if (msg == WM_NCDESTROY) {
            // The window's last message: the object lets go of it.
            if (kind_ == Kind::kSubclass) {
                const auto proc = reinterpret_cast<LONG_PTR>(original_);
                if (wide_)
                    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, proc);
                else
                    SetWindowLongPtrA(hwnd, GWLP_WNDPROC, proc);
            }
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
            hwnd_ = nullptr;
            original_ = nullptr;
            kind_ = Kind::kNone;
        }
        return result;
    }

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_NCCREATE) {
            auto* create = reinterpret_cast<const CREATESTRUCTA*>(lp);
            Bind(hwnd, static_cast<T*>(create->lpCreateParams), Kind::kWindow);
        }
        T* self = Self(hwnd);
        return self ? self->Dispatch(hwnd, msg, wp, lp) : DefWindowProcA(hwnd, msg, wp, lp);
    }

    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_INITDIALOG) Bind(hwnd, reinterpret_cast<T*>(lp), Kind::kDialog);
        T* self = Self(hwnd);
        return self ? self->Dispatch(hwnd, msg, wp, lp) : FALSE;
    }

    HWND hwnd_ = nullptr;
    Kind kind_ = Kind::kNone;
    WNDPROC original_ = nullptr;
    bool wide_ = false;  // a subclass of a wide control
};

}  // namespace win32
