#include "window/close_decision.h"

#include <gtest/gtest.h>

namespace {

TEST(CloseDecisionTest, InstalledLaunchesWithoutAskingTheRegistry) {
  bool asked = false;
  auto action = DecideCloseAction(Installed, [&] { asked = true; return false; });
  EXPECT_EQ(action, CloseAction::LaunchApp);
  EXPECT_FALSE(asked);
}

TEST(CloseDecisionTest, AlreadyInstalledLeavesFromEveryOtherState) {
  for (InstallerState state : {Welcome, DownloadFailed, InstallFailed}) {
    EXPECT_EQ(DecideCloseAction(state, [] { return true; }), CloseAction::LeaveInstalled) << state;
  }
}

TEST(CloseDecisionTest, NotInstalledAsksOrShowsSurvey) {
  auto no = [] { return false; };
  EXPECT_EQ(DecideCloseAction(InstallFailed, no), CloseAction::AskAfterFailedSetup);
  EXPECT_EQ(DecideCloseAction(Welcome, no), CloseAction::ShowExitSurvey);
  EXPECT_EQ(DecideCloseAction(DownloadFailed, no), CloseAction::ShowExitSurvey);
}

TEST(CloseDecisionTest, ExitValueTellsOnlyDownloadFailedApart) {
  EXPECT_EQ(InstalledExitValue(DownloadFailed), L"Failed 已安装");
  for (InstallerState state : {Welcome, Downloading, Installing, InstallFailed})
    EXPECT_EQ(InstalledExitValue(state), L"Start 已安装") << state;
}

TEST(PageViewTest, EachStateShowsOnePageWithItsCloseButtonAndHeader) {
  EXPECT_STREQ(ViewForState(Welcome).page, L"welcompage");
  EXPECT_TRUE(ViewForState(Welcome).exitButton);
  for (InstallerState state : {Downloading, Installing, AppRunningPrompt}) {
    EXPECT_STREQ(ViewForState(state).page, L"installpage");
    EXPECT_FALSE(ViewForState(state).exitButton);
  }
  EXPECT_STREQ(ViewForState(Installed).page, L"installedpage");
  EXPECT_STREQ(ViewForState(InstallFailed).page, L"installfaildpage");
  EXPECT_STREQ(ViewForState(DownloadFailed).page, L"installfaildpage");
  EXPECT_TRUE(ViewForState(ExitSurvey).surveyHeader);
  EXPECT_FALSE(ViewForState(ExitSurvey).exitButton);
  EXPECT_FALSE(ViewForState(Installed).surveyHeader);
}

}  // namespace
