#include "app/registry.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

constexpr wchar_t kTestKey[] = L"Software\\brightmere\\FactsTest\\Nested";

class RegistryTest : public ::testing::Test {
 protected:
  void TearDown() override {
    RegDeleteKeyW(HKEY_CURRENT_USER, kTestKey);
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\brightmere\\FactsTest");
  }
};

}  // namespace

TEST_F(RegistryTest, WriteCreatesMissingKeysAndReadReturnsTheText) {
  ASSERT_EQ(0, WriteUserRegString(kTestKey, L"InstallerPath", L"D:\\Apps\\\u660e\u6e56"));
  EXPECT_EQ(L"D:\\Apps\\\u660e\u6e56", ReadUserRegString(kTestKey, L"InstallerPath"));
}

TEST_F(RegistryTest, WriteStoresATerminatedRegSz) {
  ASSERT_EQ(0, WriteUserRegString(kTestKey, L"Value", L"abc"));
  DWORD type = 0, bytes = 0;
  ASSERT_EQ(ERROR_SUCCESS, RegGetValueW(HKEY_CURRENT_USER, kTestKey, L"Value", RRF_RT_ANY,
                                        &type, nullptr, &bytes));
  EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
  EXPECT_EQ(8u, bytes);
}

TEST_F(RegistryTest, MissingKeyOrValueReadsAsEmpty) {
  EXPECT_EQ(L"", ReadUserRegString(L"Software\\brightmere\\NoSuchKey", L"Value"));
  WriteUserRegString(kTestKey, L"Other", L"x");
  EXPECT_EQ(L"", ReadUserRegString(kTestKey, L"Missing"));
}

TEST_F(RegistryTest, ValueLongerThanTheBufferReadsAsEmpty) {
  const std::wstring text(260, L'x');
  WriteUserRegString(kTestKey, L"Long", text);
  // 260 characters plus the terminator exceed the buffer: the registry refuses the read.
  EXPECT_EQ(L"", ReadUserRegString(kTestKey, L"Long"));
  const std::wstring shorter(259, L'y');
  WriteUserRegString(kTestKey, L"Long", shorter);
  EXPECT_EQ(shorter, ReadUserRegString(kTestKey, L"Long"));
}

TEST_F(RegistryTest, ReadStopsAtTheFirstNul) {
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0,
                                           KEY_SET_VALUE, nullptr, &key, nullptr));
  const wchar_t data[] = L"first\0second";
  RegSetValueExW(key, L"Multi", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(data),
                 sizeof(data));
  RegCloseKey(key);
  EXPECT_EQ(L"first", ReadUserRegString(kTestKey, L"Multi"));
}

TEST_F(RegistryTest, OverwriteReplacesTheValue) {
  WriteUserRegString(kTestKey, L"InstallerChannel", L"first_channel_00001");
  WriteUserRegString(kTestKey, L"InstallerChannel", L"abc");
  EXPECT_EQ(L"abc", ReadUserRegString(kTestKey, L"InstallerChannel"));
}
