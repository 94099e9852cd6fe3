// Library planting: a version.dll that leaves a marker when loaded is put next to a probe
// program, as a download would sit next to the installer in a Downloads folder.
#include <windows.h>

#include <string>

#include "app/dll_hardening.h"
#include "gtest/gtest.h"
#include "tests/support/child_process.h"
#include "tests/support/test_paths.h"
#include "toolkit/base/system_library.h"

namespace {

bool FileExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

const wchar_t kWineOverrides[] = L"Software\\Wine\\AppDefaults\\probe.exe\\DllOverrides";

class PlantedLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static int counter = 0;
    folder_ = std::wstring(temp) + L"brightmere-plant-" + std::to_wstring(GetCurrentProcessId()) +
              L"-" + std::to_wstring(++counter);
    ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
    ASSERT_TRUE(CopyFileW((TestProgramDir() + L"\\planted\\version.dll").c_str(),
                          (folder_ + L"\\version.dll").c_str(), FALSE));
    // Windows takes a library that is not a KnownDLL from wherever its search finds it
    // first. Wine prefers its own built-in copy unless told otherwise per program; this
    // makes it search like Windows does. Other systems ignore the key.
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kWineOverrides, 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const wchar_t order[] = L"native,builtin";
    RegSetValueExW(key, L"version", 0, REG_SZ, reinterpret_cast<const BYTE*>(order),
                   sizeof(order));
    RegCloseKey(key);
  }
  void TearDown() override {
    for (const wchar_t* name : {L"\\version.dll", L"\\planted.marker", L"\\probe.exe"})
      DeleteFileW((folder_ + name).c_str());
    RemoveDirectoryW(folder_.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, kWineOverrides);
  }

  // Copies the probe into the planted folder and runs it there; its exit code.
  long RunProbe(const wchar_t* probe, const wchar_t* mode) {
    std::wstring copy = folder_ + L"\\probe.exe";
    if (!CopyFileW((TestProgramDir() + L"\\" + probe).c_str(), copy.c_str(), FALSE))
      return -2;
    return RunToExit(copy, mode);
  }
  bool PlantedCopyWasLoaded() const { return FileExists(folder_ + L"\\planted.marker"); }

  std::wstring folder_;
};

// One way of loading version.dll, run by a probe started from the folder with the planted copy.
struct LoadCase {
  const char* name;
  const wchar_t* probe;
  const wchar_t* mode;
  bool plantedCopyLoaded;
};

// The three controls (planted copy loaded) show that it is found when nothing prevents it, so
// the other cases can fail.
const LoadCase kLoadCases[] = {
    {"PlainLoadLibrary", L"app_entry_dll_probe.exe", L"plain-load", true},
    {"PlainImport", L"app_entry_plain_probe.exe", L"", true},
    {"UnguardedDelayLoad", L"app_entry_unguarded_delay_probe.exe", L"", true},
    {"HardenedSearchPath", L"app_entry_dll_probe.exe", L"hardened-load", false},
    {"LoadSystemLibrary", L"app_entry_dll_probe.exe", L"system-load", false},
    {"DelayLoadedCall", L"app_entry_dll_probe.exe", L"delay-call", false},
    {"DelayLoadedCallBeforeHardening", L"app_entry_dll_probe.exe", L"delay-call-only", false},
};

class PlantedLibraryLoadTest : public PlantedLibraryTest,
                               public ::testing::WithParamInterface<LoadCase> {};

TEST_P(PlantedLibraryLoadTest, TakesThePlantedCopyOnlyWhenUnprotected) {
  EXPECT_EQ(RunProbe(GetParam().probe, GetParam().mode), 0);
  EXPECT_EQ(PlantedCopyWasLoaded(), GetParam().plantedCopyLoaded);
}

INSTANTIATE_TEST_SUITE_P(Ways, PlantedLibraryLoadTest, ::testing::ValuesIn(kLoadCases),
                         [](const ::testing::TestParamInfo<LoadCase>& info) {
                           return std::string(info.param.name);
                         });

// The installer binds GDI+'s delay imports at start: on x86_64 the delay-load stub drops float
// arguments in registers (the control shows it does there), on i686 they travel on the stack.
TEST(DelayLoadedFloatCallTest, ArgumentArrivesOnTheFirstCall) {
  const std::wstring probe = TestProgramDir() + L"\\app_entry_dll_probe.exe";
  EXPECT_EQ(RunToExit(probe, L"float-call"), 0);
  const long unbound = RunToExit(probe, L"float-call-unbound");
  if (sizeof(void*) == 8)
    EXPECT_NE(unbound, 0) << "the x86_64 stub kept the float: is the binding still needed?";
  else
    EXPECT_EQ(unbound, 0);
}

TEST_F(PlantedLibraryTest, LoadSystemLibraryRefusesAPath) {
  const std::wstring names[] = {folder_ + L"\\version.dll", folder_ + L"/version.dll",
                                L"C:version.dll", L".\\version.dll", L""};
  for (const std::wstring& name : names)
    EXPECT_EQ(base::LoadSystemLibrary(name.c_str()), nullptr);
  EXPECT_FALSE(PlantedCopyWasLoaded());
}

TEST(SystemFunctionTest, FindsAnExportAndAnswersNullForWhatIsMissing) {
  using GetTickCountFn = DWORD(WINAPI*)();
  const auto tickCount = base::GetSystemFunction<GetTickCountFn>(L"kernel32.dll", "GetTickCount");
  ASSERT_NE(tickCount, nullptr);
  const DWORD before = GetTickCount();
  EXPECT_LE(tickCount() - before, 1000u);  // the same clock, read a moment later
  EXPECT_EQ(base::GetSystemFunction<GetTickCountFn>(L"kernel32.dll", "NoSuchExport"), nullptr);
  EXPECT_EQ(base::GetSystemFunction<GetTickCountFn>(L"no_such_library.dll", "GetTickCount"),
            nullptr);
  EXPECT_EQ(base::GetSystemFunction<GetTickCountFn>(HMODULE{}, "GetTickCount"), nullptr);
}

}  // namespace
