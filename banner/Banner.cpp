#include "banner/Banner.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "banner/PictureHeader.h"

namespace banner {

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

std::u16string JoinBannerPath(const std::u16string& folder, const std::string& name) {
    std::u16string path = folder + u'\\';
    for (char c : name) path += char16_t(static_cast<unsigned char>(c));
    return path;
}

void LoadBanner(Http& inet1, const std::string& descriptionAddress, BannerSink& sink) {
    std::string reply;
    // No description, no banner: BannerLink keeps what it held.
    if (!inet1.Get(descriptionAddress, kDescriptionLimits, &reply)) return;
    BannerFields fields = SplitDescription(reply, descriptionAddress);
    std::string imageAddress = std::move(fields.imageAddress);
    std::string fileName = std::move(fields.fileName);
    // Handed over before the image is fetched, so that a banner whose image
    // fails still has its link.
    sink.DescriptionArrived(std::move(fields));
    DownloadBanner(inet1, imageAddress, std::move(fileName), sink);
}

void DownloadBanner(Http& inet1, const std::string& imageAddress, std::string fileName,
                    BannerSink& sink) {
    // Checked before anything is fetched: a description we will not honour
    // costs no second request.
    if (!shell::IsWebAddress(imageAddress) || !IsBannerFileName(fileName)) return;
    std::string bytes;
    if (!inet1.Get(imageAddress, kImageLimits, &bytes)) return;
    // A header that cannot be read, or that asks for more pixels than the
    // box could show, is neither decoded nor stored.
    if (!IsBannerPictureSize(bytes)) return;
    sink.ImageArrived(std::move(fileName), std::move(bytes));
}

bool IsListedBanner(const std::string& list, const std::string& name) {
    const std::string wanted = Lower(name);
    std::size_t begin = 0;
    for (std::size_t end; (end = list.find('\n', begin)) != std::string::npos; begin = end + 1) {
        std::size_t length = end - begin;
        if (length > 0 && list[end - 1] == '\r') --length;
        if (Lower(list.substr(begin, length)) == wanted) return true;
    }
    return false;
}

std::string BannerListEntry(const std::string& list, const std::string& name) {
    const bool cutShort = !list.empty() && list.back() != '\n';
    return (cutShort ? "\r\n" : "") + name + "\r\n";
}

void PruneBanners(files::FilesApi& files, const std::u16string& folder, const std::string& list,
                  const std::string& current) {
    // The whole lines, in the order they were listed, each name once.
    std::vector<std::string> names;
    std::size_t begin = 0;
    for (std::size_t end; (end = list.find('\n', begin)) != std::string::npos; begin = end + 1) {
        std::size_t length = end - begin;
        if (length > 0 && list[end - 1] == '\r') --length;
        const std::string name = list.substr(begin, length);
        if (!IsBannerFileName(name) || Lower(name) == Lower(current)) continue;
        const auto same = [&](const std::string& n) { return Lower(n) == Lower(name); };
        names.erase(std::remove_if(names.begin(), names.end(), same), names.end());
        names.push_back(name);
    }
    if (!names.empty()) names.pop_back();  // the one before: kept
    for (const std::string& name : names) files.Remove(JoinBannerPath(folder, name));
}

bool StoreBanner(files::FilesApi& files, const std::u16string& folder, const std::string& name,
                 const std::string& bytes) {
    // No folder of our own, no file: the current directory is anybody's.
    if (folder.empty() || !IsBannerFileName(name)) return false;
    const std::u16string listPath = JoinBannerPath(folder, kBannerListName);
    std::vector<std::uint8_t> read;
    // No list yet: nothing is listed.
    if (const files::Error e = files.ReadAll(listPath, read, kMaxBannerListBytes))
        if (e != files::kFileNotFound) return false;
    const std::string list(read.begin(), read.end());
    const std::u16string path = JoinBannerPath(folder, name);
    if (!IsListedBanner(list, name)) {
        // Not ours: a picture the user keeps beside the program, say.
        if (files.Exists(path)) return false;
        // Listed first: an image the list does not name would stay behind
        // when Dovrane is uninstalled.
        const std::string entry = BannerListEntry(list, name);
        const std::vector<std::uint8_t> line(entry.begin(), entry.end());
        files::Error e = files.Append(listPath, line);
        if (e == files::kFileNotFound) e = files.CreateNew(listPath, line);
        if (e != files::kOk) return false;
    }
    if (files.ReplaceWhole(path, std::vector<std::uint8_t>(bytes.begin(), bytes.end())) !=
        files::kOk)
        return false;
    PruneBanners(files, folder, list, name);
    return true;
}

Banner::Banner(files::FilesApi& files, PictureBox& picture1, std::u16string programFolder)
    : files_(files), picture1_(picture1), programFolder_(std::move(programFolder)) {}

void Banner::DescriptionArrived(BannerFields fields) {
    bannerLink_ = std::move(fields.link);
}

void Banner::ImageArrived(std::string fileName, std::string bytes) {
    // Shown from the bytes in memory; only a picture that decodes is stored,
    // and one that cannot be stored (a folder a limited account may not
    // write, a name taken by a file of the user's) is shown all the same.
    if (!picture1_.ShowPicture(bytes)) return;
    StoreBanner(files_, programFolder_, fileName, bytes);
}

void Banner::Picture1_Click(shell::Shell& shell, shell::Prompter& prompter) const {
    if (!shell::IsWebAddress(bannerLink_)) return;
    shell::OpenLink(shell, prompter, bannerLink_);
}

}  // namespace banner
