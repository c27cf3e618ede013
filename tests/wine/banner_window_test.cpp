// The real Dovrane.exe against a banner server that answers normally,
// refuses, never answers, trickles, cuts short, sends too much, sends an
// error page or names a hostile file. Whatever it does, the window comes up,
// the banner shows only in the normal case and no file appears anywhere but
// the program's folder. Also the order of the load (the splash up and
// painted while the description is fetched, gone after) and Help > About.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <memory>
#include <sstream>

#include "banner/Banner.h"
#include "banner_test_server.h"
#include "ui/frmAbout.h"
#include "ui/frmKestrow.h"
#include "ui/frmSplash.h"
#include "ui/resource.h"
#include "wine/support/Driver.h"

namespace {

using namespace wine_test;
using banner_test::HttpReply;
using banner_test::Ok;
using banner_test::ProgramPortLease;
using banner_test::Response;
using banner_test::TestServer;
using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

const std::string kServer = DOVRANE_SERVER;
const std::string kDescription = "/dovrane/dovrane.php";
const std::string kImage = "/dovrane/banner.gif";
const COLORREF kBannerCorner = RGB(0x33, 0x66, 0x99);  // the served banner's top-left

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(h, &found));
    FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// "Version major.minor.revision" from the executable's own version block,
// read with kernel32 alone (the test links no version.dll).
std::string VersionFromBlock(const std::string& exe) {
    const win32::Module module(LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    const HMODULE image = module.get();
    if (!image) return "";
    std::string text;
    HRSRC info = FindResourceA(image, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16));  // RT_VERSION
    const auto* bytes =
        info ? static_cast<const BYTE*>(LockResource(LoadResource(image, info))) : nullptr;
    const DWORD size = info ? SizeofResource(image, info) : 0;
    for (DWORD at = 0; bytes && at + sizeof(VS_FIXEDFILEINFO) <= size; at += 4) {
        const auto* fixed = reinterpret_cast<const VS_FIXEDFILEINFO*>(bytes + at);
        if (fixed->dwSignature != 0xFEEF04BD) continue;
        text = "Version " + std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
               std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
               std::to_string(HIWORD(fixed->dwFileVersionLS));
        break;
    }
    return text;
}

std::string Description(const std::string& name, const std::string& link = "") {
    return kServer + kImage + "\n" + (link.empty() ? kServer + "/dovrane" : link) + "\n" + name +
           "\n";
}

// The program runs as a copy of this name. Without a window manager Wine
// waits up to 2 s for one whenever a managed window is hidden, as the splash
// screen is; Wine is told to manage none of this copy's windows, which
// keeps every run seconds shorter and touches no other program.
const char kExeName[] = "Dovrane-banner.exe";
const char kUnmanagedKey[] = "Software\\Wine\\AppDefaults\\Dovrane-banner.exe\\X11 Driver";

class BannerWindow : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        lease_ = std::make_unique<ProgramPortLease>();
        win32::Key key;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, kUnmanagedKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                            key.put(), nullptr) == ERROR_SUCCESS) {
            RegSetValueExA(key.get(), "Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
        }
    }
    static void TearDownTestSuite() {
        RegDeleteKeyA(HKEY_CURRENT_USER, kUnmanagedKey);
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\Dovrane-banner.exe");
        lease_.reset();
    }

    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        root = std::string(temp) + "dovrane-banner";
        app = root + "\\app";
        Clean();
        CreateDirectoryA(root.c_str(), nullptr);
        CreateDirectoryA(app.c_str(), nullptr);
        ASSERT_TRUE(CopyFileA(DovraneExe().c_str(), (app + "\\" + kExeName).c_str(), FALSE));
        gif = ReadFile(WindowsPath(DOVRANE_SOURCE_DIR) + "\\server\\www\\dovrane\\banner.gif");
        ASSERT_GT(gif.size(), 100u);
    }
    void TearDown() override { Clean(); }
    void Clean() {
        for (const auto& name : FilesIn(app)) DeleteFileA((app + "\\" + name).c_str());
        RemoveDirectoryA(app.c_str());
        for (const auto& name : FilesIn(root)) DeleteFileA((root + "\\" + name).c_str());
        RemoveDirectoryA(root.c_str());
        DeleteFileA("C:\\x.gif");
    }

    std::unique_ptr<TestServer> Serve(const Response& description) {
        auto server = std::make_unique<TestServer>(lease_->port());
        server->On(kDescription, description);
        server->On(kImage, Ok(gif, "image/gif"));
        return server;
    }

    struct Outcome {
        bool windowUp = false;
        long long ms = 0;  // from start to the visible main window
        Clock::time_point shownAt;
        bool bannerFileAtFirstShow = false;
        bool banner = false;
        // WM_GETTEXT sent to a splash label while the load ran: how many
        // were answered, and the longest any took (a time-out counts whole).
        int splashAnswers = 0;
        long long slowestAnswerMs = 0;
        long long exitMs = 0;  // from WM_CLOSE to the process's end
    };

    // Starts the program and watches its load closely: the splash's version
    // label is asked for its text again and again until the main window is
    // visible. Then looks at the banner area (for `bannerWaitMs`), runs
    // `alsoDo`, closes the program and times its end.
    Outcome StartAndLook(std::function<void(HWND, const Process&)> alsoDo = nullptr,
                         int bannerWaitMs = 3000) {
        Outcome out;
        const auto start = Clock::now();
        Process dovrane = StartDovrane(app + "\\" + kExeName);
        HWND main = nullptr;
        while (!main && Clock::now() - start < milliseconds(30000)) {
            main = WaitForWindow(dovrane.id(), "frmKestrow", nullptr, milliseconds(0));
            if (main) break;
            HWND splash = WaitForWindow(dovrane.id(), "frmSplash", nullptr, milliseconds(0));
            HWND label = splash ? GetDlgItem(splash, ui::kSplashLblVersion) : nullptr;
            if (!label) {
                Sleep(5);
                continue;
            }
            char text[64] = {};
            DWORD_PTR copied = 0;
            const auto asked = Clock::now();
            const bool answered =
                SendMessageTimeoutA(label, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                                    SMTO_NORMAL, 2000, &copied) != 0;
            const long long took =
                std::chrono::duration_cast<milliseconds>(Clock::now() - asked).count();
            // A label gone meanwhile says nothing either way.
            if (answered || IsWindow(label)) {
                out.slowestAnswerMs = std::max(out.slowestAnswerMs, took);
                if (answered && std::string(text) == "Version 1.0.0") ++out.splashAnswers;
            }
            Sleep(5);
        }
        out.shownAt = Clock::now();
        out.bannerFileAtFirstShow = Exists(app + "\\banner.gif");
        out.ms = std::chrono::duration_cast<milliseconds>(out.shownAt - start).count();
        out.windowUp = main != nullptr;
        if (!main) return out;
        Activate(main);
        HWND box = FindChildById(main, ui::kPicture1);
        out.banner = box && WaitFor([&] { return Corner(box) == kBannerCorner; },
                                    milliseconds(bannerWaitMs));
        if (alsoDo) alsoDo(main, dovrane);
        const auto closed = Clock::now();
        PostMessageA(main, WM_CLOSE, 0, 0);
        dovrane.WaitExit(milliseconds(10000));
        out.exitMs = std::chrono::duration_cast<milliseconds>(Clock::now() - closed).count();
        return out;
    }
    // The banner area's pixel just inside its sunken edge.
    static COLORREF Corner(HWND box) {
        POINT p = {4, 4};
        ClientToScreen(box, &p);
        return GetPixel(win32::WindowDc(nullptr).get(), p.x, p.y);
    }
    // Nothing but the program and, when given, the banner file.
    void ExpectFolders(const std::vector<std::string>& appFiles) {
        EXPECT_EQ(FilesIn(app), appFiles);
        EXPECT_EQ(FilesIn(root), std::vector<std::string>{"app"});
        EXPECT_FALSE(Exists("C:\\x.gif"));
    }

    static std::unique_ptr<ProgramPortLease> lease_;
    std::string root, app, gif;
};

std::unique_ptr<ProgramPortLease> BannerWindow::lease_;

TEST_F(BannerWindow, NormalBannerIsThereWhenTheWindowFirstShowsListedAndStored) {
    auto server = Serve(Ok(Description("banner.gif")));
    const Outcome out = StartAndLook();
    ASSERT_TRUE(out.windowUp);
    EXPECT_TRUE(out.bannerFileAtFirstShow);
    EXPECT_TRUE(out.banner);
    EXPECT_EQ(server->Requests(), (std::vector<std::string>{kDescription, kImage}));
    EXPECT_EQ(ReadFile(app + "\\banner.gif"), gif);
    EXPECT_EQ(ReadFile(app + "\\Dovrane-banners.txt"), "banner.gif\r\n");
    ExpectFolders({"Dovrane-banner.exe", "Dovrane-banners.txt", "banner.gif"});
}

TEST_F(BannerWindow, ListedBannerIsReplacedWholeAndAUsersFileNever) {
    const std::string older(100000, 'Z');
    for (bool listed : {true, false}) {
        {
            std::ofstream list(app + "\\Dovrane-banners.txt", std::ios::binary | std::ios::trunc);
            list << (listed ? "BANNER.GIF\r\n" : "");
            std::ofstream old(app + "\\banner.gif", std::ios::binary | std::ios::trunc);
            old << older;
        }
        auto server = Serve(Ok(Description("banner.gif")));
        EXPECT_TRUE(StartAndLook().banner) << listed;
        EXPECT_EQ(ReadFile(app + "\\banner.gif"), listed ? gif : older) << listed;
        EXPECT_EQ(ReadFile(app + "\\Dovrane-banners.txt"), listed ? "BANNER.GIF\r\n" : "")
            << listed;
    }
}

// Servers that hold the banner up: the window is up within the grace after
// the description was asked for, the splash answers sent messages all the
// while, and the process ends within a second of its window's close.
TEST_F(BannerWindow, ServerThatIsLateHoldsNothingUp) {
    Response hung;
    hung.hang = true;
    Response trickling = Ok(Description("banner.gif"));
    trickling.byteDelayMs = 3000;  // a header byte every 3 s
    Response slow = Ok(Description("banner.gif"));
    slow.delayMs = 1500;
    const struct {
        const char* name;
        Response description;
        bool bannerLater;
    } cases[] = {{"hung", hung, false},
                 {"trickling", trickling, false},
                 {"slow", slow, true},
                 // Closed before its banner comes: nothing is written.
                 {"slow, closed at once", slow, false}};
    for (const auto& c : cases) {
        DeleteFileA((app + "\\banner.gif").c_str());
        DeleteFileA((app + "\\Dovrane-banners.txt").c_str());
        std::atomic<long long> askedAt{0};  // outlives the server's threads
        auto server = Serve(c.description);
        server->OnRequest([&](const std::string& path) {
            if (path == kDescription) askedAt = Clock::now().time_since_epoch().count();
        });
        const Outcome out = StartAndLook(nullptr, c.bannerLater ? 4000 : 0);
        ASSERT_TRUE(out.windowUp) << c.name;
        ASSERT_NE(askedAt, 0) << c.name;
        const auto held = out.shownAt - Clock::time_point(Clock::duration(askedAt.load()));
        EXPECT_LT(held, milliseconds(banner::kBannerGraceMs + 600)) << c.name;
        EXPECT_GE(out.splashAnswers, 1) << c.name;
        // Waiting on any of these servers takes 1.5 s at the least: a splash
        // that answered every time in well under that never waited on one,
        // however busy the machine.
        EXPECT_LT(out.slowestAnswerMs, 1000) << c.name;
        EXPECT_FALSE(out.bannerFileAtFirstShow) << c.name;
        EXPECT_EQ(out.banner, c.bannerLater) << c.name;
        EXPECT_LT(out.exitMs, 1000) << c.name;
        if (!c.bannerLater) ExpectFolders({kExeName});
    }
}

TEST_F(BannerWindow, RefusingServerStartsWithoutBanner) {
    const Outcome out = StartAndLook();  // nothing listens
    ASSERT_TRUE(out.windowUp);
    EXPECT_FALSE(out.banner);
    EXPECT_LT(out.ms, 10000);
    ExpectFolders({kExeName});
}

TEST_F(BannerWindow, BrokenDescriptionsGiveNoBanner) {
    Response slow = Ok(Description("banner.gif"));
    slow.byteDelayMs = 300;
    Response cut = Ok(Description("banner.gif"));
    cut.closeAfter = cut.bytes.size() - 20;
    const Response huge = Ok(Description("banner.gif") + std::string(64 * 1024, '#'));
    const Response error{HttpReply(500, Description("banner.gif"))};
    const Response crlf = Ok(kServer + kImage + "\r\n" + kServer + "/dovrane\r\nbanner.gif\r\n");
    int i = 0;
    for (const Response& r : {slow, cut, huge, error, crlf}) {
        auto server = Serve(r);
        const Outcome out = StartAndLook();
        EXPECT_TRUE(out.windowUp) << i;
        EXPECT_FALSE(out.banner) << i;
        EXPECT_LT(out.ms, 14000) << i;
        // Not even the image was asked for.
        const std::vector<std::string> asked = server->Requests();
        EXPECT_EQ(std::count(asked.begin(), asked.end(), kImage), 0) << i;
        ExpectFolders({kExeName});
        ++i;
    }
}

TEST_F(BannerWindow, BrokenImagesGiveNoBanner) {
    Response slow = Ok(gif, "image/gif");
    slow.byteDelayMs = 50;  // 2.8 KB at 20 bytes a second
    Response cut = Ok(gif, "image/gif");
    cut.closeAfter = cut.bytes.size() / 2;
    const Response huge = Ok(gif + std::string(2 << 20, '\0'), "image/gif");
    const Response missing{HttpReply(404, "<html>Not Found</html>", "text/html")};
    int i = 0;
    for (const Response& r : {slow, cut, huge, missing}) {
        auto server = Serve(Ok(Description("banner.gif")));
        server->On(kImage, r);
        const Outcome out = StartAndLook();
        EXPECT_TRUE(out.windowUp) << i;
        EXPECT_FALSE(out.banner) << i;
        EXPECT_LT(out.ms, 18000) << i;
        ExpectFolders({kExeName});
        ++i;
    }
}

TEST_F(BannerWindow, ImageTooLargeOrNoPictureIsNeitherStoredNorShown) {
    // A GIF header of 15000 x 15000 pixels and nothing after it: decoding it
    // would ask for some 900 MB.
    const std::string huge = std::string("GIF89a\x98\x3A\x98\x3A\x00\x00\x00", 13) +
                             std::string("\x2C\x00\x00\x00\x00\x98\x3A\x98\x3A\x00", 10);
    for (const auto& [bytes, type] : {std::pair<std::string, const char*>{huge, "image/gif"},
                                      {"<html><body>Sorry</body></html>", "text/html"}}) {
        auto server = Serve(Ok(Description("banner.gif")));
        server->On(kImage, Ok(bytes, type));
        const Outcome out = StartAndLook();
        ASSERT_TRUE(out.windowUp) << type;
        EXPECT_FALSE(out.banner) << type;
        ExpectFolders({kExeName});
    }
}

TEST_F(BannerWindow, HostileFileNamesWriteNothingAnywhere) {
    for (const char* name : {"..\\x.gif", "C:\\x.gif", "version.dll", "CON", "CON.gif",
                             "..\\app\\x.gif", "x.gif:stream", "x.exe"}) {
        auto server = Serve(Ok(Description(name)));
        const Outcome out = StartAndLook();
        EXPECT_TRUE(out.windowUp) << name;
        EXPECT_FALSE(out.banner) << name;
        EXPECT_EQ(server->Requests(), std::vector<std::string>{kDescription}) << name;
        ExpectFolders({kExeName});
    }
}

TEST_F(BannerWindow, ClickOpensNoLocalProgram) {
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    auto server = Serve(Ok(Description("banner.gif", std::string(windows) + "\\notepad.exe")));
    bool opened = true;
    const Outcome out = StartAndLook([&](HWND main, const Process&) {
        Click(FindChildById(main, ui::kPicture1));
        opened =
            WaitFor([] { return FindWindowA("Notepad", nullptr) != nullptr; }, milliseconds(2000));
    });
    EXPECT_TRUE(out.banner);
    EXPECT_FALSE(opened);
}

TEST_F(BannerWindow, SplashIsUpAndPaintedWhileTheDescriptionIsFetched) {
    auto server = Serve(Ok(Description("banner.gif")));
    std::atomic<bool> splashUp{false}, splashPainted{false}, mainShown{true};
    std::string version;  // written by the hook, read after the program closed
    // Runs while the program waits for the description: only Dovrane makes
    // splash windows, so the class finds it.
    server->OnRequest([&](const std::string& path) {
        if (path != kDescription) return;
        HWND splash = nullptr;
        WaitFor(
            [&] {
                splash = FindWindowA("frmSplash", nullptr);
                return splash && IsWindowVisible(splash);
            },
            milliseconds(2000));
        splashUp = splash && IsWindowVisible(splash);
        if (!splashUp) return;
        DWORD pid = 0;
        GetWindowThreadProcessId(splash, &pid);
        mainShown = WaitForWindow(pid, "frmKestrow", nullptr, milliseconds(0)) != nullptr;
        // For another process's window GetWindowText reads the text
        // without asking the window.
        char text[64] = {};
        GetWindowTextA(GetDlgItem(splash, ui::kSplashLblVersion), text, sizeof text);
        version = text;
        // The product name in large dark letters, already on the screen.
        RECT r;
        GetWindowRect(GetDlgItem(splash, ui::kSplashLblProductName), &r);
        const win32::WindowDc dc(nullptr);
        int dark = 0;
        for (int y = r.top; y < r.bottom; y += 2)
            for (int x = r.left; x < r.right; x += 2)
                if (GetRValue(GetPixel(dc.get(), x, y)) < 80) ++dark;
        splashPainted = dark > 20;
    });
    bool splashGone = false;
    const Outcome out = StartAndLook([&](HWND, const Process& p) {
        splashGone = WaitForWindow(p.id(), "frmSplash", nullptr, milliseconds(0)) == nullptr;
    });
    EXPECT_TRUE(out.banner);
    EXPECT_TRUE(splashUp);
    EXPECT_TRUE(splashPainted);
    EXPECT_FALSE(mainShown);
    EXPECT_TRUE(splashGone);
    EXPECT_EQ(version, "Version 1.0.0");
    EXPECT_EQ(version, VersionFromBlock(app + "\\" + kExeName));
}

TEST_F(BannerWindow, HelpAboutShowsTheAboutBoxModallyEachTime) {
    auto server = Serve(Ok(Description("banner.gif")));
    std::string first, second;
    bool mainBlocked = false;
    StartAndLook([&](HWND main, const Process& p) {
        for (std::string* version : {&first, &second}) {
            Activate(main);
            PostMessageA(main, WM_COMMAND, IDM_HELP_ABOUT, 0);
            HWND about = WaitForWindow(p.id(), "#32770", "About Dovrane", milliseconds(5000));
            if (!about) return;
            *version = TextOf(GetDlgItem(about, ui::kAboutLblVersion));
            mainBlocked = !IsWindowEnabled(main);
            Activate(about);
            PressKey(VK_ESCAPE);
            WaitFor([about] { return !IsWindow(about); }, milliseconds(5000));
        }
    });
    EXPECT_EQ(first, "Version 1.0.0");
    EXPECT_EQ(second, "Version 1.0.0");
    EXPECT_TRUE(mainBlocked);
}

}  // namespace
