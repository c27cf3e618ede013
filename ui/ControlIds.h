// The control ids of every window. Each window has a range of its own, in the
// order of its design rows: the main window's and the About box's tab order,
// the splash screen's stacking order from back to front.
#pragma once
#include "settings/modTweaks.h"

namespace ui {

// frmKestrow. The settings' boxes take one id each, in the catalogue's order.
enum KestrowId : int {
    kSSTab1 = 100,
    kLstRunMRU,
    kFirstSettingBox,
    kCmdMRUAll = kFirstSettingBox + static_cast<int>(modTweaks::kTweakCount),
    kCmdMRUNone,
    kCmdMRUApply,
    kCmdTwksSelectAll,
    kCmdTwksSelectNone,
    kPicture1,
    kLabel1,
};

// The id of a setting's box, and the boxes by their names in the design.
constexpr int SettingBoxId(modTweaks::Tweak tweak) {
    return kFirstSettingBox + static_cast<int>(tweak);
}
inline constexpr int kCbNumLock = SettingBoxId(modTweaks::Tweak::kNumLock);
inline constexpr int kCbEncryptOnContextMenu = SettingBoxId(modTweaks::Tweak::kEncryptMenu);
inline constexpr int kCbDesktopWizard = SettingBoxId(modTweaks::Tweak::kCleanupWizard);
inline constexpr int kCbClearPageFileAtShutdown = SettingBoxId(modTweaks::Tweak::kClearPageFile);
inline constexpr int kCbAdminAcctWelcomeScreen = SettingBoxId(modTweaks::Tweak::kAdminOnWelcome);
inline constexpr int kCbDisplayCurrentAccountOnWelcomeScreen =
    SettingBoxId(modTweaks::Tweak::kCurrentUserOnWelcome);
inline constexpr int kCbKeepRASOpen = SettingBoxId(modTweaks::Tweak::kKeepRas);
inline constexpr int kCbLowSpaceChecks = SettingBoxId(modTweaks::Tweak::kLowSpaceChecks);

// frmSplash.
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

// frmAbout.
enum AboutId : int {
    kAboutCmdOK = 1,  // IDOK: the dialog's default button, Enter
    kAboutCmdSysInfo = 300,
    kAboutPicIcon,
    kAboutLblTitle,
    kAboutLblVersion,
    kAboutLblDescription,
    kAboutLabel1,
    kAboutLabel2,
    kAboutLblDisclaimer,
};

}  // namespace ui
