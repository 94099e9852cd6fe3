// Hostile registry values at start: values longer than the installer's read buffer read as
// empty, the installer still starts, and an unreadable "UniqueId" is made anew and rewritten.
// Uninstall entries whose "DisplayName" is not a string never count as the product.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/registry.h"
#include "build_settings.h"
#include "install/install_records.h"
#include "tests/robustness/installer_process.h"

namespace {

constexpr DWORD kStartTimeoutMs = 30000;
const wchar_t* const kValues[] = {L"InstallerChannel", L"InstallerPath", L"UniqueId"};

struct SavedValue {
  bool present = false;
  DWORD type = 0;
  std::vector<BYTE> data;
};

SavedValue Save(const wchar_t* name) {
  SavedValue saved;
  DWORD bytes = 0;
  if (RegGetValueW(HKEY_CURRENT_USER, kAppInfoKey, name, RRF_RT_ANY | RRF_NOEXPAND, &saved.type,
                   nullptr, &bytes) != ERROR_SUCCESS) {
    return saved;
  }
  saved.data.resize(bytes);
  saved.present = RegGetValueW(HKEY_CURRENT_USER, kAppInfoKey, name, RRF_RT_ANY | RRF_NOEXPAND,
                               &saved.type, saved.data.data(), &bytes) == ERROR_SUCCESS;
  saved.data.resize(bytes);
  return saved;
}

void Restore(const wchar_t* name, const SavedValue& saved) {
  if (saved.present) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kAppInfoKey, name, saved.type, saved.data.data(),
                    static_cast<DWORD>(saved.data.size()));
  } else {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kAppInfoKey, name);
  }
}

void WriteString(HKEY root, const std::wstring& key, const wchar_t* name,
                 const std::wstring& text) {
  RegSetKeyValueW(root, key.c_str(), name, REG_SZ, text.c_str(),
                  static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

class LongRegistryValues : public testing::Test {
 protected:
  void SetUp() override {
    for (const wchar_t* name : kValues)
      saved_.push_back(Save(name));
  }
  void TearDown() override {
    for (size_t i = 0; i < saved_.size(); ++i)
      Restore(kValues[i], saved_[i]);
  }

 private:
  std::vector<SavedValue> saved_;
};

TEST_F(LongRegistryValues, InstallerStartsAndRewritesTheUniqueId) {
  const std::wstring tooLong(300, L'r');
  for (const wchar_t* name : kValues)
    WriteString(HKEY_CURRENT_USER, kAppInfoKey, name, tooLong);

  // "_upgrade" makes the settings read the stored channel.
  InstallerProcess installer;
  ASSERT_TRUE(installer.Start(InstallerPath(), L"channel:_upgrade"));
  HWND window =
      installer.WaitForWindow(std::wstring(build::kDisplayName) + L" 安装程序", kStartTimeoutMs);
  ASSERT_NE(window, nullptr);

  // The start report, sent before the window appears, needed the identifier.
  const std::wstring id = ReadUserRegString(kAppInfoKey, L"UniqueId");
  EXPECT_EQ(id.size(), 32u) << testing::PrintToString(id);
  EXPECT_EQ(id.find_first_not_of(L"0123456789ABCDEF"), std::wstring::npos);
  EXPECT_EQ(Save(L"InstallerChannel").data.size(), (tooLong.size() + 1) * sizeof(wchar_t))
      << "the stored channel must be left as it was";

  PostMessageW(window, WM_CLOSE, 0, 0);
  DWORD exitCode = 1;
  ASSERT_TRUE(installer.WaitForExit(kStartTimeoutMs, &exitCode));
  EXPECT_EQ(exitCode, 0u);
}

// Uninstall entries made under a name no real program has, in the 32-bit view where setups
// write.
class HostileUninstallEntry : public testing::Test {
 protected:
  static constexpr wchar_t kName[] = L"RobustnessProbeProduct";
  const std::wstring key_ = L"RobustnessProbeEntry";

  void SetUp() override {
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE,
                              L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall", 0,
                              nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY, nullptr, &list_,
                              nullptr),
              ERROR_SUCCESS);
  }
  void TearDown() override {
    RegDeleteTreeW(list_, key_.c_str());
    RegCloseKey(list_);
  }

  void Write(DWORD type, const void* data, DWORD bytes) {
    ASSERT_EQ(RegSetKeyValueW(list_, key_.c_str(), L"DisplayName", type, data, bytes),
              ERROR_SUCCESS);
  }

  HKEY list_ = nullptr;
};

TEST_F(HostileUninstallEntry, StringEntryWithTheNameMatches) {
  WriteString(list_, key_, L"DisplayName", std::wstring(kName) + L" 1.0");
  EXPECT_TRUE(FindUninstallEntry(UninstallView::k32Bit, kName));
}

TEST_F(HostileUninstallEntry, NumberIsNotAName) {
  const DWORD number = 0x00520052;  // "RR" when read as text
  Write(REG_DWORD, &number, sizeof(number));
  EXPECT_FALSE(FindUninstallEntry(UninstallView::k32Bit, L"RR"));
}

TEST_F(HostileUninstallEntry, BinaryHoldingTheNameIsNotAName) {
  // The name's UTF-16 bytes without a terminator, then one odd byte.
  std::wstring text = kName;
  std::vector<BYTE> bytes(reinterpret_cast<const BYTE*>(text.data()),
                          reinterpret_cast<const BYTE*>(text.data() + text.size()));
  bytes.push_back(0x41);
  Write(REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size()));
  EXPECT_FALSE(FindUninstallEntry(UninstallView::k32Bit, kName));
}

TEST_F(HostileUninstallEntry, UnterminatedNameIsReadUpToItsEnd) {
  // 255 code units without a terminator: the name ends one code unit before the buffer does.
  std::wstring text = std::wstring(255 - wcslen(kName), L'x') + kName;
  Write(REG_SZ, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)));
  EXPECT_TRUE(FindUninstallEntry(UninstallView::k32Bit, kName));
}

}  // namespace
