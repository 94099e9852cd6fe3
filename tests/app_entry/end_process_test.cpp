#include "app/process_utils.h"

#include <gtest/gtest.h>

#include "tests/support/child_process.h"
#include "tests/support/test_paths.h"

namespace {

// How every exit of the installer ends the process, also at start-up while the workers run.
TEST(EndProcessNowTest, EndsWhileAnotherThreadHoldsTheLoaderLock) {
  EXPECT_EQ(RunToExit(TestProgramDir() + L"\\app_entry_end_process_probe.exe", L"", 20000), 7);
}

}  // namespace
