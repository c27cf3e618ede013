#include "ui/frmSplash.h"

#include "common/version.h"

namespace ui {

std::vector<std::pair<int, std::string>> SplashLoadTexts() {
    return {
        {kSplashLblVersion, common::VersionText()},
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
