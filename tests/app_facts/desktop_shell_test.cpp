#include "app/desktop_shell.h"

#include <gtest/gtest.h>

namespace {

// Under Wine there is no elevation to drop and no desktop shell that offers its folder view,
// so which way a start goes is checked here with starters that only record what they got.
TEST(DesktopShellTest, DesktopShellFirstAndThisProcessOnlyWhenItCannotBeAsked) {
  const struct {
    bool desktopStarts, ownStarts;
    ShellRoute route;
    bool ownAsked;
  } cases[] = {
      {true, true, ShellRoute::kDesktopShell, false},
      {false, true, ShellRoute::kOwnProcess, true},
      {false, false, ShellRoute::kFailed, true},
  };
  for (const auto& c : cases) {
    ShellStart seenByDesktop, seenByOwn;
    bool ownAsked = false;
    ShellStarters starters{[&](const ShellStart& s) {
                             seenByDesktop = s;
                             return c.desktopStarts;
                           },
                           [&](const ShellStart& s) {
                             seenByOwn = s;
                             ownAsked = true;
                             return c.ownStarts;
                           }};
    const ShellStart start{L"C:\\App\\brightmere.exe", L"", L"C:\\App"};
    EXPECT_EQ(StartThroughShell(start, starters), c.route);
    EXPECT_EQ(ownAsked, c.ownAsked);
    EXPECT_EQ(seenByDesktop.workingDir, L"C:\\App");
    if (c.ownAsked) EXPECT_EQ(seenByOwn.file, start.file);
  }
}

}  // namespace
