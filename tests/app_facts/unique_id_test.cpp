#include "app/unique_id.h"

#include <gtest/gtest.h>

#include <string>

#include "app/machine_facts.h"
#include "app/registry.h"
#include "tests/app_facts/facts_test_support.h"

namespace {

bool IsUpperHexDigest(const std::string& text) {
  if (text.size() != 32) return false;
  for (char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
  }
  return true;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

}  // namespace

TEST(UniqueIdTest, GuidTextIsUpperCaseWithBraces) {
  const GUID guid = {0x00112233, 0x4455, 0x6677, {0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF}};
  EXPECT_EQ(L"{00112233-4455-6677-8899-AABBCCDDEEFF}", FormatGuidText(guid));
}

TEST(UniqueIdTest, IdentifierOfAKnownGuidIsTheMd5OfItsText) {
  const GUID guid = {0x00112233, 0x4455, 0x6677, {0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF}};
  EXPECT_EQ(L"544823BDD4044255FEB33162C4E1B441", Md5HexUpper(FormatGuidText(guid)));
}

TEST(UniqueIdTest, StoredIdentifierIsUsedAsItIs) {
  ScopedUserRegValue stored(kAppInfoKey, L"UniqueId");
  WriteUserRegString(kAppInfoKey, L"UniqueId", L"0123456789ABCDEF0123456789ABCDEF");
  EXPECT_EQ("0123456789ABCDEF0123456789ABCDEF", RunProbe(L"facts_probe.exe", L"uniqueid"));
}

TEST(UniqueIdTest, OnlyThirtyTwoHexDigitsAreWellFormed) {
  const struct {
    const wchar_t* text;
    bool wellFormed;
  } cases[] = {
      {L"0123456789ABCDEF0123456789abcdef", true},
      {L"0123456789ABCDEF0123456789ABCDE", false},     // 31
      {L"0123456789ABCDEF0123456789ABCDEF0", false},   // 33
      {L"0123456789ABCDEF0123456789ABCDEG", false},
      {L"0123456789ABCDEF\"0123456789ABCDE", false},
      {L"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsWellFormedUniqueId(c.text), c.wellFormed) << c.text;
}

TEST(UniqueIdTest, StoredValueThatIsNotAnIdentifierIsReplaced) {
  ScopedUserRegValue stored(kAppInfoKey, L"UniqueId");
  WriteUserRegString(kAppInfoKey, L"UniqueId", L"x\",\"appver\":\"9");
  const std::string id = RunProbe(L"facts_probe.exe", L"uniqueid");
  EXPECT_TRUE(IsUpperHexDigest(id)) << id;
  EXPECT_EQ(id, Narrow(ReadUserRegString(kAppInfoKey, L"UniqueId")));
}

TEST(UniqueIdTest, NewIdentifierIsStoredAndSurvivesASecondRun) {
  ScopedUserRegValue stored(kAppInfoKey, L"UniqueId");
  stored.Delete();
  const std::string first = RunProbe(L"facts_probe.exe", L"uniqueid");
  EXPECT_TRUE(IsUpperHexDigest(first)) << first;
  EXPECT_EQ(first, Narrow(ReadUserRegString(kAppInfoKey, L"UniqueId")));
  EXPECT_EQ(first, RunProbe(L"facts_probe.exe", L"uniqueid"));
}

TEST(UniqueIdTest, EachNewUserGetsADifferentIdentifier) {
  ScopedUserRegValue stored(kAppInfoKey, L"UniqueId");
  stored.Delete();
  const std::string first = RunProbe(L"facts_probe.exe", L"uniqueid");
  stored.Delete();
  const std::string second = RunProbe(L"facts_probe.exe", L"uniqueid");
  EXPECT_TRUE(IsUpperHexDigest(second)) << second;
  EXPECT_NE(first, second);
}

TEST(UniqueIdTest, LaterCallsInTheProcessReturnTheSameIdentifier) {
  ScopedUserRegValue stored(kAppInfoKey, L"UniqueId");
  const std::wstring first = GetUniqueId();
  WriteUserRegString(kAppInfoKey, L"UniqueId", L"FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF");
  EXPECT_EQ(first, GetUniqueId());
}
