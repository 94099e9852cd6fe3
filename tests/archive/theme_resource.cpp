#include "tests/archive/theme_resource.h"

#include <windows.h>

std::unique_ptr<ui::ZipArchive> OpenThemeResource(std::string* error) {
  HRSRC info = FindResourceW(nullptr, MAKEINTRESOURCEW(136), L"THEME");
  if (!info) {
    *error = "no THEME resource 136";
    return nullptr;
  }
  HGLOBAL loaded = LoadResource(nullptr, info);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  const DWORD size = SizeofResource(nullptr, info);
  if (!data || size == 0) {
    *error = "THEME resource 136 cannot be loaded";
    return nullptr;
  }
  return ui::ZipArchive::Open(data, size, error);
}

bool ThemeResourceIsChinesePrc() {
  return FindResourceExW(nullptr, L"THEME", MAKEINTRESOURCEW(136),
                         MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED)) != nullptr;
}
