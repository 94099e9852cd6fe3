// Where an install stands, and what the window shows in each state.
// Plain data; any thread (the window reads and writes its state on the UI thread only).
#pragma once

#include <cstdint>

enum InstallerState : int32_t {
  Welcome = 0,
  Downloading = 1,
  Installing = 2,
  Installed = 3,
  DownloadFailed = 4,
  AppRunningPrompt = 5,
  InstallFailed = 6,
  ExitSurvey = 7,
};

// The page box, close button and header image of each state.
struct PageView {
  const wchar_t* page;  // the name of the one visible page box
  bool exitButton;      // btn_exit shown
  bool surveyHeader;    // bkimage1 (40 high) instead of bkimage2 (256 high)
};

PageView ViewForState(InstallerState state);
