// The display density the installer adapts to: the system DPI that picks the skin variant
// at start-up, and the switch to DPI adaptation with the display scale the toolkit and the
// start report use.
//
//   std::wstring theme = ThemeFolderForDpi(GetSystemDpi());     // "themes\default-hdpi"
//   int scale = ComputeDisplayScale(EnableDpiAdaptation(), GetMainMonitorDpi());  // 125
//
// Entry points that older systems lack are looked up by name at run time.
// Threading: UI thread (EnableDpiAdaptation changes the whole process); the two pure
// functions anywhere.
#pragma once

#include <string>

constexpr int kDefaultDpi = 96;  // 100 % scaling

// Windows 8 and later: user32's GetDpiForSystem (96 when it is missing); earlier: the
// screen's LOGPIXELSX.
int GetSystemDpi();

// "themes\default" up to 100 DPI, "themes\default-hdpi" up to 131, "themes\default-xhdpi" above.
std::wstring ThemeFolderForDpi(int dpi);

// Makes the process DPI-aware (per monitor where the system offers it, else system-wide).
// True when adaptation is on.
bool EnableDpiAdaptation();

// The horizontal DPI of the monitor nearest (1, 1); 96 when the system can't tell.
int GetMainMonitorDpi();

// The display scale in percent: monitorDpi * 100 / 96 rounded to nearest when adaptation is
// on, otherwise 100.
int ComputeDisplayScale(bool adaptationOn, int monitorDpi);
