#include "toolkit/ui/win/global_manager.h"

#include "toolkit/ui/win/gdiplus_include.h"

#include "toolkit/base/utf8.h"
#include "toolkit/ui/core/values.h"
#include "toolkit/ui/win/font_cache.h"
#include "toolkit/ui/win/image_cache.h"

namespace ui {
namespace {

struct State {
  ULONG_PTR gdiplusToken = 0;
  std::unique_ptr<ResourceSource> source;
  std::string root;
  std::string themePath;
  std::string languagePath;
  GlobalResources globals;
  std::unique_ptr<FontCache> fonts;
  std::unique_ptr<ImageCache> images;
  std::string lastError;
  int imageScale = 100;
};

State* g_state = nullptr;
int g_displayScale = 100;

State& Get() {
  if (!g_state) g_state = new State;  // lives until Shutdown
  return *g_state;
}

std::string NarrowPath(const std::wstring& path) { return JoinPath("", base::WideToUtf8(path)); }

bool EndsWith(const std::string& s, const char* tail) {
  size_t n = strlen(tail);
  return s.size() >= n && _stricmp(s.c_str() + s.size() - n, tail) == 0;
}

}  // namespace

bool GlobalManager::Startup(const std::wstring& resourceRoot, const std::wstring& themeFolder,
                            const std::wstring& languageFolder,
                            std::unique_ptr<ResourceSource> source) {
  State& s = Get();
  if (!s.gdiplusToken) {
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&s.gdiplusToken, &input, nullptr);
  }
  s.source = std::move(source);
  s.root = NarrowPath(resourceRoot);
  s.themePath = NarrowPath(themeFolder);
  s.languagePath = NarrowPath(languageFolder);
  s.imageScale = EndsWith(s.themePath, "-xhdpi") ? 150 : EndsWith(s.themePath, "-hdpi") ? 125 : 100;
  s.globals = GlobalResources();
  s.lastError.clear();
  std::string globalPath = JoinPath(s.themePath, "global.xml");
  std::string xml;
  bool ok = true;
  if (!ReadFile(globalPath, &xml)) {
    s.lastError = JoinPath(s.root, globalPath) + ": not found";
    ok = false;
  } else if (!GlobalResources::Parse(xml, JoinPath(s.root, globalPath), &s.globals,
                                     &s.lastError)) {
    ok = false;
  }
  s.fonts = std::make_unique<FontCache>(&s.globals);
  s.images = std::make_unique<ImageCache>(s.source.get(), s.root);
  return ok;
}

void GlobalManager::Shutdown() {
  if (!g_state) return;
  ULONG_PTR token = g_state->gdiplusToken;
  delete g_state;  // the caches hold GDI+ objects: gone before GDI+ shuts down
  g_state = nullptr;
  if (token) Gdiplus::GdiplusShutdown(token);
}

bool GlobalManager::IsStarted() { return g_state && g_state->fonts; }

int GlobalManager::GetDisplayScale() { return g_displayScale; }

void GlobalManager::SetDisplayScale(int percent) {
  g_displayScale = percent >= 50 && percent <= 500 ? percent : 100;
}

int GlobalManager::GetImageScale() { return Get().imageScale; }

const std::string& GlobalManager::GetThemePath() { return Get().themePath; }
const std::string& GlobalManager::GetLanguagePath() { return Get().languagePath; }

bool GlobalManager::ReadFile(const std::string& path, std::string* out) {
  State& s = Get();
  return s.source && s.source->ReadFile(JoinPath(s.root, path), out);
}

const GlobalResources& GlobalManager::GetGlobals() { return Get().globals; }

FontCache& GlobalManager::GetFonts() {
  State& s = Get();
  if (!s.fonts) s.fonts = std::make_unique<FontCache>(&s.globals);
  return *s.fonts;
}

ImageCache& GlobalManager::GetImages() {
  State& s = Get();
  if (!s.images) s.images = std::make_unique<ImageCache>(s.source.get(), s.root);
  return *s.images;
}

const std::string& GlobalManager::GetLastError() { return Get().lastError; }

}  // namespace ui
