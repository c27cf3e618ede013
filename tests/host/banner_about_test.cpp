// The splash screen's and the About box's texts, and the About box's start
// of System Information over the in-memory registry.
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "registry/MemoryRegistry.h"
#include "support/TestDoubles.h"
#include "ui/frmAbout.h"
#include "ui/frmSplash.h"

namespace {

TEST(VersionText, PlainDecimalNumbersWithoutPadding) {
    EXPECT_EQ(common::VersionText(1, 0, 0), "Version 1.0.0");
    EXPECT_EQ(common::VersionText(2, 10, 3), "Version 2.10.3");
    EXPECT_EQ(common::VersionText(0, 0, 120), "Version 0.0.120");
}

TEST(SplashLoad, SetsEveryLabelOnceInItsOrder) {
    const auto texts = ui::SplashLoadTexts();
    std::vector<int> order;
    for (const auto& t : texts) order.push_back(t.first);
    EXPECT_EQ(order, (std::vector<int>{ui::kSplashLblVersion, ui::kSplashLblProductName,
                                       ui::kSplashLblCompany, ui::kSplashLblCopyright,
                                       ui::kSplashLblLicenseTo, ui::kSplashLblWarning,
                                       ui::kSplashLblPlatform, ui::kSplashLblCompanyProduct}));
    EXPECT_EQ(texts[0].second, "Version 1.0.0");
    EXPECT_EQ(texts[1].second, "Dovrane");
    EXPECT_EQ(texts[2].second, "Ostrabend");
    EXPECT_EQ(texts[3].second, DOVRANE_COPYRIGHT);
    EXPECT_EQ(texts[4].second, "");
    EXPECT_EQ(texts[5].second,
              "Dovrane is supported by advertizing.\r\n"
              "It downloads banner ads through your internet connection.");
    EXPECT_EQ(texts[6].second, "Windows XP");
    EXPECT_EQ(texts[7].second, DOVRANE_DOMAIN);
}

TEST(AboutLoad, CaptionVersionAndTitle) {
    const ui::AboutTexts t = ui::AboutLoadTexts();
    EXPECT_EQ(t.caption, "About Dovrane");
    EXPECT_EQ(t.version, "Version 1.0.0");
    EXPECT_EQ(t.title, "Dovrane");
}

constexpr reg::Key kHklm = reg::kLocalMachine;

class KeyValue : public testing::Test {
  protected:
    reg::MemoryRegistry registry;
    std::string val = "before";
    bool Get(const std::string& name) {
        return ui::GetKeyValue(registry, kHklm, "SOFTWARE\\K", name, val);
    }
    void Put(const std::string& name, std::uint32_t type, std::vector<std::uint8_t> data) {
        registry.Put(kHklm, "SOFTWARE\\K", name, type, std::move(data));
    }
};

TEST_F(KeyValue, TextLosesItsTerminatingZeroOnly) {
    registry.PutSz(kHklm, "SOFTWARE\\K", "PATH", "C:\\x.exe");
    EXPECT_TRUE(Get("PATH"));
    EXPECT_EQ(val, "C:\\x.exe");
    Put("RAW", reg::kRegSz, {'a', 'b'});  // stored without a zero
    EXPECT_TRUE(Get("RAW"));
    EXPECT_EQ(val, "ab");
    registry.PutSz(kHklm, "SOFTWARE\\K", "EMPTY", "");
    EXPECT_TRUE(Get("EMPTY"));
    EXPECT_EQ(val, "");
}

TEST_F(KeyValue, ValueOfLengthZeroReadsAsEmptyWithoutFault) {
    Put("PATH", reg::kRegSz, {});
    EXPECT_TRUE(Get("PATH"));
    EXPECT_EQ(val, "");
}

TEST_F(KeyValue, NumberBecomesHexAfterWhatTheCallerPassed) {
    registry.PutDword(kHklm, "SOFTWARE\\K", "N", 0x12AB34CD);
    val = "";
    EXPECT_TRUE(Get("N"));
    EXPECT_EQ(val, "&h12AB34CD");
    val = "7";
    EXPECT_TRUE(Get("N"));
    EXPECT_EQ(val, "&h712AB34CD");
}

TEST_F(KeyValue, OtherTypesLeaveTheCallersText) {
    Put("B", reg::kRegBinary, {1, 2, 3});
    EXPECT_TRUE(Get("B"));
    EXPECT_EQ(val, "before");
}

TEST_F(KeyValue, MissingOrOversizedValuesFailAndEmptyTheText) {
    EXPECT_FALSE(Get("NONE"));
    EXPECT_EQ(val, "");
    val = "x";
    EXPECT_FALSE(ui::GetKeyValue(registry, kHklm, "SOFTWARE\\Missing", "PATH", val));
    EXPECT_EQ(val, "");
    Put("BIG", reg::kRegSz, std::vector<std::uint8_t>(1025, 'a'));
    EXPECT_FALSE(Get("BIG"));
    Put("FITS", reg::kRegSz, std::vector<std::uint8_t>(1024, 'a'));
    EXPECT_TRUE(Get("FITS"));
    EXPECT_EQ(val.size(), 1024u);
    EXPECT_EQ(registry.OpenHandles(), 0u);
}

TEST_F(KeyValue, ReadsWhereTheAccountMayNotWrite) {
    registry.PutSz(kHklm, "SOFTWARE\\K", "PATH", "C:\\x.exe");
    registry.Deny(kHklm, "SOFTWARE", reg::kKeyWrite | reg::kKeyCreateLink);
    EXPECT_TRUE(Get("PATH"));
    EXPECT_EQ(val, "C:\\x.exe");
    EXPECT_EQ(registry.OpenHandles(), 0u);
}

struct FakePrograms : ui::Programs {
    bool FileExists(const std::string& path) override {
        checked.push_back(path);
        for (const auto& f : files)
            if (f == path) return true;
        return false;
    }
    bool Start(const std::string& path) override {
        started.push_back(path);
        if (startThrows) throw std::runtime_error("out of memory");
        return startWorks;
    }
    std::vector<std::string> files, checked, started;
    bool startWorks = true;
    bool startThrows = false;
};

class SysInfo : public testing::Test {
  protected:
    reg::MemoryRegistry registry;
    FakePrograms programs;
    testing_doubles::RecordingPrompter boxes;
    const std::string failure = "System Information Is Unavailable At This Time|0|Dovrane";
    void Run() { ui::StartSysInfo(registry, programs, boxes); }
    void PutPath(const std::string& p) { registry.PutSz(kHklm, ui::kMsinfoKey, "PATH", p); }
    void PutFolder(const std::string& f) {
        registry.PutSz(kHklm, ui::kSharedToolsLocationKey, "MSINFO", f);
    }
};

TEST_F(SysInfo, PathValueIsStartedAsItStands) {
    PutPath("C:\\Tools\\info.exe");
    PutFolder("C:\\Other");
    programs.files = {"C:\\Other\\MSINFO32.EXE"};
    Run();
    EXPECT_EQ(programs.started, std::vector<std::string>{"C:\\Tools\\info.exe"});
    EXPECT_TRUE(programs.checked.empty());  // no existence test, no second location
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(SysInfo, FolderValueNeedsMsinfo32ThereToStart) {
    PutFolder("C:\\Shared\\MSInfo");
    Run();
    EXPECT_TRUE(programs.started.empty());
    EXPECT_EQ(programs.checked, std::vector<std::string>{"C:\\Shared\\MSInfo\\MSINFO32.EXE"});
    EXPECT_EQ(boxes.Shown(), std::vector<std::string>{failure});

    programs.files = {"C:\\Shared\\MSInfo\\MSINFO32.EXE"};
    boxes.boxes.clear();
    Run();
    EXPECT_EQ(programs.started, std::vector<std::string>{"C:\\Shared\\MSInfo\\MSINFO32.EXE"});
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(SysInfo, NeitherLocationShowsTheFailure) {
    Run();
    EXPECT_TRUE(programs.started.empty());
    EXPECT_EQ(boxes.Shown(), std::vector<std::string>{failure});
}

TEST_F(SysInfo, ProgramThatWillNotStartShowsTheFailure) {
    PutPath("C:\\nothing.exe");
    programs.startWorks = false;
    Run();
    EXPECT_EQ(boxes.Shown(), std::vector<std::string>{failure});
}

TEST_F(SysInfo, FaultOnTheWayIsTracedAndShownAsTheFailure) {
    PutPath("C:\\Tools\\info.exe");
    programs.startThrows = true;
    testing::internal::CaptureStderr();
    Run();
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Dovrane: System Information: out of memory\n");
    EXPECT_EQ(boxes.Shown(), std::vector<std::string>{failure});
}

TEST_F(SysInfo, EmptyOrForeignTypedPathIsFoundButCannotStart) {
    // Found with an empty path: the second location is not consulted.
    registry.Put(kHklm, ui::kMsinfoKey, "PATH", reg::kRegSz, {});
    PutFolder("C:\\Shared");
    programs.files = {"C:\\Shared\\MSINFO32.EXE"};
    programs.startWorks = false;
    Run();
    EXPECT_EQ(programs.started, std::vector<std::string>{""});
    EXPECT_EQ(boxes.Shown(), std::vector<std::string>{failure});

    programs.started.clear();
    registry.Put(kHklm, ui::kMsinfoKey, "PATH", reg::kRegBinary, {'C', ':'});
    Run();
    EXPECT_EQ(programs.started, std::vector<std::string>{""});
}

}  // namespace
