// The install page's progress figure: the download fills 0 to 90.0 %, then the setup phase
// creeps on the 200 ms tick towards 99.9 % until the setup's result arrives.
//
//   ProgressModel model;
//   model.Update(Downloading, 10, downloadProgress, GetTickCount());   // install starts
//   auto step = model.Update(state, 0, downloadProgress, GetTickCount());  // each tick
//   if (step.redraw) { bar->SetValue(model.progress() / 10); label->SetText(FormatProgressText(model.progress())); }
//
// Win32-free. UI thread only (the window owns one model).
#pragma once

#include <cstdint>
#include <string>

#include "window/installer_state.h"

class ProgressModel {
 public:
  struct Step {
    bool redraw = false;             // the state shows progress: set the bar and its label
    bool showDownloadAlert = false;  // the download has run for more than 10 s: show the hint once
  };

  // value 0 is the tick; 10 marks the start of a download; 900 the end of one.
  // downloadProgress is the download job's latest figure (0..900); now a millisecond tick count.
  Step Update(InstallerState state, int value, int downloadProgress, uint32_t now);

  int progress() const { return progress_; }  // tenths of a percent, 0..999

 private:
  int progress_ = 0;
  uint32_t startTick_ = 0;
  bool downloadAlertShown_ = false;
};

// "正在下载，请不要关闭：1.0%" up to 900, "下载完成，正在安装，请不要关闭：90.3%" above.
std::wstring FormatProgressText(int progress);

constexpr uint32_t kSlowDownloadHintMs = 10000;
