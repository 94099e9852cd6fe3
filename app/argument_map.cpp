#include "app/argument_map.h"

ArgumentMap ParseArguments(const std::vector<std::wstring>& argv,
                           const std::function<bool(const std::wstring&)>& pathExists) {
  ArgumentMap result;
  for (const std::wstring& argument : argv) {
    if (argument.empty())
      continue;
    if (pathExists(argument)) {
      result[L"path"] = argument;
      continue;
    }
    std::wstring key;
    std::wstring value;
    size_t colon = argument.find(L':');
    if (colon == std::wstring::npos) {
      key = argument;
    } else if (colon >= 2) {
      key = argument.substr(0, colon);
      value = argument.substr(colon + 1);
    }
    // A colon at 0 or 1 ("C:\nope", ":x") leaves both empty: such an argument is a path
    // that doesn't exist, not a key.
    result[key] = value;
  }
  return result;
}
