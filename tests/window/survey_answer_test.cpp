#include "window/survey_answer.h"

#include <gtest/gtest.h>

#include "toolkit/base/replace_all.h"

namespace {

TEST(ReplaceAllTest, EmptyReplacementRemovesAdjacentOccurrences) {
  std::wstring text = L"a\r\r\rb\r";
  ReplaceAll(text, L"\r", L"");
  EXPECT_EQ(text, L"ab");
}

TEST(ReplaceAllTest, ReplacementContainingThePatternIsNotRescanned) {
  std::wstring text = L"xax";
  ReplaceAll(text, L"x", L"xx");
  EXPECT_EQ(text, L"xxaxx");
}

TEST(ReplaceAllTest, EmptyPatternChangesNothing) {
  std::wstring text = L"abc";
  ReplaceAll(text, L"", L"z");
  EXPECT_EQ(text, L"abc");
}

TEST(SurveyAnswerTest, QuitNeedsAReasonOrAnyText) {
  SurveyReasons none{};
  EXPECT_FALSE(IsSurveyAnswered(none, L""));
  EXPECT_TRUE(IsSurveyAnswered(none, L" "));
  SurveyReasons fifth{};
  fifth[4] = true;
  EXPECT_TRUE(IsSurveyAnswered(fifth, L""));
}

TEST(SurveyAnswerTest, EmptyTextWithReasonsOneAndThree) {
  SurveyReasons reasons{};
  reasons[0] = reasons[2] = true;
  EXPECT_EQ(L"Start " + BuildSurveyAnswer(L"", reasons), L"Start  已安装下载错");
}

TEST(SurveyAnswerTest, TwoLinesWithAQuote) {
  SurveyReasons reasons{};
  reasons[3] = true;
  EXPECT_EQ(BuildSurveyAnswer(L"a\"b\r\nc", reasons), L"a\u201Dbc 不喜欢");
}

TEST(SurveyAnswerTest, ReasonsAlwaysInOrderOneToFive) {
  SurveyReasons all;
  all.fill(true);
  EXPECT_EQ(BuildSurveyAnswer(L"x", all), L"x 已安装曾安装下载错不喜欢无理由");
}

TEST(SurveyAnswerTest, BackslashAndNonAsciiKeptAsTyped) {
  SurveyReasons none{};
  EXPECT_EQ(BuildSurveyAnswer(L"C:\\路径", none), L"C:\\路径 ");
}

}  // namespace
