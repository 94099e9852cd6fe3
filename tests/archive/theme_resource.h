// Opens the THEME resource (the zip skin package) linked into the running test program.
//
//   std::string error;
//   auto archive = OpenThemeResource(&error);
//
// Threading: any thread.
#pragma once

#include <memory>
#include <string>

#include "toolkit/archive/zip_archive.h"

// The archive borrows the resource's bytes, which stay mapped for the life of the process.
std::unique_ptr<ui::ZipArchive> OpenThemeResource(std::string* error);

// True when resource 136 of type THEME exists in language 2052 (Chinese, PRC) exactly.
bool ThemeResourceIsChinesePrc();
