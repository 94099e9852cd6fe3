#include "app/command_line_args.h"

#include <windows.h>

#include "gtest/gtest.h"

namespace {

ArgumentMap ParseLine(const std::wstring& line) {
  CommandLineArgs args;
  EXPECT_TRUE(args.Parse(line));
  return args.arguments();
}

TEST(CommandLineArgsTest, ExistingDirectoryIsStoredWholeUnderPath) {
  EXPECT_EQ(ParseLine(L"C:\\windows"), (ArgumentMap{{L"path", L"C:\\windows"}}));
}

TEST(CommandLineArgsTest, ColonAtPositionZeroGivesEmptyKeyAndValue) {
  EXPECT_EQ(ParseLine(L":abc"), (ArgumentMap{{L"", L""}}));
}

TEST(CommandLineArgsTest, MissingPathWithDriveColonGivesEmptyKeyAndValue) {
  EXPECT_EQ(ParseLine(L"C:\\nope-brightmere"), (ArgumentMap{{L"", L""}}));
}

TEST(CommandLineArgsTest, SplitsAtTheFirstColonOnly) {
  EXPECT_EQ(ParseLine(L"channel:abc installPath:D:\\x"),
            (ArgumentMap{{L"channel", L"abc"}, {L"installPath", L"D:\\x"}}));
}

TEST(CommandLineArgsTest, ColonAtTheEndGivesEmptyValue) {
  EXPECT_EQ(ParseLine(L"channel:"), (ArgumentMap{{L"channel", L""}}));
}

TEST(CommandLineArgsTest, ArgumentWithoutColonIsKeyWithEmptyValue) {
  EXPECT_EQ(ParseLine(L"channel"), (ArgumentMap{{L"channel", L""}}));
}

TEST(CommandLineArgsTest, RepeatedKeyKeepsTheLastValue) {
  EXPECT_EQ(ParseLine(L"channel:first channel:second"),
            (ArgumentMap{{L"channel", L"second"}}));
}

TEST(CommandLineArgsTest, KeysAreCaseSensitive) {
  EXPECT_EQ(ParseLine(L"channel:a Channel:b"),
            (ArgumentMap{{L"Channel", L"b"}, {L"channel", L"a"}}));
}

TEST(CommandLineArgsTest, EmptyLineGivesTheProgramsOwnPath) {
  wchar_t self[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  EXPECT_EQ(ParseLine(L""), (ArgumentMap{{L"path", std::wstring(self, length)}}));
}

TEST(CommandLineArgsTest, QuotesGroupWordsAndAreRemoved) {
  EXPECT_EQ(ParseLine(L"\"installPath:C:\\My Apps\\Photo\" channel:x"),
            (ArgumentMap{{L"channel", L"x"}, {L"installPath", L"C:\\My Apps\\Photo"}}));
}

TEST(CommandLineArgsTest, EmptyQuotedArgumentIsSkipped) {
  EXPECT_EQ(ParseLine(L"\"\" channel:x"), (ArgumentMap{{L"channel", L"x"}}));
}

TEST(CommandLineArgsTest, KeepsTheRawLineAndReplacesTheMapOnReparse) {
  CommandLineArgs args;
  args.Parse(L"channel:a installPath:D:\\x");
  args.Parse(L"channel:b");
  EXPECT_EQ(args.raw(), L"channel:b");
  EXPECT_EQ(args.arguments(), (ArgumentMap{{L"channel", L"b"}}));
}

TEST(CommandLineArgsTest, ValueOfAnAbsentKeyIsEmpty) {
  CommandLineArgs args;
  args.Parse(L"channel:abc");
  EXPECT_EQ(args.Value(L"channel"), L"abc");
  EXPECT_EQ(args.Value(L"installPath"), L"");
  EXPECT_FALSE(args.Has(L"installPath"));
}

TEST(ParseArgumentsTest, ExistingPathWinsOverColonSplitting) {
  auto exists = [](const std::wstring& path) { return path == L"ab:cd"; };
  EXPECT_EQ(ParseArguments({L"ab:cd", L"ef:gh"}, exists),
            (ArgumentMap{{L"ef", L"gh"}, {L"path", L"ab:cd"}}));
}

TEST(ParseArgumentsTest, LaterPathReplacesEarlierPath) {
  auto exists = [](const std::wstring&) { return true; };
  EXPECT_EQ(ParseArguments({L"one", L"two"}, exists), (ArgumentMap{{L"path", L"two"}}));
}

}  // namespace
