#include "toolkit/ui/core/resource_source.h"

namespace ui {

std::string MemoryResourceSource::Key(std::string_view path) {
  std::string key;
  for (char c : path) {
    if (c == '\\') c = '/';
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    key += c;
  }
  return key;
}

void MemoryResourceSource::Add(std::string_view path, std::string content) {
  files_[Key(path)] = std::move(content);
}

bool MemoryResourceSource::ReadFile(std::string_view path, std::string* out) {
  auto it = files_.find(Key(path));
  if (it == files_.end()) return false;
  *out = it->second;
  return true;
}

}  // namespace ui
