// Error texts of the markup readers: "<file>:<line>: <message>", the line counted from the
// byte offset pugixml reports for a node.
//
// Threading: plain functions, any thread.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ui {

// The 1-based line of byte `offset` in `text`.
int LineAt(std::string_view text, std::ptrdiff_t offset);

std::string MarkupError(std::string_view fileName, int line, const std::string& message);

}  // namespace ui
