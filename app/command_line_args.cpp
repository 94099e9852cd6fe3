#include "app/command_line_args.h"

#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>

namespace {

// Splits with the system's own quoting rules. False when the system refuses.
bool SplitCommandLine(const std::wstring& commandLine, std::vector<std::wstring>* argv) {
  int count = 0;
  LPWSTR* list = CommandLineToArgvW(commandLine.c_str(), &count);
  if (!list)
    return false;
  argv->assign(list, list + count);
  LocalFree(list);
  return true;
}

}  // namespace

CommandLineArgs& CommandLineArgs::Instance() {
  static CommandLineArgs* const instance = new CommandLineArgs();  // lives until exit
  return *instance;
}

bool CommandLineArgs::Parse(const std::wstring& commandLine) {
  raw_ = commandLine;
  arguments_.clear();
  std::vector<std::wstring> argv;
  if (!SplitCommandLine(commandLine, &argv))
    return false;
  arguments_ = ParseArguments(argv, [](const std::wstring& path) {
    return PathFileExistsW(path.c_str()) != FALSE;
  });
  return true;
}

std::wstring CommandLineArgs::Value(const std::wstring& key) const {
  auto it = arguments_.find(key);
  return it == arguments_.end() ? std::wstring() : it->second;
}
