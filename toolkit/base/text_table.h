// The texts the user reads, by key: the display language's string table, read once at start-up
// from the skin package (resources/lang/<lang>/strings.ini), then looked up by the layouts
// (text="@install_now") and by the code.
//
//   base::TextTable table;
//   std::string error;
//   if (base::TextTable::Parse(fileBytes, &table, &error)) base::SetTexts(std::move(table));
//   label->SetText(base::Text("install_now"));
//   std::wstring title = base::Text("window_title", {{"name", displayName}});
//
// The file is UTF-8 (a byte-order mark is allowed): one `key = value` per line, spaces and
// tabs around both trimmed; lines starting with ';' or '#' are comments. In a value, `\n` is a
// line break and `\\` a backslash; `{name}` marks a value filled in at run time.
//
// Plain functions, no platform calls. Threading: SetTexts on the UI thread during start-up,
// before any other thread reads; afterwards the table is read-only and Text works on any thread.
#pragma once

#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace base {

class TextTable {
 public:
  // False with `error` ("line 7: ...") for a line without '=', an empty or repeated key, or a
  // key of other than ASCII letters, digits and '_'.
  static bool Parse(std::string_view utf8, TextTable* out, std::string* error);

  const std::wstring* Find(std::string_view key) const;
  std::vector<std::string> Keys() const;
  bool empty() const { return entries_.empty(); }

 private:
  std::map<std::string, std::wstring, std::less<>> entries_;
};

// A value for a `{name}` placeholder.
using TextValue = std::pair<std::string_view, std::wstring_view>;

// Replaces each `{name}` of `pattern` whose name `values` holds; other braces stay as they are.
std::wstring FillPlaceholders(std::wstring_view pattern, std::initializer_list<TextValue> values);

// The process's table (empty until set).
void SetTexts(TextTable table);
const TextTable& Texts();

// The text for `key`, placeholders filled. A key the table lacks shows as "[key]": a missing
// text is seen on screen and in tests, never an empty label.
std::wstring Text(std::string_view key, std::initializer_list<TextValue> values = {});

}  // namespace base
