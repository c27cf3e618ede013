// The Run List tab of the real Dovrane.exe, driven as a user drives it:
// real clicks on the tab, the check boxes and the buttons, the space bar on
// a selected entry, the restart question answered No with the mouse. What
// Apply did is read back with reg query, what the list shows through the
// list box's own messages. The Run history of the test prefix is saved
// first and put back afterwards.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "ui/frmKestrow.h"
#include "wine/support/Driver.h"

namespace {

using namespace wine_test;
using std::chrono::milliseconds;
using ::testing::UnorderedElementsAre;

constexpr char kRunMru[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
const std::string kRunMruForReg = std::string("HKCU\\") + kRunMru;
const std::string kQuestion =
    "The system must be restarted before the changes will take effect. Do you wish to restart "
    "now?";
const std::string kLong =
    "C:\\Program Files\\Ostrabend Tools\\A Rather Long Folder Name Kept For Testing\\tool.exe "
    "/switch:one /switch:two /last:END";

// Every value of the RunMRU key as it was, put back when the test is over
// (and the key removed again when there was none).
class SavedRunMru {
  public:
    SavedRunMru() {
        win32::Key key;
        existed_ =
            RegOpenKeyExA(HKEY_CURRENT_USER, kRunMru, 0, KEY_READ, key.put()) == ERROR_SUCCESS;
        if (!existed_) return;
        for (DWORD index = 0;; ++index) {
            char name[16384];
            DWORD nameSize = sizeof name;
            DWORD type = 0;
            DWORD dataSize = 0;
            if (RegEnumValueA(key.get(), index, name, &nameSize, nullptr, &type, nullptr,
                              &dataSize) != ERROR_SUCCESS) {
                break;
            }
            Value value{std::string(name, nameSize), type, std::vector<BYTE>(dataSize + 1)};
            nameSize = sizeof name;
            dataSize = static_cast<DWORD>(value.data.size());
            RegEnumValueA(key.get(), index, name, &nameSize, nullptr, &type, value.data.data(),
                          &dataSize);
            value.data.resize(dataSize);
            values_.push_back(std::move(value));
        }
    }
    ~SavedRunMru() {
        RegDeleteKeyA(HKEY_CURRENT_USER, kRunMru);
        if (!existed_) return;
        win32::Key key;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, kRunMru, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                            key.put(), nullptr) != ERROR_SUCCESS) {
            return;
        }
        for (const Value& v : values_) {
            RegSetValueExA(key.get(), v.name.c_str(), 0, v.type, v.data.data(),
                           static_cast<DWORD>(v.data.size()));
        }
    }
    SavedRunMru(const SavedRunMru&) = delete;
    SavedRunMru& operator=(const SavedRunMru&) = delete;

  private:
    struct Value {
        std::string name;
        DWORD type;
        std::vector<BYTE> data;
    };
    bool existed_ = false;
    std::vector<Value> values_;
};

void PutSz(const std::string& name, const std::string& text) {
    ASSERT_TRUE(wine_test::PutCurrentUserSz(kRunMru, name, text));
}

// The value's data as `reg query` prints it, or "<missing>".
std::string Query(const std::string& name) {
    RegLine line;
    return RegQuery(kRunMruForReg, name, &line) ? line.data : "<missing>";
}

// With DOVRANE_SHOT_DIR set (a Windows path), announces <name>.ready there
// and waits until <name>.done appears, so that a picture can be taken.
void HoldForPicture(const std::string& name) {
    const char* dir = std::getenv("DOVRANE_SHOT_DIR");
    if (!dir || !*dir) return;
    std::ofstream(std::string(dir) + "\\" + name + ".ready") << "ready\n";
    const std::string done = std::string(dir) + "\\" + name + ".done";
    WaitFor([&] { return GetFileAttributesA(done.c_str()) != INVALID_FILE_ATTRIBUTES; },
            std::chrono::seconds(60));
}

class RunListE2e : public ::testing::Test {
  protected:
    void SetUp() override {
        RegDeleteKeyA(HKEY_CURRENT_USER, kRunMru);
        // As the Run dialog leaves them, and one name of two letters, which
        // only a full name can address.
        PutSz("a", "notepad\\1");
        PutSz("b", "calc\\1");
        PutSz("c", kLong + "\\1");
        PutSz("d", "cmd /k ver\\1");
        PutSz("zz", "regedit\\1");
        PutSz("MRUList", "dcba");

        dovrane = StartDovrane(copy.exe());
        main = WaitForWindow(dovrane.id(), "frmKestrow", "Dovrane");
        ASSERT_NE(main, nullptr) << "the main window did not come up";
        list = FindChildById(main, ui::kLstRunMRU);
        ASSERT_NE(list, nullptr);
        ASSERT_FALSE(IsWindowVisible(list));  // the Tweaks tab comes first
        Activate(main);
        const RECT tab = TabItemRect(FindChildById(main, ui::kSSTab1), 1);
        ASSERT_GT(tab.right, tab.left);
        ClickAt(FindChildById(main, ui::kSSTab1), (tab.left + tab.right) / 2,
                (tab.top + tab.bottom) / 2);
        ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(list) != FALSE; }, milliseconds(5000)))
            << "the Run List tab did not open";
    }

    HWND Button(int id) const { return FindChildById(main, id); }
    int IndexOf(const std::string& text) const {
        const int index = ListBoxIndexOf(list, text);
        EXPECT_GE(index, 0) << "not listed: " << text;
        return index;
    }
    // The check box stands at the left end of the row, 13 pixels after a
    // margin of 2 (at 96 dots per inch).
    void ClickCheckBox(const std::string& text) const {
        const RECT item = ListBoxItemRect(list, IndexOf(text));
        ClickAt(list, item.left + 8, (item.top + item.bottom) / 2);
    }
    void ClickText(const std::string& text) const {
        const RECT item = ListBoxItemRect(list, IndexOf(text));
        ClickAt(list, item.left + 60, (item.top + item.bottom) / 2);
    }
    // The colours of a list row on the screen, row by row, across the
    // list's client width.
    std::vector<COLORREF> RowPixels(int index) const {
        RECT client;
        GetClientRect(list, &client);
        const RECT row = ListBoxItemRect(list, index);
        const int width = client.right;
        const int height = row.bottom - row.top;
        POINT origin = {0, row.top};
        ClientToScreen(list, &origin);
        std::vector<COLORREF> pixels(static_cast<std::size_t>(width) * height);
        const win32::WindowDc screen(nullptr);
        const win32::MemoryDc memory(screen.get());
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // top row first
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        const win32::Bitmap bitmap(
            CreateDIBSection(memory.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        const win32::Selection selected(memory.get(), bitmap.get());
        BitBlt(memory.get(), 0, 0, width, height, screen.get(), origin.x, origin.y, SRCCOPY);
        GdiFlush();
        const auto* bgrx = static_cast<const std::uint32_t*>(bits);
        for (std::size_t i = 0; i < pixels.size(); ++i) {
            pixels[i] = RGB((bgrx[i] >> 16) & 0xFF, (bgrx[i] >> 8) & 0xFF, bgrx[i] & 0xFF);
        }
        return pixels;
    }
    // Presses Apply and answers the restart question with No, with the mouse.
    void ApplyAndAnswerNo() {
        Click(Button(ui::kCmdMRUApply));
        HWND box = WaitForWindow(dovrane.id(), "#32770", "Dovrane", milliseconds(10000));
        ASSERT_NE(box, nullptr) << "no restart question";
        EXPECT_NE(FindChildByText(box, kQuestion), nullptr);
        ASSERT_NE(GetDlgItem(box, IDYES), nullptr);
        EXPECT_EQ(GetWindowLongA(GetDlgItem(box, IDYES), GWL_STYLE) & 0x0F, BS_DEFPUSHBUTTON);
        ASSERT_TRUE(ClickMessageBoxButton(box, IDNO)) << "the question stayed";
        ++questions;
        EXPECT_TRUE(dovrane.Running());
        Activate(main);
    }

    // Torn down in reverse: the program ends, its folder goes, the history
    // comes back.
    SavedRunMru saved;
    StagedDovrane copy{"runlist"};
    Process dovrane;
    HWND main = nullptr;
    HWND list = nullptr;
    int questions = 0;
};

TEST_F(RunListE2e, ApplyDeletesExactlyTheEntriesUncheckedWithTheMouseAndTheSpaceBar) {
    EXPECT_THAT(ListBoxTexts(list),
                UnorderedElementsAre("notepad", "calc", kLong, "cmd /k ver", "regedit"));
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 0);

    ClickCheckBox("calc");
    ClickText("regedit");  // selects it without touching its check mark
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), IndexOf("regedit"));
    PressKey(VK_SPACE);
    ApplyAndAnswerNo();

    EXPECT_EQ(Query("b"), "<missing>");
    EXPECT_EQ(Query("zz"), "<missing>");
    EXPECT_EQ(Query("a"), "notepad\\1");
    EXPECT_EQ(Query("c"), kLong + "\\1");
    EXPECT_EQ(Query("d"), "cmd /k ver\\1");
    EXPECT_EQ(Query("MRUList"), "dcba");
    EXPECT_THAT(ListBoxTexts(list), UnorderedElementsAre("notepad", kLong, "cmd /k ver"));

    // The reloaded entries are all checked: Apply again deletes nothing, and
    // still asks.
    ApplyAndAnswerNo();
    EXPECT_EQ(questions, 2);
    EXPECT_EQ(Query("a"), "notepad\\1");
    EXPECT_EQ(Query("c"), kLong + "\\1");
    EXPECT_EQ(Query("d"), "cmd /k ver\\1");
    EXPECT_THAT(ListBoxTexts(list), UnorderedElementsAre("notepad", kLong, "cmd /k ver"));
}

TEST_F(RunListE2e, SelectNoneEmptiesTheHistoryButForMruListAndSelectAllUndoesIt) {
    // None, then All: every check is back and Apply deletes nothing.
    Click(Button(ui::kCmdMRUNone));
    Click(Button(ui::kCmdMRUAll));
    ApplyAndAnswerNo();
    EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 5);
    EXPECT_EQ(Query("b"), "calc\\1");

    ClickCheckBox("notepad");
    Click(Button(ui::kCmdMRUNone));
    ApplyAndAnswerNo();
    for (const char* name : {"a", "b", "c", "d", "zz"}) EXPECT_EQ(Query(name), "<missing>") << name;
    EXPECT_EQ(Query("MRUList"), "dcba");
    EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(SendMessageA(list, LB_GETHORIZONTALEXTENT, 0, 0), 0);

    // On an empty list the select buttons do nothing, and ask nothing.
    Click(Button(ui::kCmdMRUAll));
    Click(Button(ui::kCmdMRUNone));
    EXPECT_EQ(WaitForWindow(dovrane.id(), "#32770", nullptr, milliseconds(500)), nullptr);
    EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 0);
    EXPECT_TRUE(dovrane.Running());
    EXPECT_EQ(questions, 2);
}

TEST_F(RunListE2e, TheListScrollsSidewaysToTheEndOfTheLongestEntry) {
    RECT client;
    GetClientRect(list, &client);
    const int extent = static_cast<int>(SendMessageA(list, LB_GETHORIZONTALEXTENT, 0, 0));
    ASSERT_GT(extent, client.right) << "the long entry fits: nothing to scroll";

    ClickText(kLong);
    ASSERT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), IndexOf(kLong));
    // The scroll position of another process's list is not to be had: the
    // screen shows where the selected long entry stands.
    const auto before = RowPixels(IndexOf(kLong));
    // Page right with the mouse, on the horizontal scroll bar left of its
    // right arrow, until the list goes no further.
    RECT frame;
    GetWindowRect(list, &frame);
    POINT bar = {frame.right - GetSystemMetrics(SM_CXBORDER) - GetSystemMetrics(SM_CXHSCROLL) - 3,
                 frame.bottom - GetSystemMetrics(SM_CYBORDER) - GetSystemMetrics(SM_CYHSCROLL) / 2};
    ScreenToClient(list, &bar);
    const int pages = extent / (client.right / 2) + 1;
    for (int i = 0; i < pages; ++i) ClickAt(list, bar.x, bar.y);
    const auto scrolled = RowPixels(IndexOf(kLong));
    EXPECT_TRUE(scrolled != before) << "the list did not scroll";
    ClickAt(list, bar.x, bar.y);
    EXPECT_TRUE(RowPixels(IndexOf(kLong)) == scrolled) << "the list scrolls further still";

    // As far as it goes, the entry's last letter stands just inside the right
    // edge, in highlight text.
    const COLORREF ink = GetSysColor(COLOR_HIGHLIGHTTEXT);
    int lastInked = -1;
    for (std::size_t i = 0; i < scrolled.size(); ++i) {
        if (scrolled[i] == ink)
            lastInked = std::max<int>(lastInked, static_cast<int>(i) % client.right);
    }
    EXPECT_GE(lastInked, client.right - 12);
    EXPECT_LT(lastInked, client.right - 2);
    HoldForPicture("runlist-scrolled");
}

}  // namespace
