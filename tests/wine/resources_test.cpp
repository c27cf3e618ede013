// The resources of the built Dovrane.exe, read back from the file with the
// calls Windows itself uses on them: the manifest through an activation
// context, the version block through the version API, the icon, the cursor
// and the menu through the resource loader.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "ui/resource.h"
#include "wine/support/Driver.h"

namespace {

using wine_test::DovraneExe;

// The executable opened as data: its resources, none of its code.
class Resources : public testing::Test {
  protected:
    void SetUp() override {
        module_.reset(LoadLibraryExA(DovraneExe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
        exe_ = module_.get();
        ASSERT_NE(exe_, nullptr) << DovraneExe();
    }
    void TearDown() override { module_.reset(); }
    std::string Bytes(LPCSTR type, LPCSTR name) {
        HRSRC found = FindResourceA(exe_, name, type);
        if (!found) return "";
        const char* data = static_cast<const char*>(LockResource(LoadResource(exe_, found)));
        return data ? std::string(data, SizeofResource(exe_, found)) : "";
    }
    win32::Module module_;
    HMODULE exe_ = nullptr;  // module_, as the calls take it
};

// The processor a PE file is for, from its file header; 0 when unreadable.
WORD Machine(const std::string& path) {
    const win32::File file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
    IMAGE_DOS_HEADER dos = {};
    DWORD got = 0;
    if (!file || !ReadFile(file.get(), &dos, sizeof dos, &got, nullptr) || got != sizeof dos)
        return 0;
    DWORD signature = 0;
    IMAGE_FILE_HEADER header = {};
    if (SetFilePointer(file.get(), dos.e_lfanew, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER ||
        !ReadFile(file.get(), &signature, sizeof signature, &got, nullptr) ||
        signature != IMAGE_NT_SIGNATURE ||
        !ReadFile(file.get(), &header, sizeof header, &got, nullptr) || got != sizeof header)
        return 0;
    return header.Machine;
}

// The attributes of each element named `tag` in a small XML text.
std::vector<std::map<std::string, std::string>> Elements(const std::string& xml,
                                                         const std::string& tag) {
    std::vector<std::map<std::string, std::string>> out;
    for (size_t at = xml.find("<" + tag); at != std::string::npos;
         at = xml.find("<" + tag, at + 1)) {
        const size_t end = xml.find('>', at);
        const std::string body = xml.substr(at + tag.size() + 1, end - at - tag.size() - 1);
        std::map<std::string, std::string> attrs;
        for (size_t eq = body.find("=\""); eq != std::string::npos; eq = body.find("=\"", eq + 2)) {
            const size_t nameStart = body.find_last_of(" \t\r\n", eq) + 1;
            const size_t close = body.find('"', eq + 2);
            attrs[body.substr(nameStart, eq - nameStart)] = body.substr(eq + 2, close - eq - 2);
        }
        out.push_back(attrs);
    }
    return out;
}

TEST_F(Resources, ManifestNamesTheProgramAndAsksForCommonControls6) {
    const std::string xml = Bytes(MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1));  // RT_MANIFEST
    ASSERT_FALSE(xml.empty()) << "no manifest";
    EXPECT_EQ(xml.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>", 0), 0u);
    for (unsigned char ch : xml) EXPECT_LT(ch, 0x80) << "not plain ASCII, so not plain UTF-8";

    // Windows takes the common controls of the program's own width only. The
    // width is the file's own: the 64-bit build also checks the shipped
    // 32-bit program where no 32-bit program can run.
    const WORD machine = Machine(DovraneExe());
    ASSERT_TRUE(machine == IMAGE_FILE_MACHINE_I386 || machine == IMAGE_FILE_MACHINE_AMD64);
    const std::string arch = machine == IMAGE_FILE_MACHINE_AMD64 ? "amd64" : "X86";
    const auto ids = Elements(xml, "assemblyIdentity");
    ASSERT_EQ(ids.size(), 2u);
    const std::map<std::string, std::string> program = {{"version", "1.0.0.0"},
                                                        {"processorArchitecture", arch},
                                                        {"name", "Ostrabend.Kestrow.Kestrow"},
                                                        {"type", "win32"}};
    const std::map<std::string, std::string> controls = {
        {"type", "win32"},
        {"name", "Microsoft.Windows.Common-Controls"},
        {"version", "6.0.0.0"},
        {"processorArchitecture", arch},
        {"publicKeyToken", "6595b64144ccf1df"},
        {"language", "*"}};
    EXPECT_EQ(ids[0], program);
    EXPECT_EQ(ids[1], controls);
    EXPECT_EQ(Elements(xml, "dependency").size(), 1u);
    EXPECT_NE(xml.find("<description></description>"), std::string::npos) << "description";
    EXPECT_LT(xml.find("<dependency"), xml.find("<assemblyIdentity", xml.find("<dependency")));

    // An activation context is made for a process of the manifest's width.
#ifdef _WIN64
    if (machine != IMAGE_FILE_MACHINE_AMD64) return;
#else
    if (machine != IMAGE_FILE_MACHINE_I386) return;
#endif
    // What the loader does with it: an activation context that sends
    // comctl32.dll to the side-by-side version 6. Asked of the context itself:
    // this test program has loaded comctl32 already (its own imports), and
    // a loaded module may be handed back whatever context is active.
    ACTCTXA ctx = {};
    ctx.cbSize = sizeof ctx;
    ctx.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    std::string path = DovraneExe();
    ctx.lpSource = path.c_str();
    ctx.lpResourceName = MAKEINTRESOURCEA(1);
    HANDLE actx = CreateActCtxA(&ctx);
    ASSERT_NE(actx, INVALID_HANDLE_VALUE) << "the manifest does not parse: " << GetLastError();
    ULONG_PTR cookie = 0;
    ASSERT_TRUE(ActivateActCtx(actx, &cookie));
    ACTCTX_SECTION_KEYED_DATA found = {};
    found.cbSize = sizeof found;
    const BOOL redirected = FindActCtxSectionStringA(
        FIND_ACTCTX_SECTION_KEY_RETURN_HACTCTX, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION,
        "comctl32.dll", &found);
    DeactivateActCtx(0, cookie);
    EXPECT_TRUE(redirected) << "comctl32.dll is not redirected: " << GetLastError();
    if (redirected) {
        EXPECT_EQ(found.hActCtx, actx);
        ReleaseActCtx(found.hActCtx);
    }
    ReleaseActCtx(actx);
}

// The version API, loaded where it lives.
class VersionInfo {
  public:
    explicit VersionInfo(const std::string& file) {
        HMODULE dll = LoadLibraryA("version.dll");
        auto size = reinterpret_cast<DWORD(WINAPI*)(LPCSTR, LPDWORD)>(
            reinterpret_cast<void*>(GetProcAddress(dll, "GetFileVersionInfoSizeA")));
        auto get = reinterpret_cast<BOOL(WINAPI*)(LPCSTR, DWORD, DWORD, LPVOID)>(
            reinterpret_cast<void*>(GetProcAddress(dll, "GetFileVersionInfoA")));
        query_ = reinterpret_cast<BOOL(WINAPI*)(LPCVOID, LPCSTR, LPVOID*, PUINT)>(
            reinterpret_cast<void*>(GetProcAddress(dll, "VerQueryValueA")));
        DWORD ignored = 0;
        if (!size || !get || !query_) return;
        block_.resize(size(file.c_str(), &ignored));
        if (block_.empty() ||
            !get(file.c_str(), 0, static_cast<DWORD>(block_.size()), block_.data()))
            block_.clear();
    }
    bool ok() const { return !block_.empty(); }
    const void* Query(const std::string& path, UINT* len) const {
        void* value = nullptr;
        return query_(block_.data(), path.c_str(), &value, len) ? value : nullptr;
    }
    std::string String(const std::string& name) const {
        UINT len = 0;
        const char* s =
            static_cast<const char*>(Query("\\StringFileInfo\\040904B0\\" + name, &len));
        return s ? std::string(s) : "<missing>";
    }

  private:
    std::vector<char> block_;
    BOOL(WINAPI* query_)(LPCVOID, LPCSTR, LPVOID*, PUINT) = nullptr;
};

TEST(VersionBlock, CarriesTheProductsNamesAndVersion) {
    VersionInfo info(DovraneExe());
    ASSERT_TRUE(info.ok()) << "no version block";
    EXPECT_EQ(info.String("CompanyName"), "Ostrabend");
    EXPECT_EQ(info.String("ProductName"), "Dovrane");
    EXPECT_EQ(info.String("InternalName"), "Dovrane");
    EXPECT_EQ(info.String("OriginalFilename"), "Dovrane.exe");
    EXPECT_EQ(info.String("FileVersion"), "1.00");
    EXPECT_EQ(info.String("ProductVersion"), "1.00");

    UINT len = 0;
    const auto* translation =
        static_cast<const WORD*>(info.Query("\\VarFileInfo\\Translation", &len));
    ASSERT_NE(translation, nullptr);
    ASSERT_EQ(len, 4u) << "one language only";
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 0x04B0);

    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(info.Query("\\", &len));
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);  // 1.0
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);           // .0.0
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
    EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u) << "marked debug or pre-release";
}

#pragma pack(push, 2)
struct GroupEntry {  // an RT_GROUP_ICON / RT_GROUP_CURSOR directory entry
    BYTE width, height, colors, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
struct CursorGroupEntry {
    WORD width, height;  // the height counts the mask too
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
struct GroupHeader {
    WORD reserved, type, count;
};
#pragma pack(pop)

BOOL CALLBACK CountName(HMODULE, LPCSTR, LPSTR, LONG_PTR count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

TEST_F(Resources, IconIsOne32x32SixteenColourDial) {
    int groups = 0;
    EnumResourceNamesA(exe_, MAKEINTRESOURCEA(14), CountName, reinterpret_cast<LONG_PTR>(&groups));
    EXPECT_EQ(groups, 1) << "Explorer shows the first icon group: there must be only ours";

    const std::string group = Bytes(MAKEINTRESOURCEA(14), MAKEINTRESOURCEA(IDI_DOVRANE));
    ASSERT_GE(group.size(), sizeof(GroupHeader) + sizeof(GroupEntry));
    const auto* head = reinterpret_cast<const GroupHeader*>(group.data());
    EXPECT_EQ(head->type, 1);
    ASSERT_EQ(head->count, 1) << "one image";
    const auto* entry = reinterpret_cast<const GroupEntry*>(group.data() + sizeof(GroupHeader));
    EXPECT_EQ(entry->width, 32);
    EXPECT_EQ(entry->height, 32);
    EXPECT_EQ(entry->colors, 16);
    const std::string image = Bytes(MAKEINTRESOURCEA(3), MAKEINTRESOURCEA(entry->id));
    ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER));
    const auto* bmi = reinterpret_cast<const BITMAPINFOHEADER*>(image.data());
    EXPECT_EQ(bmi->biWidth, 32);
    EXPECT_EQ(bmi->biHeight, 64);  // image and mask
    EXPECT_EQ(bmi->biBitCount, 4);

    // Drawn: a white dial, black lines, a red needle.
    HICON icon =
        static_cast<HICON>(LoadImageA(exe_, MAKEINTRESOURCEA(IDI_DOVRANE), IMAGE_ICON, 32, 32, 0));
    ASSERT_NE(icon, nullptr);
    const win32::MemoryDc memory(win32::WindowDc(nullptr).get());
    const HDC dc = memory.get();
    const win32::Bitmap bmp(CreateCompatibleBitmap(win32::WindowDc(nullptr).get(), 32, 32));
    const win32::Selection selected(dc, bmp.get());
    RECT all = {0, 0, 32, 32};
    FillRect(dc, &all, win32::Brush(CreateSolidBrush(RGB(0, 255, 0))).get());
    DrawIconEx(dc, 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL);
    std::map<std::string, int> counts;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const COLORREF c = GetPixel(dc, x, y);
            const int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
            if (c == RGB(0, 255, 0))
                ++counts["transparent"];
            else if (r > 200 && g > 200 && b > 200)
                ++counts["white"];
            else if (r < 60 && g < 60 && b < 60)
                ++counts["black"];
            else if (r > 120 && g < 60 && b < 60)
                ++counts["red"];
        }

    DeleteDC(dc);
    DestroyIcon(icon);
    EXPECT_GT(counts["transparent"], 100) << "a half-circle leaves corners free";
    EXPECT_GT(counts["white"], 100);
    EXPECT_GT(counts["black"], 30);
    EXPECT_GT(counts["red"], 5);
}

TEST_F(Resources, HandCursorIs32x32MonochromeWithItsHotSpotTopLeft) {
    const std::string group = Bytes(MAKEINTRESOURCEA(12), MAKEINTRESOURCEA(IDC_HAND_POINTER));
    ASSERT_GE(group.size(), sizeof(GroupHeader) + sizeof(CursorGroupEntry));
    const auto* head = reinterpret_cast<const GroupHeader*>(group.data());
    EXPECT_EQ(head->type, 2);
    ASSERT_EQ(head->count, 1);
    const auto* entry =
        reinterpret_cast<const CursorGroupEntry*>(group.data() + sizeof(GroupHeader));
    EXPECT_EQ(entry->width, 32);
    EXPECT_EQ(entry->height, 64);
    EXPECT_EQ(entry->bitCount, 1);
    const std::string image = Bytes(MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(entry->id));
    ASSERT_GE(image.size(), 4 + sizeof(BITMAPINFOHEADER));
    const auto* hotspot = reinterpret_cast<const WORD*>(image.data());
    EXPECT_EQ(hotspot[0], 0);
    EXPECT_EQ(hotspot[1], 0);
    const auto* bmi = reinterpret_cast<const BITMAPINFOHEADER*>(image.data() + 4);
    EXPECT_EQ(bmi->biWidth, 32);
    EXPECT_EQ(bmi->biBitCount, 1);
}

TEST_F(Resources, MenuIsFileEditThenHelp) {
    const win32::Menu menu(LoadMenuA(exe_, MAKEINTRESOURCEA(IDM_MAIN)));
    const HMENU bar = menu.get();
    ASSERT_NE(bar, nullptr);
    const auto text = [](HMENU menu, int pos) {
        char buf[64] = {};
        GetMenuStringA(menu, static_cast<UINT>(pos), buf, sizeof buf, MF_BYPOSITION);
        return std::string(buf);
    };
    ASSERT_EQ(GetMenuItemCount(bar), 3);
    EXPECT_EQ(text(bar, 0), "&File");
    EXPECT_EQ(text(bar, 1), "&Edit");
    EXPECT_EQ(text(bar, 2), "&Help");
    HMENU file = GetSubMenu(bar, 0);
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(GetMenuItemCount(file), 4);
    EXPECT_EQ(text(file, 0), "&Import Settings...");
    EXPECT_EQ(GetMenuItemID(file, 0), static_cast<UINT>(IDM_FILE_IMPORT));
    EXPECT_EQ(text(file, 1), "&Export Settings...");
    EXPECT_EQ(GetMenuItemID(file, 1), static_cast<UINT>(IDM_FILE_EXPORT));
    EXPECT_TRUE(GetMenuState(file, 2, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_EQ(text(file, 3), "E&xit");
    EXPECT_EQ(GetMenuItemID(file, 3), static_cast<UINT>(IDM_FILE_EXIT));
    HMENU edit = GetSubMenu(bar, 1);
    ASSERT_NE(edit, nullptr);
    ASSERT_EQ(GetMenuItemCount(edit), 4);
    EXPECT_EQ(text(edit, 0), "&Undo\tCtrl+Z");
    EXPECT_EQ(GetMenuItemID(edit, 0), static_cast<UINT>(IDM_EDIT_UNDO));
    EXPECT_TRUE(GetMenuState(edit, 0, MF_BYPOSITION) & MF_GRAYED) << "nothing to undo at first";
    EXPECT_TRUE(GetMenuState(edit, 1, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_EQ(text(edit, 2), "&Restore Backup...");
    EXPECT_EQ(GetMenuItemID(edit, 2), static_cast<UINT>(IDM_EDIT_RESTORE));
    EXPECT_EQ(text(edit, 3), "Open Backup &Folder");
    EXPECT_EQ(GetMenuItemID(edit, 3), static_cast<UINT>(IDM_EDIT_OPEN_FOLDER));
    HMENU help = GetSubMenu(bar, 2);
    ASSERT_NE(help, nullptr);
    // Exactly these, no separator, no shortcut key shown after a tab.
    ASSERT_EQ(GetMenuItemCount(help), 2);
    EXPECT_EQ(text(help, 0), "&Contents");
    EXPECT_EQ(text(help, 1), "&About");
    EXPECT_EQ(GetMenuItemID(help, 0), static_cast<UINT>(IDM_HELP_CONTENTS));
    EXPECT_EQ(GetMenuItemID(help, 1), static_cast<UINT>(IDM_HELP_ABOUT));

    // Ctrl+Z is Undo's key; Ctrl+Tab and Ctrl+Shift+Tab switch tabs.
    const HACCEL keys = LoadAcceleratorsA(exe_, MAKEINTRESOURCEA(IDA_MAIN));
    ASSERT_NE(keys, nullptr);
    ACCEL accel[4] = {};
    ASSERT_EQ(CopyAcceleratorTableA(keys, accel, 4), 3);
    const struct {
        WORD key;
        BYTE mods;
        WORD cmd;
    } kKeys[] = {{'Z', FCONTROL, IDM_EDIT_UNDO},
                 {VK_TAB, FCONTROL, IDM_NEXT_TAB},
                 {VK_TAB, FCONTROL | FSHIFT, IDM_PREVIOUS_TAB}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(accel[i].key, kKeys[i].key);
        EXPECT_EQ(accel[i].fVirt & (FVIRTKEY | FCONTROL | FALT | FSHIFT), FVIRTKEY | kKeys[i].mods);
        EXPECT_EQ(accel[i].cmd, kKeys[i].cmd);
    }
}

}  // namespace
