// The advertising banner of the main window: LoadBanner fetches the banner
// description from the maker's server, DownloadBanner the image; the Banner
// takes them as they come, sets the link, shows the image from memory and
// stores it in the program's folder; Picture1_Click follows the link.
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

#include "banner/Http.h"
#include "files/Files.h"
#include "shell/Prompter.h"
#include "shell/Shell.h"

namespace banner {

// The fixed address of the banner description on the maker's server.
inline constexpr const char kDescriptionAddress[] = DOVRANE_SERVER "/dovrane/dovrane.php";

// The description is two addresses of at most 2,083 characters each (the
// longest address Internet Explorer takes) and a file name: 8 KiB holds that
// with room to spare. Banners are some tens of kilobytes; 1 MiB still takes
// an uncompressed bitmap of several times the banner area, and stops a
// server from filling the disk. The description is tiny and should arrive
// within a second; 4 s leave room for a slow dial-up line and a cold name
// lookup. The image gets 8 s: about 40 KB at modem speed. Together they bound
// how long a broken server keeps a transfer alive; the start itself waits
// for it only kBannerGraceMs.
inline constexpr FetchLimits kDescriptionLimits{8 * 1024, 4000};
inline constexpr FetchLimits kImageLimits{1024 * 1024, 8000};

// The fetches run beside the load, and the load waits for the banner at most
// this long after they began. A server that answers on a normal connection
// delivers both in a fraction of it, so the banner is in the box when the
// window first shows; a slower one costs the start no more than this, and its
// banner appears when it comes.
inline constexpr unsigned kBannerGraceMs = 400;

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
// always inserted, also after a folder that ends in one. The folder is the
// program's, exact whatever script names it; the name is plain ASCII (a
// banner's, IsBannerFileName, or the list's) and is widened as it is.
std::u16string JoinBannerPath(const std::u16string& folder, const std::string& name);

// The list of the banner images Dovrane has put in its folder, one bare name
// a line, each ended by CR LF. The uninstaller deletes the images it finds
// listed and nothing else, so a name is listed before its image is written,
// and a file that is not listed is never written over: it may be the user's.
inline constexpr const char kBannerListName[] = "Dovrane-banners.txt";
// A list of some thousand names; anything much larger is not ours, and no
// banner is stored beside it.
inline constexpr std::size_t kMaxBannerListBytes = 256 * 1024;

// The picture box that shows the banner (Picture1).
class PictureBox {
  public:
    virtual ~PictureBox() = default;
    // Decodes a picture from the bytes in memory and shows it in place of
    // what the box showed. False when the bytes are no picture the loader
    // knows; the box then stays as it was.
    virtual bool ShowPicture(const std::string& bytes) = 0;
};

// Where the fetches hand over what they got, in this order: the description,
// then (when it names a banner that passes every check) the image.
class BannerSink {
  public:
    virtual ~BannerSink() = default;
    virtual void DescriptionArrived(BannerFields fields) = 0;
    // `fileName` passed IsBannerFileName, `bytes` IsBannerPictureSize.
    virtual void ImageArrived(std::string fileName, std::string bytes) = 0;
};

// The banner's fetches; both touch nothing but `inet1` and `sink`, so that
// they can run on a thread of their own. A failed fetch ends them.
// LoadBanner: the description, split, to the sink; then DownloadBanner.
void LoadBanner(Http& inet1, const std::string& descriptionAddress, BannerSink& sink);
// DownloadBanner: when the image address is a web address and the file name
// a banner's, the image; and when its header gives a size the box can show,
// the image to the sink.
void DownloadBanner(Http& inet1, const std::string& imageAddress, std::string fileName,
                    BannerSink& sink);

// True when `list` (the contents of the banner list) has a whole line, ended
// by a line feed, that is `name` regardless of case. A last line without its
// end may be an append cut short and does not count: the uninstaller skips
// it as well.
bool IsListedBanner(const std::string& list, const std::string& name);

// What to append to `list` to list `name`: the name and CR LF, after a CR LF
// of its own when the list ends in a line cut short.
std::string BannerListEntry(const std::string& list, const std::string& name);

// Writes the image to folder\name when it is ours to write: its name listed
// already, or listed now when nothing of that name is there (the list is
// made with its first name). Writes nothing when the list cannot be read or
// appended whole, or when the name is taken by a file that is not listed.
// The image replaces an older one whole or not at all. True when it was
// written; the older banners are then pruned (PruneBanners).
bool StoreBanner(files::FilesApi& files, const std::u16string& folder, const std::string& name,
                 const std::string& bytes);

// After `current` was written and shown (by StoreBanner, with the list as
// it read it): every other image `list` names
// is deleted but the newest listed before it, so that at most two banners
// are on the disk however often the server names a new one. Only whole lines
// of the list that are banner names (IsBannerFileName) are touched; the list
// keeps every name, so that the uninstaller still finds any image a delete
// could not remove.
void PruneBanners(files::FilesApi& files, const std::u16string& folder, const std::string& list,
                  const std::string& current);

// The banner as the main window holds it: on the interface thread, it takes
// what the fetches deliver.
class Banner final : public BannerSink {
  public:
    // `files` stores the image in `programFolder` (none when empty),
    // `picture1` shows it.
    Banner(files::FilesApi& files, PictureBox& picture1, std::u16string programFolder);

    // Sets BannerLink: from now on a click follows it.
    void DescriptionArrived(BannerFields fields) override;
    // Shows the image from the bytes in memory, then stores a picture that
    // decoded (StoreBanner). A banner that cannot be stored is still shown.
    void ImageArrived(std::string fileName, std::string bytes) override;

    // Opens BannerLink with the shell when it is a web address; a result of
    // exactly 0 shows "No browser installed! Cannot open help file.".
    void Picture1_Click(shell::Shell& shell, shell::Prompter& prompter) const;

    const std::string& BannerLink() const { return bannerLink_; }

  private:
    files::FilesApi& files_;
    PictureBox& picture1_;
    std::u16string programFolder_;
    std::string bannerLink_;
};

}  // namespace banner
