// Shared helpers of the install tests: the fixtures' paths from the environment, scratch
// folders and the package server's control endpoint. Child processes and paths in general:
// tests/support.
#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "tests/support/child_process.h"

namespace install_test {

// The demo setup package and the demo application built with the tests.
std::wstring DemoPackagePath();
std::wstring DemoAppPath();

// Starts the demo application in `app` and waits until its window is up.
bool StartDemoApp(ChildProcess* app);

// A new empty folder under the temp folder whose name contains `hint` (spaces and Chinese
// characters welcome). Removed with everything in it by RemoveTree.
std::wstring MakeScratchDir(const std::wstring& hint);
void RemoveTree(const std::wstring& dir);

bool CopyFileTo(const std::wstring& from, const std::wstring& to);
bool FileExists(const std::wstring& path);

// The local package server started by with_package_server.sh.
class PackageServer {
 public:
  static int HttpPort();
  static int HttpsPort();
  static int UntrustedPort();

  static std::wstring PackageUrl();    // http://127.0.0.1:P/caller?c=site&a=downloadPackage&channel=test
  static std::wstring FallbackUrl();   // https://127.0.0.1:P/brightmere/brightmereSetup.exe
  static std::wstring UntrustedFallbackUrl();
  static std::wstring HttpFallbackUrl();  // the fallback path over plain http

  // target "package" or "fallback"; mode and arg as package_server.py documents them.
  static bool Set(const std::string& target, const std::string& mode, const std::string& arg = "");
  static bool Reset();
  // Requests per target since the last Reset.
  static std::map<std::string, int> Counts();
};

// Sets an environment variable of this process (and so of its children) while in scope.
class ScopedEnv {
 public:
  ScopedEnv(const wchar_t* name, const std::wstring& value);
  ~ScopedEnv();

 private:
  std::wstring name_;
};

}  // namespace install_test
