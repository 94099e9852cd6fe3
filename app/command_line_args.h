// The installer's command line as a key/value map. Arguments are split at the first ':'
// ("installPath:D:\Apps" → "installPath" = "D:\Apps"); an argument naming an existing file
// or folder is kept whole under "path". The keys the installer reads are "installPath" and
// "channel".
//
//   CommandLineArgs::Instance().Parse(lpCmdLine);     // once, in wWinMain
//   std::wstring channel = CommandLineArgs::Instance().Value(L"channel");
//
// Threading: parsed on the main thread before the UI loop starts, only read afterwards.
#pragma once

#include <string>

#include "app/argument_map.h"

class CommandLineArgs {
 public:
  // The process-wide instance, created on first use and never destroyed.
  static CommandLineArgs& Instance();

  // Keeps the raw line and rebuilds the map. False only when the system can't split the
  // line; the map is then empty. An empty line yields "path" = this program's own path.
  bool Parse(const std::wstring& commandLine);

  const std::wstring& raw() const { return raw_; }
  const ArgumentMap& arguments() const { return arguments_; }
  // Empty when the key is absent.
  std::wstring Value(const std::wstring& key) const;
  bool Has(const std::wstring& key) const { return arguments_.count(key) != 0; }

 private:
  std::wstring raw_;
  ArgumentMap arguments_;
};
