// Where the toolkit reads skin files from: the skin archive in the real program, a map of
// files in tests. Paths use '/' or '\\'; implementations may ignore ASCII case.
//
//   ui::MemoryResourceSource files;
//   files.Add("themes/default/global.xml", "<Global/>");
//
// Threading: UI thread only.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace ui {

class ResourceSource {
 public:
  virtual ~ResourceSource() = default;
  virtual bool ReadFile(std::string_view path, std::string* out) = 0;
};

// Files held in memory; lookups ignore ASCII case and treat '\\' as '/'.
class MemoryResourceSource : public ResourceSource {
 public:
  void Add(std::string_view path, std::string content);
  bool ReadFile(std::string_view path, std::string* out) override;

 private:
  static std::string Key(std::string_view path);
  std::map<std::string, std::string> files_;
};

}  // namespace ui
