// The splash screen's design and the texts its load sets, as data. The Win32
// window (frmSplashWin32) builds itself from these rows.
#pragma once
#include <array>
#include <string>
#include <utility>
#include <vector>

namespace ui {

// "Version " then major, minor and revision as plain decimal numbers, joined
// by dots: 1, 0, 0 give "Version 1.0.0". The splash and the About box share it.
std::string VersionText(int major, int minor, int revision);

// The splash window's client area, in twips.
inline constexpr int kSplashWidthTwips = 7380;
inline constexpr int kSplashHeightTwips = 4245;

struct TwipsRect {
    int left, top, width, height;
};

// Control ids of the splash window.
enum SplashId : int {
    kSplashFrame1 = 200,
    kSplashImgLogo,
    kSplashLblCopyright,
    kSplashLblCompany,
    kSplashLblWarning,
    kSplashLblVersion,
    kSplashLblPlatform,
    kSplashLblProductName,
    kSplashLblLicenseTo,
    kSplashLblCompanyProduct,
};

// Frame1 on the window; everything else inside it, relative to it.
inline constexpr TwipsRect kFrame1Rect = {150, 60, 7080, 4050};
inline constexpr TwipsRect kImgLogoRect = {120, 360, 2415, 705};

enum class LabelAlign { Left, Right };

struct SplashLabelSpec {
    const char* name;
    int id;
    TwipsRect rect;  // relative to Frame1
    double points;   // Arial, Western character set
    bool bold;
    LabelAlign align;
    bool autoSize;  // the label takes the size of its text, keeping its aligned edge
    const char* designText;
};

// The labels from back to front (their stacking order); Frame1 lies behind
// all of them and imgLogo directly in front of Frame1.
// clang-format off
inline constexpr std::array<SplashLabelSpec, 8> kSplashLabels = {{
    {"lblCopyright", kSplashLblCopyright, {4560, 3060, 2415, 255}, 8.25, false, LabelAlign::Left, false, "Copyright"},
    {"lblCompany", kSplashLblCompany, {4560, 3270, 2415, 255}, 8.25, false, LabelAlign::Left, false, "Company"},
    {"lblWarning", kSplashLblWarning, {150, 3540, 6855, 435}, 8.25, false, LabelAlign::Left, false, "Warning"},
    {"lblVersion", kSplashLblVersion, {5970, 2700, 885, 285}, 12, true, LabelAlign::Right, true, "Version"},
    {"lblPlatform", kSplashLblPlatform, {5580, 2340, 1275, 360}, 15.75, true, LabelAlign::Right, true, "Platform"},
    {"lblProductName", kSplashLblProductName, {2520, 1680, 2430, 765}, 32.25, true, LabelAlign::Left, true, "Product"},
    {"lblLicenseTo", kSplashLblLicenseTo, {120, 240, 6855, 255}, 8.25, false, LabelAlign::Right, false, "LicenseTo"},
    {"lblCompanyProduct", kSplashLblCompanyProduct, {2400, 1200, 3000, 435}, 18, true, LabelAlign::Left, true, "CompanyProduct"},
}};
// clang-format on

// Form_Load of the splash: the label ids and their texts, in the order the
// load sets them (lblVersion first, lblCompanyProduct last).
std::vector<std::pair<int, std::string>> SplashLoadTexts();

}  // namespace ui
