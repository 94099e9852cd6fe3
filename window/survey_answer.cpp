#include "window/survey_answer.h"

#include "build_settings.h"
#include "toolkit/base/replace_all.h"

namespace {

static_assert(sizeof(build::kReportSurveyLabels) / sizeof(build::kReportSurveyLabels[0]) ==
              kSurveyReasonCount);
constexpr const wchar_t* const* kReasonLabels = build::kReportSurveyLabels;

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
