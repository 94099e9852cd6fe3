// Reads skin files out of the skin archive.
//
//   auto archive = ui::ZipArchive::Open(data, size, &error);
//   ui::GlobalManager::Startup(root, theme, lang,
//                              std::make_unique<ui::ZipResourceSource>(std::move(archive)));
//
// Threading: UI thread only.
#pragma once

#include <memory>

#include "toolkit/archive/zip_archive.h"
#include "toolkit/ui/core/resource_source.h"

namespace ui {

class ZipResourceSource : public ResourceSource {
 public:
  explicit ZipResourceSource(std::unique_ptr<ZipArchive> archive)
      : archive_(std::move(archive)) {}
  bool ReadFile(std::string_view path, std::string* out) override {
    std::string error;
    return archive_ && archive_->Read(path, out, &error);
  }

 private:
  std::unique_ptr<ZipArchive> archive_;
};

}  // namespace ui
