// The advertising banner of the main window: LoadBanner fetches the banner
// description from the maker's server, DownloadBanner fetches the image,
// stores it in the program's folder and shows it from that file, and
// Picture1_Click follows the banner's link.
//
// The description is three lines separated by bare line feeds: image address,
// link address, file name. Whatever the server sends, the banner can only
// fail: no file lands outside the program's folder, nothing but an image
// file is written, only web links reach the shell, and every fetch is
// bounded in time and size. A failure leaves the banner area empty and says
// nothing; the program starts as usual.
#pragma once
#include <cstddef>
#include <string>

#include "ui/Http.h"
#include "ui/Prompter.h"
#include "ui/Shell.h"

namespace ui {

// The fixed address of the banner description on the maker's server.
inline constexpr const char kDescriptionAddress[] = DOVRANE_SERVER "/dovrane/dovrane.php";

// The description is two addresses of at most 2,083 characters each (the
// longest address Internet Explorer takes) and a file name: 8 KiB holds that
// with room to spare. Banners are some tens of kilobytes; 1 MiB still takes
// an uncompressed bitmap of several times the banner area, and stops a
// server from filling the disk. The description is tiny and should arrive
// within a second; 4 s leave room for a slow dial-up line and a cold name
// lookup. The image gets 8 s: about 40 KB at modem speed. Together they bound
// how long a broken server can hold up the start.
inline constexpr FetchLimits kDescriptionLimits{8 * 1024, 4000};
inline constexpr FetchLimits kImageLimits{1024 * 1024, 8000};

// The three fields of a description. Nothing is trimmed: a carriage return
// before a line feed stays part of its field.
struct BannerFields {
    std::string imageAddress;
    std::string link;
    std::string fileName;
};

// Splits a description reply. Only a line feed separates lines; text after
// the third line feed is ignored. A missing first or third line gives an
// empty field; a missing second line leaves the link at `descriptionAddress`.
BannerFields SplitDescription(const std::string& reply, const std::string& descriptionAddress);

// True for a file name the banner may be stored under: letters, digits, '.',
// '-' and '_' only (so no folder, drive or stream part), not a device name,
// nothing Windows alters, and ending in .gif, .jpg, .jpeg or .bmp. Anything
// else could place a file outside the program's folder or plant code beside
// it.
bool IsBannerFileName(const std::string& name);

// The banner file's path: folder, one backslash, name. The backslash is
// always inserted, also after a folder that ends in one.
std::string JoinBannerPath(const std::string& folder, const std::string& name);

// Stores the banner image. Paths are UTF-8, so that a program folder named in
// any script stays exact; the Win32 side writes through CreateFileW.
class FileWriter {
  public:
    virtual ~FileWriter() = default;
    // Creates or replaces the file so that it holds exactly `bytes`: an older,
    // longer file leaves no tail. False when the file could not be written
    // whole (then no partial file is left behind).
    virtual bool WriteWhole(const std::string& path, const std::string& bytes) = 0;
};

// The picture box that shows the banner (Picture1).
class PictureBox {
  public:
    virtual ~PictureBox() = default;
    // Loads a picture from the file with the platform's picture loader and
    // shows it in place of what the box showed. False when the file is no
    // picture the loader knows; the box then stays as it was.
    virtual bool LoadPicture(const std::string& path) = 0;
};

class Banner {
  public:
    // `inet1` makes both fetches; `files` stores the image in `programFolder`.
    // An empty folder (it could not be determined) means no banner: the
    // image is neither fetched nor written anywhere else.
    Banner(Http& inet1, FileWriter& files, std::string programFolder,
           std::string descriptionAddress = kDescriptionAddress);

    // Fetches and splits the description, sets BannerLink, then always calls
    // DownloadBanner with the image address and file name (empty or not).
    void LoadBanner(PictureBox& picture1);

    // Fetches the image, writes it whole to programFolder\fileName, closes it
    // and shows it from that file. Does nothing unless the image address is
    // a web address and the name passes IsBannerFileName, and neither writes
    // nor shows an image unless IsBannerPictureSize takes its header.
    void DownloadBanner(PictureBox& picture, const std::string& imageAddress,
                        const std::string& fileName);

    // Opens BannerLink with the shell when it is a web address; a result of
    // exactly 0 shows "No browser installed! Cannot open help file.".
    void Picture1_Click(Shell& shell, Prompter& prompter) const;

    const std::string& BannerLink() const { return bannerLink_; }

  private:
    Http& inet1_;
    FileWriter& files_;
    std::string programFolder_;
    std::string descriptionAddress_;
    std::string bannerLink_;
};

}  // namespace ui
