#include "window/progress_model.h"

#include <algorithm>
#include <cwchar>

#include "toolkit/base/text_table.h"

ProgressModel::Step ProgressModel::Update(InstallerState state, int value, int downloadProgress,
                                          uint32_t now) {
  Step step;
  switch (state) {
    case Welcome:
    case Installed:
    case DownloadFailed:
    case AppRunningPrompt:
    case InstallFailed:
      return step;
    case Downloading:
    case Installing:
    case ExitSurvey:
      break;
  }

  if (value != kProgressOnTick) {
    if (value == kProgressStart) {
      startTick_ = now;
      downloadAlertShown_ = false;
    }
    progress_ = value;
  } else {
    if (state == Downloading) {
      // Unsigned difference: correct across the tick count's wrap-around.
      if (!downloadAlertShown_ && now - startTick_ > kSlowDownloadHintMs) {
        downloadAlertShown_ = true;
        step.showDownloadAlert = true;
      }
      progress_ = std::min(downloadProgress, kProgressDownloaded);
    } else {
      progress_ += progress_ <= 950 ? 3 : 2;
    }
    progress_ = std::min(progress_, kProgressMost);
  }
  step.redraw = true;
  return step;
}

std::wstring FormatProgressText(int progress) {
  wchar_t percent[16];
  swprintf(percent, sizeof(percent) / sizeof(percent[0]), L"%0.1f", progress / 10.0);
  return base::Text(progress <= kProgressDownloaded ? "progress_downloading" : "progress_installing",
                    {{"percent", percent}});
}
