#include "toolkit/base/replace_all.h"

void ReplaceAll(std::wstring& text, const std::wstring& pattern, const std::wstring& replacement) {
  if (pattern.empty())
    return;
  size_t pos = 0;
  while ((pos = text.find(pattern, pos)) != std::wstring::npos) {
    text.replace(pos, pattern.size(), replacement);
    pos += replacement.size();
  }
}
