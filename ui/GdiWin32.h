// Owners for the GDI and window handles the windows create.
#pragma once
#include <windows.h>

#include <string>

namespace ui {

// Owns one GDI object (font, brush, bitmap) and deletes it once.
template <typename T>
class GdiObject {
  public:
    GdiObject() = default;
    explicit GdiObject(T handle) : handle_(handle) {}
    GdiObject(GdiObject&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
    GdiObject& operator=(GdiObject&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = other.handle_;
            other.handle_ = nullptr;
        }
        return *this;
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    ~GdiObject() { reset(); }

    T get() const { return handle_; }
    void reset() {
        if (handle_) DeleteObject(handle_);
        handle_ = nullptr;
    }

  private:
    T handle_ = nullptr;
};

using Font = GdiObject<HFONT>;

// A font of `points` (fractional points allowed) at the display's DPI.
Font MakeFont(const char* face, double points, int weight, bool underline = false,
              bool italic = false);

// The display's dots per inch (vertical; Windows keeps both the same).
int ScreenDpi();

// The folder that holds the running executable, without a trailing backslash.
std::string ProgramFolder();

// The help file, which lives beside the executable.
std::string HelpFilePath();

}  // namespace ui
