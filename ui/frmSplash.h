// The splash screen's portable half: its design as layout rows and the texts
// its load sets. The window itself is frmSplashWin32.
#pragma once
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "ui/ControlIds.h"
#include "ui/Layout.h"

namespace ui {

// The splash window's client area, in twips.
inline constexpr int kSplashWidthTwips = 7380;
inline constexpr int kSplashHeightTwips = 4245;

// From back to front (their stacking order): Frame1 on the window, then
// imgLogo and the labels inside it, relative to its corner.
// clang-format off
inline constexpr std::array<LayoutRow, 10> kSplashControls = {{
    {"Frame1", kSplashFrame1, ControlKind::Frame, Page::Window, {150, 60, 7080, 4050}, "", 0, {}, Align::Left},
    {"imgLogo", kSplashImgLogo, ControlKind::Image, Page::Frame, {120, 360, 2415, 705}, "", 0, {}, Align::Left},
    {"lblCopyright", kSplashLblCopyright, ControlKind::Label, Page::Frame, {4560, 3060, 2415, 255}, "Copyright", 0, {"Arial", 8.25, false, false}, Align::Left},
    {"lblCompany", kSplashLblCompany, ControlKind::Label, Page::Frame, {4560, 3270, 2415, 255}, "Company", 0, {"Arial", 8.25, false, false}, Align::Left},
    {"lblWarning", kSplashLblWarning, ControlKind::Label, Page::Frame, {150, 3540, 6855, 435}, "Warning", 0, {"Arial", 8.25, false, false}, Align::Left},
    {"lblVersion", kSplashLblVersion, ControlKind::AutoSizeLabel, Page::Frame, {5970, 2700, 885, 285}, "Version", 0, {"Arial", 12, true, false}, Align::Right},
    {"lblPlatform", kSplashLblPlatform, ControlKind::AutoSizeLabel, Page::Frame, {5580, 2340, 1275, 360}, "Platform", 0, {"Arial", 15.75, true, false}, Align::Right},
    {"lblProductName", kSplashLblProductName, ControlKind::AutoSizeLabel, Page::Frame, {2520, 1680, 2430, 765}, "Product", 0, {"Arial", 32.25, true, false}, Align::Left},
    {"lblLicenseTo", kSplashLblLicenseTo, ControlKind::Label, Page::Frame, {120, 240, 6855, 255}, "LicenseTo", 0, {"Arial", 8.25, false, false}, Align::Right},
    {"lblCompanyProduct", kSplashLblCompanyProduct, ControlKind::AutoSizeLabel, Page::Frame, {2400, 1200, 3000, 435}, "CompanyProduct", 0, {"Arial", 18, true, false}, Align::Left},
}};
// clang-format on

// Form_Load of the splash: the label ids and their texts, in the order the
// load sets them (lblVersion first, lblCompanyProduct last).
std::vector<std::pair<int, std::string>> SplashLoadTexts();

}  // namespace ui
