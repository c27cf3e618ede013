// The control ids of every window. Each window has a range of its own, in the
// order of its design rows: the main window's and the About box's tab order,
// the splash screen's stacking order from back to front.
#pragma once

namespace ui {

// frmKestrow.
enum KestrowId : int {
    kSSTab1 = 100,
    kLstRunMRU,
    kCbNumLock,
    kCbEncryptOnContextMenu,
    kCbDesktopWizard,
    kCbClearPageFileAtShutdown,
    kCbAdminAcctWelcomeScreen,
    kCbDisplayCurrentAccountOnWelcomeScreen,
    kCbKeepRASOpen,
    kCbLowSpaceChecks,
    kCmdMRUAll,
    kCmdMRUNone,
    kCmdMRUApply,
    kCmdTwksSelectAll,
    kCmdTwksSelectNone,
    kPicture1,
    kLabel1,
};

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
