// Library planting: a version.dll that leaves a marker when loaded is put next to a probe
// program, as a download would sit next to the installer in a Downloads folder.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "app/dll_hardening.h"
#include "gtest/gtest.h"
#include "tests/app_entry/child_process.h"

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

// The three controls show that the planted copy is found when nothing prevents it, so the
// other cases can fail.
TEST_F(PlantedLibraryTest, PlainLoadLibraryLoadsThePlantedCopy) {
  EXPECT_EQ(RunProbe(L"app_entry_dll_probe.exe", L"plain-load"), 0);
  EXPECT_TRUE(PlantedCopyWasLoaded());
}

TEST_F(PlantedLibraryTest, PlainImportLoadsThePlantedCopy) {
  EXPECT_EQ(RunProbe(L"app_entry_plain_probe.exe", L""), 0);
  EXPECT_TRUE(PlantedCopyWasLoaded());
}

TEST_F(PlantedLibraryTest, UnguardedDelayLoadLoadsThePlantedCopy) {
  EXPECT_EQ(RunProbe(L"app_entry_unguarded_delay_probe.exe", L""), 0);
  EXPECT_TRUE(PlantedCopyWasLoaded());
}

TEST_F(PlantedLibraryTest, HardenedSearchPathSkipsThePlantedCopy) {
  EXPECT_EQ(RunProbe(L"app_entry_dll_probe.exe", L"hardened-load"), 0);
  EXPECT_FALSE(PlantedCopyWasLoaded());
}

TEST_F(PlantedLibraryTest, LoadSystemLibrarySkipsThePlantedCopy) {
  EXPECT_EQ(RunProbe(L"app_entry_dll_probe.exe", L"system-load"), 0);
  EXPECT_FALSE(PlantedCopyWasLoaded());
}

TEST_F(PlantedLibraryTest, DelayLoadedCallSkipsThePlantedCopy) {
  EXPECT_EQ(RunProbe(L"app_entry_dll_probe.exe", L"delay-call"), 0);
  EXPECT_FALSE(PlantedCopyWasLoaded());
}

TEST_F(PlantedLibraryTest, DelayLoadedCallSkipsThePlantedCopyBeforeHardening) {
  EXPECT_EQ(RunProbe(L"app_entry_dll_probe.exe", L"delay-call-only"), 0);
  EXPECT_FALSE(PlantedCopyWasLoaded());
}

TEST_F(PlantedLibraryTest, LoadSystemLibraryRefusesAPath) {
  EXPECT_EQ(LoadSystemLibrary((folder_ + L"\\version.dll").c_str()), nullptr);
  EXPECT_FALSE(PlantedCopyWasLoaded());
}

std::vector<char> ReadWholeFile(const std::wstring& path) {
  std::vector<char> bytes;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return bytes;
  bytes.resize(GetFileSize(file, nullptr));
  DWORD read = 0;
  if (!ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
    read = 0;
  bytes.resize(read);
  CloseHandle(file);
  return bytes;
}

// The DLL names in an executable's import table (not its delay-load table).
std::vector<std::string> ImportedDlls(const std::wstring& exe) {
  std::vector<char> image = ReadWholeFile(exe);
  std::vector<std::string> names;
  if (image.size() < sizeof(IMAGE_DOS_HEADER))
    return names;
  auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image.data());
  auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(image.data() + dos->e_lfanew);
  const IMAGE_SECTION_HEADER* sections = IMAGE_FIRST_SECTION(nt);
  auto offsetOf = [&](DWORD rva) -> size_t {
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
      const IMAGE_SECTION_HEADER& s = sections[i];
      if (rva >= s.VirtualAddress && rva < s.VirtualAddress + s.SizeOfRawData)
        return rva - s.VirtualAddress + s.PointerToRawData;
    }
    return 0;
  };
  DWORD importRva = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
  size_t at = offsetOf(importRva);
  for (; at && at + sizeof(IMAGE_IMPORT_DESCRIPTOR) <= image.size();
       at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
    auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(image.data() + at);
    if (entry->Name == 0)
      break;
    std::string name(image.data() + offsetOf(entry->Name));
    std::transform(name.begin(), name.end(), name.begin(), ::tolower);
    names.push_back(name);
  }
  return names;
}

TEST(InstallerImportTest, ImportTableHoldsOnlyKnownDlls) {
  // Libraries the system always takes from System32 (KnownDLLs since Windows 7).
  const std::set<std::string> known = {
      "kernel32.dll", "user32.dll",  "gdi32.dll",   "advapi32.dll", "shell32.dll",
      "shlwapi.dll",  "ole32.dll",   "oleaut32.dll", "comdlg32.dll", "ws2_32.dll",
      "imm32.dll",    "psapi.dll",   "setupapi.dll", "msvcrt.dll",   "rpcrt4.dll",
      "sechost.dll",  "normaliz.dll", "wldap32.dll"};
  std::vector<std::string> imported = ImportedDlls(WindowsPathFromUnix(BRIGHTMERE_INSTALLER_EXE));
  ASSERT_FALSE(imported.empty());
  for (const std::string& dll : imported)
    EXPECT_TRUE(known.count(dll)) << dll << " is imported directly and could be planted";
}

}  // namespace
