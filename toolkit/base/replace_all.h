// ReplaceAll: replaces every occurrence of a non-empty pattern, scanning left to right and
// resuming right after each inserted replacement, so an empty replacement removes every
// occurrence, adjacent ones included, and a replacement containing the pattern is not
// rescanned. An empty pattern changes nothing. Any thread.
#pragma once

#include <string>

void ReplaceAll(std::wstring& text, const std::wstring& pattern, const std::wstring& replacement);
