// libFuzzer target over what the banner's server sends: whatever it is, the
// description's split never crashes, a file name the rule lets through always
// names a file directly inside the program's folder and, once appended to
// any banner list, is listed in it; and a picture header is read without
// reading past its end.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "banner/Banner.h"
#include "banner/PictureHeader.h"
#include "shell/Shell.h"

namespace {

const std::u16string kFolder = u"C:\\Program Files\\Dovrane";
const std::string kAddr = "http://127.0.0.1:8917/dovrane/dovrane.php";

void Require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string reply(reinterpret_cast<const char*>(data), size);
    const banner::BannerFields f = banner::SplitDescription(reply, kAddr);

    // The fields are pieces of the reply, none with a line feed in it.
    for (const std::string* field : {&f.imageAddress, &f.fileName})
        Require(field->size() <= size && field->find('\n') == std::string::npos);
    Require(f.link == kAddr || f.link.find('\n') == std::string::npos);
    Require(reply.compare(0, f.imageAddress.size(), f.imageAddress) == 0);

    if (banner::IsBannerFileName(f.fileName)) {
        const std::u16string path = banner::JoinBannerPath(kFolder, f.fileName);
        const std::u16string rest = path.substr(kFolder.size() + 1);
        // Nothing but a plain name after the folder and its backslash, each
        // character as the description gave it: no separator, drive, stream,
        // parent reference or device.
        Require(path.compare(0, kFolder.size() + 1, kFolder + u"\\") == 0);
        Require(rest.size() == f.fileName.size());
        for (std::size_t i = 0; i < rest.size(); ++i)
            Require(rest[i] == static_cast<unsigned char>(f.fileName[i]) && rest[i] >= 0x20 &&
                    rest[i] < 0x80);
        Require(rest.find_first_of(u"\\/:") == std::u16string::npos);
        Require(rest != u"." && rest != u".." && rest.find(u"..") == std::u16string::npos);
        const std::u16string ext = rest.substr(rest.rfind(u'.') + 1);
        Require(ext.size() == 3 || ext.size() == 4);
    }
    if (shell::IsWebAddress(f.link)) {
        Require(f.link.find_first_of("\r\n\" ") == std::string::npos);
    }
    // The same bytes as the banner list on disk: a name appended to it is
    // then listed, so the uninstaller will find it.
    if (banner::IsBannerFileName(f.fileName)) {
        const std::string listed = reply + banner::BannerListEntry(reply, f.fileName);
        Require(banner::IsListedBanner(listed, f.fileName));
    }
    // The same bytes as a banner image: the header reader stays within them
    // (the sanitizers watch) and never gives an empty side.
    if (const auto pixels = banner::ReadPixelSize(reply))
        Require(pixels->width > 0 && pixels->height > 0);
    return 0;
}
