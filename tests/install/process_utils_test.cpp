#include "app/process_utils.h"

#include <gtest/gtest.h>

#include "tests/install/install_test_support.h"
#include "tests/support/child_process.h"

namespace {

constexpr DWORD kWaitMs = 20000;

class ProcessUtilsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(install_test::DemoAppPath().empty()) << "BRIGHTMERE_DEMO_APP is not set";
    ASSERT_EQ(FindProcessesByName(L"brightmere.exe", true), 0)
        << "a brightmere.exe left over from an earlier run was running";
  }
};

TEST_F(ProcessUtilsTest, CountsEveryRunningInstance) {
  ChildProcess first;
  ChildProcess second;
  ASSERT_TRUE(install_test::StartDemoApp(&first));
  ASSERT_TRUE(install_test::StartDemoApp(&second));

  EXPECT_EQ(FindProcessesByName(L"brightmere.exe", false), 2);

  DWORD code;
  EXPECT_FALSE(first.WaitForExit(0, &code)) << "counting must not end the instances";
}

TEST_F(ProcessUtilsTest, TerminatesEveryInstanceWithExitCodeZero) {
  ChildProcess first;
  ChildProcess second;
  ASSERT_TRUE(install_test::StartDemoApp(&first));
  ASSERT_TRUE(install_test::StartDemoApp(&second));

  EXPECT_EQ(FindProcessesByName(L"brightmere.exe", true), 2);

  DWORD firstCode = 99, secondCode = 99;
  ASSERT_TRUE(first.WaitForExit(kWaitMs, &firstCode));
  ASSERT_TRUE(second.WaitForExit(kWaitMs, &secondCode));
  EXPECT_EQ(firstCode, 0u);
  EXPECT_EQ(secondCode, 0u);
  EXPECT_EQ(FindProcessesByName(L"brightmere.exe", false), 0);
}

TEST_F(ProcessUtilsTest, NameInAnotherCaseDoesNotMatch) {
  ChildProcess app;
  ASSERT_TRUE(install_test::StartDemoApp(&app));

  EXPECT_EQ(FindProcessesByName(L"Brightmere.exe", true), 0);

  DWORD code;
  EXPECT_FALSE(app.WaitForExit(0, &code)) << "a name that does not match must not be ended";
}

TEST_F(ProcessUtilsTest, NoRunningInstanceCountsZero) {
  EXPECT_EQ(FindProcessesByName(L"brightmere.exe", false), 0);
}

TEST(RunHiddenAndWaitTest, ReturnsTheExitCodeOfTheProgram) {
  EXPECT_EQ(RunHiddenAndWait(L"", L"cmd.exe /c exit 3"), 3);
}

TEST(RunHiddenAndWaitTest, ReturnsZeroForASuccessfulProgram) {
  EXPECT_EQ(RunHiddenAndWait(L"", L"cmd.exe /c exit 0"), 0);
}

TEST(RunHiddenAndWaitTest, MissingProgramGivesFileNotFound) {
  EXPECT_EQ(RunHiddenAndWait(L"", L"C:\\windows\\no-such-setup.exe /S"),
            static_cast<int>(ERROR_FILE_NOT_FOUND));
}

TEST(RunHiddenAndWaitTest, UsesTheApplicationNameWhenGiven) {
  wchar_t system[MAX_PATH];
  GetSystemDirectoryW(system, MAX_PATH);
  std::wstring cmd = std::wstring(system) + L"\\cmd.exe";
  EXPECT_EQ(RunHiddenAndWait(cmd, L"cmd.exe /c exit 5"), 5);
}

}  // namespace
