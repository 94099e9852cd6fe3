// Every usage report the installer sends, one function each, so that a call site is one
// line and the event names, keys and value forms live in one place.
//
//   ReportClick(kClickInstall);                        // "OnClick" {"ClickSrc":"Install"}
//   ReportExit(kExitFailedNotInstalled);               // "OnClick" {"btn_exit": <the product's value>}
//   ReportDownloadTimeCost(12, 0, 0, 31457280);        // "DownloadTimeCost"
//
// Threading: any thread (each builds its report on the calling thread and hands it to the
// http thread). The timing reports come from the general worker, the others from the UI
// thread.
#pragma once

#include <cstdint>
#include <string>

#include "build_settings.h"

// "ClickSrc" values.
extern const wchar_t kClickInstall[];          // install started (welcome or survey page)
extern const wchar_t kClickReInstall[];        // reinstall button; survey page shown
extern const wchar_t kClickDownloadOffline[];  // the full-package page is opened

// "btn_exit" values of the exit paths (the survey answer is built by ReportSurveyAnswer).
// Defined here, not in the .cpp: the window's Win32-free close rules (close_decision.cpp)
// choose among them without linking the report library.
// They are the product's report vocabulary, whatever language the window shows.
inline constexpr const wchar_t* kExitStartInstalled = build::kReportExitStartInstalled;
inline constexpr const wchar_t* kExitFailedInstalled = build::kReportExitFailedInstalled;
inline constexpr const wchar_t* kExitFailedNotInstalled = build::kReportExitFailedNotInstalled;

// "AppStart": {"Dpi", "FirstStart":"true", "Scale"}. Once, at start-up.
void ReportAppStart(int dpi, int scale);
// "OnClick" {"ClickSrc": clickSrc}.
void ReportClick(const wchar_t* clickSrc);
// "OnClick" {"btn_exit": btnExit}.
void ReportExit(std::wstring btnExit);
// "OnClick" {"btn_exit": "Start " + answer}: the exit survey's answer as the survey built it.
void ReportSurveyAnswer(const std::wstring& answer);
// "offline" {"result":"success"}.
void ReportOffline();
// "DownloadTimeCost" {"cost", "fileSize" (only when fileSize >= 0), "ret", "retryTime"}.
// Pass -1 as fileSize when the download failed.
void ReportDownloadTimeCost(int64_t cost, int ret, int retryTime, int64_t fileSize);
// "InstallTimeCost" {"cost", "ret", "retryTime"}.
void ReportInstallTimeCost(int64_t cost, int ret, int retryTime);
// "InstallResultReport" {"result":"success"}.
void ReportInstallSuccess();
// "InstallResultReport" {"errorMsg": errorMsg, "result":"faild"}.
void ReportInstallFailure(const std::wstring& errorMsg);
