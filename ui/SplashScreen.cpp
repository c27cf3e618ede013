#include "ui/SplashScreen.h"

#include "app/version.h"

namespace ui {

std::string VersionText(int major, int minor, int revision) {
    return "Version " + std::to_string(major) + "." + std::to_string(minor) + "." +
           std::to_string(revision);
}

std::vector<std::pair<int, std::string>> SplashLoadTexts() {
    return {
        {kSplashLblVersion,
         VersionText(DOVRANE_VERSION_MAJOR, DOVRANE_VERSION_MINOR, DOVRANE_VERSION_REVISION)},
        {kSplashLblProductName, DOVRANE_TITLE},
        {kSplashLblCompany, DOVRANE_COMPANY},
        {kSplashLblCopyright, DOVRANE_COPYRIGHT},
        {kSplashLblLicenseTo, ""},
        {kSplashLblWarning,
         "Dovrane is supported by advertizing.\r\n"
         "It downloads banner ads through your internet connection."},
        {kSplashLblPlatform, "Windows XP"},
        {kSplashLblCompanyProduct, DOVRANE_DOMAIN},
    };
}

}  // namespace ui
