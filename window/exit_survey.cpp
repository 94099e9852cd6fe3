// The exit survey page: the quit button follows the answers; quitting reports them.
#include "window/main_window.h"

#include "report/report_catalogue.h"
#include "toolkit/ui/core/button.h"
#include "toolkit/ui/core/check_box.h"
#include "toolkit/ui/core/rich_edit.h"
#include "window/survey_answer.h"

SurveyReasons CMainWindow::TickedReasons() const {
  SurveyReasons reasons{};
  for (int i = 0; i < kSurveyReasonCount; ++i) {
    auto* box = FindControl<ui::CheckBox>(L"checkbox_" + std::to_wstring(i + 1));
    reasons[i] = box && box->IsSelected();
  }
  return reasons;
}

std::wstring CMainWindow::FeedbackText() const {
  auto* feedback = FindControl<ui::RichEdit>(L"edit_feedback");
  return feedback ? feedback->GetText() : L"";
}

bool CMainWindow::UpdateSurveyQuitButton(const ui::EventArgs&) {
  if (auto* quit = FindControl<ui::Button>(L"btn_quitStart"))
    quit->SetEnabled(IsSurveyAnswered(TickedReasons(), FeedbackText()));
  return true;
}

void CMainWindow::SubmitSurveyAndQuit() {
  ReportSurveyAnswer(BuildSurveyAnswer(FeedbackText(), TickedReasons()));
  CloseAfterReports();
}
