// The toolkit's process-wide state: the skin source, the folders, global.xml, the display
// scale, GDI+, and the font and image caches every window shares.
//
//   ui::GlobalManager::SetDisplayScale(ComputeDisplayScale(dpi));
//   ui::GlobalManager::Startup(L"resources\\", L"themes\\default", L"lang\\zh_CN",
//                              std::make_unique<ui::ZipResourceSource>(std::move(archive)));
//   ...
//   ui::GlobalManager::Shutdown();
//
// Threading: UI thread only; Startup before the first window, Shutdown after the last.
#pragma once

#include <memory>
#include <string>

#include "toolkit/ui/core/global_resources.h"
#include "toolkit/ui/core/resource_source.h"

namespace ui {

class FontCache;
class ImageCache;

class GlobalManager {
 public:
  // Starts GDI+ and reads <resourceRoot>/<themeFolder>/global.xml from `source`. Returns
  // false (and keeps the reason for GetLastError) when global.xml is missing or malformed;
  // windows can still be built then, without fonts, colours and classes.
  static bool Startup(const std::wstring& resourceRoot, const std::wstring& themeFolder,
                      const std::wstring& languageFolder, std::unique_ptr<ResourceSource> source);
  static void Shutdown();
  static bool IsStarted();

  // Display scale in percent (100 when never set). Set it before creating windows.
  static int GetDisplayScale();
  static void SetDisplayScale(int percent);
  // The scale the theme's images were drawn for: 150 for a "-xhdpi" theme folder, 125 for
  // "-hdpi", otherwise 100.
  static int GetImageScale();

  // Paths relative to the resource root, '/'-separated: "themes/default".
  static const std::string& GetThemePath();
  static const std::string& GetLanguagePath();
  // Reads a file below the resource root.
  static bool ReadFile(const std::string& path, std::string* out);

  static const GlobalResources& GetGlobals();
  static FontCache& GetFonts();
  static ImageCache& GetImages();
  static const std::string& GetLastError();
};

}  // namespace ui
