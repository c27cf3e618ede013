#include "ui/frmKestrowWin32.h"

#include <commctrl.h>

#include <exception>

#include "common/version.h"
#include "shell/ShellWin32.h"
#include "ui/frmAboutWin32.h"
#include "ui/frmKestrowPartsWin32.h"
#include "ui/frmSplashWin32.h"
#include "ui/resource.h"
#include "win32/ProgramFolder.h"

namespace ui {

namespace {
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
}  // namespace

namespace {
// Lets queued messages (painting, a key or click on the splash) through once.
void DoEvents() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}
}  // namespace

frmKestrow& frmKestrow::Instance() {
    static frmKestrow instance;
    return instance;
}

frmKestrow::frmKestrow() : parts_(std::make_unique<Parts>(prompter_)) {}
frmKestrow::~frmKestrow() = default;

bool frmKestrow::Show() {
    if (hwnd()) {
        ShowWindow(hwnd(), SW_SHOWNORMAL);
        return true;
    }
    HINSTANCE inst = GetModuleHandleA(nullptr);
    hand_ = LoadCursorA(inst, MAKEINTRESOURCEA(IDC_HAND_POINTER));
    accelerators_ = LoadAcceleratorsA(inst, MAKEINTRESOURCEA(IDA_MAIN));  // freed with the module

    // The design gives the client area; the frame and the menu come on top.
    const int dpi = ScreenDpi();
    RECT frame = {0, 0, TwipsToPixels(kClientWidthTwips, dpi),
                  TwipsToPixels(kClientHeightTwips, dpi)};
    AdjustWindowRectEx(&frame, kWindowStyle, TRUE, 0);
    win32::Menu menu(LoadMenuA(inst, MAKEINTRESOURCEA(IDM_MAIN)));
    if (!Create(0, DOVRANE_TITLE, kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                frame.right - frame.left, frame.bottom - frame.top, nullptr, menu.get())) {
        return false;
    }
    menu.release();  // the window destroys its menu
    // A menu bar that wraps would take client height: measure again.
    RECT client;
    GetClientRect(hwnd(), &client);
    int missing = TwipsToPixels(kClientHeightTwips, dpi) - client.bottom;
    if (missing != 0) {
        RECT outer;
        GetWindowRect(hwnd(), &outer);
        SetWindowPos(hwnd(), nullptr, 0, 0, outer.right - outer.left,
                     outer.bottom - outer.top + missing, SWP_NOMOVE | SWP_NOZORDER);
    }

    prompter_.SetOwner(hwnd());
    parts_->owner = hwnd();
    Form_Load();
    ShowWindow(hwnd(), SW_SHOWNORMAL);
    UpdateWindow(hwnd());
    SetFocus(Control(kSSTab1));
    return true;
}

void frmKestrow::CreateControls() {
    const Placement at = {{0, 0}, ScreenDpi(), Snap::Edges};
    for (const LayoutRow& c : kKestrowControls) {
        HWND h = nullptr;
        if (c.kind == ControlKind::CheckedList) {
            parts_->lstRunMRU.Create(hwnd(), PixelRect(c, at), c.id, fonts_.Get(c.font));
            h = parts_->lstRunMRU.hwnd();
        } else if (c.kind == ControlKind::Picture) {
            h = parts_->banner.CreateBox(hwnd(), c.id, PixelRect(c, at));
        } else {
            h = CreateControl(hwnd(), c, at, fonts_);
        }
        // The list and the banner box take the window's font as well.
        SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.Get(c.font)), FALSE);
        controls_[c.id] = h;
    }

    HWND tab = Control(kSSTab1);
    for (int i = 0; i < 2; ++i) {
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(kTabCaptions[i]);
        SendMessageA(tab, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
    }
    // The controls on the tabs paint the plain dialog face; a themed tab body
    // (white, or a gradient under Luna) would leave grey boxes around them.
    const win32::Module uxtheme = win32::LoadUxTheme();
    using SetWindowThemeFn = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
    if (auto setTheme = win32::ProcAddress<SetWindowThemeFn>(uxtheme.get(), "SetWindowTheme"))
        setTheme(tab, L" ", L" ");
    // The tab control is first in tab order but must lie under the controls
    // that stand on it; tab order is kept by the layout table instead.
    SetWindowPos(tab, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ShowPage(Page::Tweaks);
    WireHandlers();
}

void frmKestrow::WireHandlers() {
    for (const Setting& s : kSettings) {
        HWND h = Control(s.id);
        parts_->tweaks.Box(s.tweak).ShowOn([h](int value) {
            SendMessageA(h, BM_SETCHECK, value == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
        });
    }
}

HWND frmKestrow::Control(int id) const {
    auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

void frmKestrow::ShowPage(Page page) {
    SendMessageA(Control(kSSTab1), TCM_SETCURSEL, page == Page::RunList ? 1 : 0, 0);
    for (const LayoutRow& c : kKestrowControls) {
        if (c.page == Page::Window) continue;
        ShowWindow(Control(c.id), c.page == page ? SW_SHOWNA : SW_HIDE);
    }
}

void frmKestrow::SwitchTab() {
    // Two tabs: forward and back both reach the other one.
    const bool runList = SendMessageA(Control(kSSTab1), TCM_GETCURSEL, 0, 0) == 1;
    HWND focus = GetFocus();
    ShowPage(runList ? Page::Tweaks : Page::RunList);
    // The focus does not stay on a control the switch hid.
    if (focus && !IsWindowVisible(focus)) SetFocus(Control(kSSTab1));
}

void frmKestrow::MoveFocus(bool forward) {
    const int n = static_cast<int>(kKestrowControls.size());
    int at = -1;
    HWND focus = GetFocus();
    for (int i = 0; i < n; ++i)
        if (Control(kKestrowControls[i].id) == focus) at = i;
    for (int step = 1; step <= n; ++step) {
        int i = ((at < 0 ? (forward ? -1 : 0) : at) + (forward ? step : -step) + n) % n;
        HWND h = Control(kKestrowControls[i].id);
        if (IsWindowVisible(h) && IsWindowEnabled(h) &&
            (GetWindowLongA(h, GWL_STYLE) & WS_TABSTOP)) {
            SetFocus(h);
            return;
        }
    }
}

bool frmKestrow::PreTranslate(MSG& msg) {
    if (!hwnd() || (msg.hwnd != hwnd() && !IsChild(hwnd(), msg.hwnd))) return false;
    if (accelerators_ && TranslateAcceleratorA(hwnd(), accelerators_, &msg)) return true;
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB) {
        MoveFocus(GetKeyState(VK_SHIFT) >= 0);
        return true;
    }
    return IsDialogMessageA(hwnd(), &msg) != FALSE;
}

void frmKestrow::Form_Load() {
    // 1. and 2. A fresh splash screen over this window, painted before the
    //    slow steps begin.
    auto splash = std::make_unique<frmSplash>();
    splash->Show(hwnd());
    DoEvents();
    // 3. The banner: two bounded fetches on a worker thread, beside the
    //    steps that follow.
    parts_->banner.Start(hwnd());
    // The controls are made while the banner is on its way: the window is
    // not shown before the load ends, and the settings need their boxes.
    CreateControls();
    // 4. Every setting that reads as on ticks its box, which writes it again.
    parts_->tweaks.Load();
    // 5. The Run dialog's history, every entry checked.
    parts_->runList.LoadRunList();
    // The banner gets a short grace to be in the box when the window first
    // shows; a later one shows when it comes (kMsgBannerArrived).
    parts_->banner.WaitForBanner(banner::kBannerGraceMs);
    // 6. The splash goes, unless the user closed it already.
    splash->Unload();
}

void frmKestrow::mnuHelpContents_Click() {
    win32::OpenHelp(hwnd(), HELP_FINDER, 0);
}

void frmKestrow::mnuHelpAbout_Click() {
    // Help > About posted again while the box is up opens no second one.
    if (about_) return;
    frmAbout box;
    about_ = &box;
    box.Show(hwnd());
    about_ = nullptr;
}

void frmKestrow::Label1_Click() {
    shell::ShellWin32 shell(hwnd());
    shell::OpenLink(shell, prompter_, DOVRANE_SERVER "/dovrane");
}

void frmKestrow::OnHelp(const HELPINFO& info) {
    // A message box with a Help button has shown its own topic already
    // (PrompterWin32) and then passes F1 on to its owner: the window's topic
    // would replace the box's.
    if (info.iContextType == HELPINFO_WINDOW) {
        HWND top = GetAncestor(static_cast<HWND>(info.hItemHandle), GA_ROOT);
        if (top && top != hwnd() && GetDlgItem(top, IDHELP)) return;
    }
    int topic = kWindowHelpTopic;
    if (info.iContextType == HELPINFO_WINDOW && info.hItemHandle != hwnd())
        topic = HelpTopicFor(info.iCtrlId);
    else if (info.iContextType == HELPINFO_MENUITEM)
        topic = MenuHelpTopicFor(info.iCtrlId);
    win32::OpenHelp(hwnd(), HELP_CONTEXT, static_cast<ULONG_PTR>(topic));
}

void frmKestrow::OnCommand(int id, int code, HWND control) {
    // A click on a setting's box changes its value, which runs its handler.
    // Each is one action for Undo: the box's write, and the confirmation's.
    if (const Setting* setting = SettingOf(id); setting && control && code == BN_CLICKED) {
        CheckBox& box = parts_->tweaks.Box(setting->tweak);
        parts_->edit.Act([&] { box.SetValue(1 - box.Value()); });
        return;
    }
    // What the menu and every other control run: a menu item comes with no
    // control, a control's click with the notification it sends.
    // A command that changes the registry is one action that Undo takes
    // back whole (Select All's eight writes, Apply's deletions).
    struct Click {
        int id;
        bool menu;
        int code;
        void (*run)(frmKestrow&);
        bool undoable = false;
    };
    static constexpr Click kClicks[] = {
        {IDM_FILE_IMPORT, true, 0, [](frmKestrow& w) { w.parts_->file.mnuFileImport_Click(); }},
        {IDM_FILE_EXPORT, true, 0, [](frmKestrow& w) { w.parts_->file.mnuFileExport_Click(); }},
        {IDM_FILE_EXIT, true, 0, [](frmKestrow& w) { PostMessageA(w.hwnd(), WM_CLOSE, 0, 0); }},
        {IDM_NEXT_TAB, true, 0, [](frmKestrow& w) { w.SwitchTab(); }},
        {IDM_PREVIOUS_TAB, true, 0, [](frmKestrow& w) { w.SwitchTab(); }},
        {IDM_EDIT_UNDO, true, 0, [](frmKestrow& w) { w.parts_->edit.mnuEditUndo_Click(); }},
        {IDM_EDIT_RESTORE, true, 0, [](frmKestrow& w) { w.parts_->edit.mnuEditRestore_Click(); }},
        {IDM_EDIT_OPEN_FOLDER, true, 0,
         [](frmKestrow& w) { w.parts_->edit.mnuEditOpenFolder_Click(); }},
        {IDM_HELP_CONTENTS, true, 0, [](frmKestrow& w) { w.mnuHelpContents_Click(); }},
        {IDM_HELP_ABOUT, true, 0, [](frmKestrow& w) { w.mnuHelpAbout_Click(); }},
        {kLabel1, false, STN_CLICKED, [](frmKestrow& w) { w.Label1_Click(); }},
        {kPicture1, false, BN_CLICKED,
         [](frmKestrow& w) {
             shell::ShellWin32 shell(w.hwnd());
             w.parts_->banner.Picture1_Click(shell, w.prompter_);
         }},
        {kCmdTwksSelectAll, false, BN_CLICKED,
         [](frmKestrow& w) { w.parts_->tweaks.cmdTwksSelectAll_Click(); }, true},
        {kCmdTwksSelectNone, false, BN_CLICKED,
         [](frmKestrow& w) { w.parts_->tweaks.cmdTwksSelectNone_Click(); }, true},
        {kCmdMRUAll, false, BN_CLICKED, [](frmKestrow& w) { w.parts_->runList.cmdMRUAll_Click(); }},
        {kCmdMRUNone, false, BN_CLICKED,
         [](frmKestrow& w) { w.parts_->runList.cmdMRUNone_Click(); }},
        {kCmdMRUApply, false, BN_CLICKED,
         [](frmKestrow& w) { w.parts_->runList.cmdMRUApply_Click(); }, true},
    };
    for (const Click& click : kClicks) {
        if (click.id == id && click.menu == (control == nullptr) &&
            (click.menu || click.code == code)) {
            if (click.undoable)
                parts_->edit.Act([&] { click.run(*this); });
            else
                click.run(*this);
            return;
        }
    }
}

LRESULT frmKestrow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_MEASUREITEM:
            if (parts_->lstRunMRU.OnMeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lp)))
                return TRUE;
            break;
        case WM_DRAWITEM:
            if (parts_->lstRunMRU.OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp)))
                return TRUE;
            break;
        case WM_COMMAND:
            if (parts_->lstRunMRU.OnCommand(wp, lp)) return 0;
            OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
            return 0;
        case WM_NOTIFY: {
            const NMHDR* hdr = reinterpret_cast<const NMHDR*>(lp);
            if (hdr->idFrom == kSSTab1 && hdr->code == TCN_SELCHANGE) {
                int sel = static_cast<int>(SendMessageA(hdr->hwndFrom, TCM_GETCURSEL, 0, 0));
                ShowPage(sel == 1 ? Page::RunList : Page::Tweaks);
            }
            return 0;
        }
        case WM_HELP:
            OnHelp(*reinterpret_cast<const HELPINFO*>(lp));
            return TRUE;
        case WM_SETCURSOR: {
            HWND over = reinterpret_cast<HWND>(wp);
            if (hand_ && (over == Control(kLabel1) || over == Control(kPicture1))) {
                SetCursor(hand_);
                return TRUE;
            }
            break;
        }
        case WM_CTLCOLORSTATIC:
            if (reinterpret_cast<HWND>(lp) == Control(kLabel1)) {
                HDC dc = reinterpret_cast<HDC>(wp);
                SetTextColor(dc, RGB(0, 0, 255));
                SetBkMode(dc, TRANSPARENT);
                return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
            }
            break;
        case kMsgBannerArrived:
            parts_->banner.TakeArrivals();
            return 0;
        case WM_CLOSE:
            DestroyWindow(hwnd());
            return 0;
        case WM_DESTROY:
            // The quit first: should closing the help viewer throw, the
            // program must still end rather than run on without a window.
            PostQuitMessage(0);
            // A banner still on its way is given up and writes nothing.
            parts_->banner.Stop();
            win32::OpenHelp(hwnd(), HELP_QUIT, 0);
            return 0;
        case WM_NCDESTROY:
            controls_.clear();
            break;
    }
    return Default(msg, wp, lp);
}

}  // namespace ui
