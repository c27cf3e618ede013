#include "ui/GdiWin32.h"

#include <cmath>
#include <vector>

namespace ui {

int ScreenDpi() {
    win32::WindowDc dc(nullptr);
    const int dpi = dc ? GetDeviceCaps(dc.get(), LOGPIXELSY) : 96;
    return dpi > 0 ? dpi : 96;
}

win32::Font MakeFont(const char* face, double points, int weight, bool underline, bool italic) {
    LOGFONTA lf = {};
    lf.lfHeight = -static_cast<LONG>(std::lround(points * ScreenDpi() / 72.0));
    lf.lfWeight = weight;
    lf.lfUnderline = underline ? TRUE : FALSE;
    lf.lfItalic = italic ? TRUE : FALSE;
    lf.lfCharSet = ANSI_CHARSET;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
    lstrcpynA(lf.lfFaceName, face, LF_FACESIZE);
    return win32::Font(CreateFontIndirectA(&lf));
}

std::string ProgramFolder() {
    // XP cuts a path that does not fit without saying so (no error, no
    // terminator): a cut path would name a folder above ours. Room for the
    // longest path Windows has, and a result that fills it all is no path.
    std::vector<char> path(32768);
    const DWORD size = static_cast<DWORD>(path.size());
    const DWORD n = GetModuleFileNameA(nullptr, path.data(), size);
    if (n == 0 || n >= size) return ".";
    std::string folder(path.data(), n);
    size_t slash = folder.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : folder.substr(0, slash);
}

std::string HelpFilePath() {
    return ProgramFolder() + "\\DOVRANE.HLP";
}

}  // namespace ui
