#include "toolkit/ui/core/markup_error.h"

namespace ui {

int LineAt(std::string_view text, std::ptrdiff_t offset) {
  int line = 1;
  size_t end = offset < 0 ? 0 : static_cast<size_t>(offset);
  if (end > text.size()) end = text.size();
  for (size_t i = 0; i < end; ++i)
    if (text[i] == '\n') ++line;
  return line;
}

std::string MarkupError(std::string_view fileName, int line, const std::string& message) {
  return std::string(fileName) + ":" + std::to_string(line) + ": " + message;
}

}  // namespace ui
