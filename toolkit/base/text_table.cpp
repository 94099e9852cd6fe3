#include "toolkit/base/text_table.h"

#include <algorithm>

#include "toolkit/base/utf8.h"

namespace base {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

bool IsKey(std::string_view key) {
  if (key.empty()) return false;
  for (char c : key) {
    bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    if (!ok) return false;
  }
  return true;
}

std::string Unescape(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\\' && i + 1 < value.size() && (value[i + 1] == 'n' || value[i + 1] == '\\')) {
      out += value[++i] == 'n' ? '\n' : '\\';
    } else {
      out += value[i];
    }
  }
  return out;
}

TextTable& Table() {
  static TextTable table;
  return table;
}

}  // namespace

bool TextTable::Parse(std::string_view utf8, TextTable* out, std::string* error) {
  if (utf8.substr(0, 3) == "\xEF\xBB\xBF") utf8.remove_prefix(3);
  TextTable table;
  int lineNumber = 0;
  while (!utf8.empty()) {
    ++lineNumber;
    size_t end = utf8.find('\n');
    std::string_view line = Trim(utf8.substr(0, end));
    utf8.remove_prefix(end == std::string_view::npos ? utf8.size() : end + 1);
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    size_t equals = line.find('=');
    std::string where = "line " + std::to_string(lineNumber) + ": ";
    if (equals == std::string_view::npos) {
      *error = where + "expected key = value";
      return false;
    }
    std::string key(Trim(line.substr(0, equals)));
    if (!IsKey(key)) {
      *error = where + "bad key '" + key + "'";
      return false;
    }
    std::wstring value = Utf8ToWideReplacing(Unescape(Trim(line.substr(equals + 1))));
    if (!table.entries_.emplace(key, std::move(value)).second) {
      *error = where + "key '" + key + "' repeated";
      return false;
    }
  }
  *out = std::move(table);
  return true;
}

const std::wstring* TextTable::Find(std::string_view key) const {
  auto it = entries_.find(key);
  return it == entries_.end() ? nullptr : &it->second;
}

std::vector<std::string> TextTable::Keys() const {
  std::vector<std::string> keys;
  for (const auto& entry : entries_) keys.push_back(entry.first);
  return keys;
}

std::wstring FillPlaceholders(std::wstring_view pattern, std::initializer_list<TextValue> values) {
  std::wstring out;
  out.reserve(pattern.size());
  size_t i = 0;
  while (i < pattern.size()) {
    size_t open = pattern.find(L'{', i);
    size_t close = open == std::wstring_view::npos ? open : pattern.find(L'}', open);
    if (close == std::wstring_view::npos) break;
    out.append(pattern.substr(i, open - i));
    std::wstring_view name = pattern.substr(open + 1, close - open - 1);
    const TextValue* match = nullptr;
    for (const TextValue& v : values) {
      if (name.size() == v.first.size() && std::equal(name.begin(), name.end(), v.first.begin()))
        match = &v;
    }
    if (match) {
      out.append(match->second);
      i = close + 1;
    } else {
      out += L'{';
      i = open + 1;
    }
  }
  out.append(pattern.substr(std::min(i, pattern.size())));
  return out;
}

void SetTexts(TextTable table) { Table() = std::move(table); }

const TextTable& Texts() { return Table(); }

std::wstring Text(std::string_view key, std::initializer_list<TextValue> values) {
  const std::wstring* value = Table().Find(key);
  if (!value) return L"[" + Utf8ToWideReplacing(key) + L"]";
  return values.size() == 0 ? *value : FillPlaceholders(*value, values);
}

}  // namespace base
