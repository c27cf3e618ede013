#include "ui/Banner.h"

#include <utility>

#include "ui/PictureHeader.h"

namespace ui {

BannerFields SplitDescription(const std::string& reply, const std::string& descriptionAddress) {
    BannerFields fields;
    fields.link = descriptionAddress;
    if (reply.empty()) return fields;

    const std::size_t p1 = reply.find('\n');
    if (p1 == std::string::npos) {
        fields.imageAddress = reply;
        return fields;
    }
    fields.imageAddress = reply.substr(0, p1);
    if (p1 == reply.size() - 1) return fields;

    const std::size_t p2 = reply.find('\n', p1 + 1);
    if (p2 == std::string::npos) {
        fields.link = reply.substr(p1 + 1);
        return fields;
    }
    fields.link = reply.substr(p1 + 1, p2 - p1 - 1);

    const std::size_t p3 = reply.find('\n', p2 + 1);
    fields.fileName =
        p3 == std::string::npos ? reply.substr(p2 + 1) : reply.substr(p2 + 1, p3 - p2 - 1);
    return fields;
}

namespace {

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// Names that Windows opens as devices whatever the folder and extension:
// "CON.gif" is the console, not a file.
bool IsDeviceName(const std::string& name) {
    const std::string base = Lower(name.substr(0, name.find('.')));
    static const char* const kDevices[] = {"con",    "prn",     "aux",   "nul",
                                           "conin$", "conout$", "clock$"};
    for (const char* device : kDevices)
        if (base == device) return true;
    return base.size() == 4 && (base.compare(0, 3, "com") == 0 || base.compare(0, 3, "lpt") == 0) &&
           base[3] >= '0' && base[3] <= '9';
}

}  // namespace

bool IsBannerFileName(const std::string& name) {
    if (name.empty()) return false;
    for (char c : name) {
        // Letters, digits and three marks only: no path syntax, no stream or
        // wildcard characters, no spaces or code-page bytes whose meaning
        // depends on the system's language, nothing a shell or a command
        // line would read as more than a name.
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_';
        if (!plain) return false;
    }
    // Windows drops trailing dots, so the name on disk would not be the name
    // checked here.
    if (name.back() == '.') return false;
    if (name.find("..") != std::string::npos) return false;
    if (IsDeviceName(name)) return false;

    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) return false;
    const std::string extension = Lower(name.substr(dot + 1));
    return extension == "gif" || extension == "jpg" || extension == "jpeg" || extension == "bmp";
}

std::string JoinBannerPath(const std::string& folder, const std::string& name) {
    return folder + "\\" + name;
}

Banner::Banner(Http& inet1, FileWriter& files, std::string programFolder,
               std::string descriptionAddress)
    : inet1_(inet1),
      files_(files),
      programFolder_(std::move(programFolder)),
      descriptionAddress_(std::move(descriptionAddress)) {}

void Banner::LoadBanner(PictureBox& picture1) {
    std::string reply;
    // No description, no banner: BannerLink keeps what it held.
    if (!inet1_.Get(descriptionAddress_, kDescriptionLimits, &reply)) return;
    BannerFields fields = SplitDescription(reply, descriptionAddress_);
    // Set before the download, so that a banner whose image fails still
    // has its link.
    bannerLink_ = std::move(fields.link);
    DownloadBanner(picture1, fields.imageAddress, fields.fileName);
}

void Banner::DownloadBanner(PictureBox& picture, const std::string& imageAddress,
                            const std::string& fileName) {
    // Checked before anything is fetched: a description we will not honour
    // costs no second request.
    if (!IsWebAddress(imageAddress) || !IsBannerFileName(fileName)) return;
    // "\\name" would land in the root of the current drive.
    if (programFolder_.empty()) return;
    std::string bytes;
    if (!inet1_.Get(imageAddress, kImageLimits, &bytes)) return;
    // A header that cannot be read, or that asks for more pixels than the
    // box could show, is neither stored nor handed to the decoder.
    if (!IsBannerPictureSize(bytes)) return;
    const std::string path = JoinBannerPath(programFolder_, fileName);
    // The picture is always shown from the file just written and closed,
    // never from the bytes in memory; a file that could not be written whole
    // is not shown (an older one of that name would not be this run's).
    if (!files_.WriteWhole(path, bytes)) return;
    picture.LoadPicture(path);
}

void Banner::Picture1_Click(Shell& shell, Prompter& prompter) const {
    if (!IsWebAddress(bannerLink_)) return;
    OpenLink(shell, prompter, bannerLink_);
}

}  // namespace ui
