#include "window/survey_answer.h"

#include "window/replace_all.h"

namespace {

constexpr const wchar_t* kReasonLabels[kSurveyReasonCount] = {
    L"已安装", L"曾安装", L"下载错", L"不喜欢", L"无理由"};

}  // namespace

const wchar_t* SurveyReasonLabel(int index) {
  return index >= 0 && index < kSurveyReasonCount ? kReasonLabels[index] : L"";
}

bool IsSurveyAnswered(const SurveyReasons& reasons, const std::wstring& feedback) {
  for (bool ticked : reasons) {
    if (ticked)
      return true;
  }
  return !feedback.empty();
}

std::wstring BuildSurveyAnswer(const std::wstring& feedback, const SurveyReasons& reasons) {
  std::wstring answer = feedback + L" ";
  ReplaceAll(answer, L"\r", L"");
  ReplaceAll(answer, L"\n", L"");
  ReplaceAll(answer, L"\"", L"\u201D");
  // The labels come after the replacements, so they are never touched by them.
  for (int i = 0; i < kSurveyReasonCount; ++i) {
    if (reasons[i])
      answer += kReasonLabels[i];
  }
  return answer;
}
