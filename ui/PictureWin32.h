// Pictures through the OLE picture loader (IPicture), which reads GIF, JPEG
// and BMP on every Windows we run on, and the COM set-up it needs.
#pragma once
#include <ole2.h>
#include <olectl.h>
#include <windows.h>

#include <string>

namespace ui {

// Owns one reference to a COM object and releases it once.
template <typename T>
class ComRef {
  public:
    ComRef() = default;
    explicit ComRef(T* p) : p_(p) {}  // takes over a reference
    ComRef(const ComRef& other) : p_(other.p_) {
        if (p_) p_->AddRef();
    }
    ComRef(ComRef&& other) noexcept : p_(other.p_) { other.p_ = nullptr; }
    ComRef& operator=(ComRef other) noexcept {
        T* old = p_;
        p_ = other.p_;
        other.p_ = old;
        return *this;
    }
    ~ComRef() {
        if (p_) p_->Release();
    }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

  private:
    T* p_ = nullptr;
};

using Picture = ComRef<IPicture>;

// COM for the calling thread while the object lives. The picture loader
// reads files through URL monikers on some systems, which need it; a thread
// that already has COM keeps its own set-up.
class ComScope {
  public:
    ComScope();
    ~ComScope();
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

  private:
    bool initialised_ = false;
};

// OleLoadPicturePath on a file path; empty when the file is missing or is no
// picture the loader knows.
Picture LoadPictureFile(const std::string& path);
// A picture stored in the executable as RCDATA; empty when absent or bad.
Picture LoadPictureResource(int id);

// The picture's own size in pixels on `dc`.
SIZE PictureSize(const Picture& picture, HDC dc);
// Draws the picture into `target` (stretched to it), honouring a GIF's
// transparent colour.
void RenderPicture(const Picture& picture, HDC dc, const RECT& target);

}  // namespace ui
