#include "report/report_catalogue.h"

#include <utility>

#include "report/report.h"

const wchar_t kClickInstall[] = L"Install";
const wchar_t kClickReInstall[] = L"ReInstall";
const wchar_t kClickDownloadOffline[] = L"DownloadOffline";

void ReportAppStart(int dpi, int scale) {
  SendReport(L"AppStart", {{L"FirstStart", L"true"},
                           {L"Dpi", std::to_wstring(dpi)},
                           {L"Scale", std::to_wstring(scale)}});
}

void ReportClick(const wchar_t* clickSrc) {
  SendReport(L"OnClick", {{L"ClickSrc", clickSrc}});
}

void ReportExit(std::wstring btnExit) {
  SendReport(L"OnClick", {{L"btn_exit", std::move(btnExit)}});
}

void ReportSurveyAnswer(const std::wstring& answer) { ReportExit(L"Start " + answer); }

void ReportOffline() { SendReport(L"offline", {{L"result", L"success"}}); }

void ReportDownloadTimeCost(int64_t cost, int ret, int retryTime, int64_t fileSize) {
  ReportParams params{{L"cost", std::to_wstring(cost)},
                      {L"ret", std::to_wstring(ret)},
                      {L"retryTime", std::to_wstring(retryTime)}};
  if (fileSize >= 0)
    params[L"fileSize"] = std::to_wstring(fileSize);
  SendReport(L"DownloadTimeCost", std::move(params));
}

void ReportInstallTimeCost(int64_t cost, int ret, int retryTime) {
  SendReport(L"InstallTimeCost", {{L"cost", std::to_wstring(cost)},
                                  {L"ret", std::to_wstring(ret)},
                                  {L"retryTime", std::to_wstring(retryTime)}});
}

void ReportInstallSuccess() { SendReport(L"InstallResultReport", {{L"result", L"success"}}); }

void ReportInstallFailure(const std::wstring& errorMsg) {
  SendReport(L"InstallResultReport", {{L"errorMsg", errorMsg}, {L"result", L"faild"}});
}
