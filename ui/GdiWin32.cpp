#include "ui/GdiWin32.h"

#include <cmath>

namespace ui {

int ScreenDpi() {
    HDC dc = GetDC(nullptr);
    int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc) ReleaseDC(nullptr, dc);
    return dpi > 0 ? dpi : 96;
}

Font MakeFont(const char* face, double points, int weight, bool underline, bool italic) {
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
    return Font(CreateFontIndirectA(&lf));
}

std::string ProgramFolder() {
    char path[MAX_PATH + 1] = {};
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, n);
    size_t slash = folder.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : folder.substr(0, slash);
}

std::string HelpFilePath() {
    return ProgramFolder() + "\\DOVRANE.HLP";
}

}  // namespace ui
