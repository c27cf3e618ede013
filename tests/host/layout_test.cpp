#include "ui/frmKestrow.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "settings/modTweaks.h"
#include "ui/TweaksTab.h"

namespace {

using ui::TwipsToPixels;

TEST(Layout, TwipsBecomeWholePixelsAtTheDisplaysDpi) {
    EXPECT_EQ(TwipsToPixels(ui::kClientWidthTwips, 96), 448);
    EXPECT_EQ(TwipsToPixels(ui::kClientHeightTwips, 96), 298);
    EXPECT_EQ(TwipsToPixels(255, 96), 17);    // 17.0
    EXPECT_EQ(TwipsToPixels(1073, 96), 72);   // 71.53 rounds up
    EXPECT_EQ(TwipsToPixels(1853, 96), 124);  // 123.53
    EXPECT_EQ(TwipsToPixels(120, 96), 8);
    EXPECT_EQ(TwipsToPixels(255, 120), 21);    // 21.25 at large fonts
    EXPECT_EQ(TwipsToPixels(6645, 120), 554);  // 553.75
    EXPECT_EQ(TwipsToPixels(0, 96), 0);
}

TEST(Layout, ControlIdsFollowTabOrderAndEveryTopicIsInTheHelpFile) {
    std::set<int> topics;
    int expectedId = ui::kSSTab1;
    for (const ui::LayoutRow& c : ui::kKestrowControls) {
        EXPECT_EQ(c.id, expectedId++) << c.name;
        if (c.helpTopic) topics.insert(c.helpTopic);
    }
    // The help file holds topics 1 to 15 and 17; every one is some control's.
    std::set<int> expected;
    for (int t = 1; t <= 15; ++t) expected.insert(t);
    expected.insert(17);
    EXPECT_EQ(topics, expected);
}

// The command line and the Group Policy template name a setting from its
// catalogue row, the window from its box's layout row: they must agree.
TEST(Layout, EachSettingsBoxShowsTheCaptionAndTopicOfItsCatalogueRow) {
    for (const ui::Setting& s : ui::kSettings) {
        const ui::LayoutRow* box = ui::FindControl(s.id);
        const modTweaks::Row& row = modTweaks::RowOf(s.tweak);
        ASSERT_NE(box, nullptr) << row.caption;
        EXPECT_EQ(std::string(box->caption), row.caption) << box->name;
        EXPECT_EQ(box->helpTopic, row.helpTopic) << box->name;
    }
}

TEST(Layout, F1FallsBackToTheWindowsTopic) {
    EXPECT_EQ(ui::HelpTopicFor(ui::kCbDisplayCurrentAccountOnWelcomeScreen), 15);
    EXPECT_EQ(ui::HelpTopicFor(ui::kPicture1), 17);
    EXPECT_EQ(ui::HelpTopicFor(ui::kLabel1), ui::kWindowHelpTopic);  // no topic of its own
    EXPECT_EQ(ui::HelpTopicFor(9999), ui::kWindowHelpTopic);
}

}  // namespace
