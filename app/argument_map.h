// The command line's arguments as a key/value map: an argument that names an existing file
// or folder is stored under "path"; otherwise it is split at its first ':' (key:value), with
// a ':' at position 0 or 1 giving an empty key and value (a drive path that doesn't exist).
//
//   ArgumentMap args = ParseArguments({L"channel:abc", L"installPath:D:\\x"}, exists);
//
// Free of the platform so the rules can be exercised natively. Any thread.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

using ArgumentMap = std::map<std::wstring, std::wstring>;

// The splitting rules, free of the platform so they can be exercised natively. Empty
// arguments are skipped; a later argument with the same key wins.
ArgumentMap ParseArguments(const std::vector<std::wstring>& argv,
                           const std::function<bool(const std::wstring&)>& pathExists);
