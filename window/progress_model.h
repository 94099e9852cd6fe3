// The install page's progress figure: the download fills 0 to 90.0 %, then the setup phase
// creeps on the 200 ms tick towards 99.9 % until the setup's result arrives.
//
//   ProgressModel model;
//   model.Update(Downloading, kProgressStart, downloadProgress, GetTickCount());
//   auto step = model.Update(state, kProgressOnTick, downloadProgress, GetTickCount());
//   if (step.redraw) {
//     bar->SetValue(model.progress() / 10);
//     label->SetText(FormatProgressText(model.progress()));
//   }
//
// Win32-free. UI thread only (the window owns one model).
#pragma once

#include <cstdint>
#include <string>

#include "window/installer_state.h"

// The figures Update takes, in tenths of a percent: a download starts at 1.0 % (and the slow
// download hint counts from then), a finished download stands at 90.0 %; kProgressOnTick asks
// for the tick's own step instead of a figure.
inline constexpr int kProgressOnTick = 0;
inline constexpr int kProgressStart = 10;
inline constexpr int kProgressDownloaded = 900;
inline constexpr int kProgressMost = 999;  // 99.9 %: the bar never shows done before the result

class ProgressModel {
 public:
  struct Step {
    bool redraw = false;             // the state shows progress: set the bar and its label
    bool showDownloadAlert = false;  // the download has run for more than 10 s: show the hint once
  };

  // value is kProgressOnTick or a figure to show (kProgressStart, kProgressDownloaded).
  // downloadProgress is the download job's latest figure (0..900); now a millisecond tick count.
  Step Update(InstallerState state, int value, int downloadProgress, uint32_t now);

  int progress() const { return progress_; }  // tenths of a percent, 0..999

 private:
  int progress_ = 0;
  uint32_t startTick_ = 0;
  bool downloadAlertShown_ = false;
};

// The text "progress_downloading" up to 900, "progress_installing" above, with the figure as
// "{percent}": "1.0", "90.3".
std::wstring FormatProgressText(int progress);

constexpr uint32_t kSlowDownloadHintMs = 10000;
