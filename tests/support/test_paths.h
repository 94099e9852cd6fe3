// Test support: where a test finds its files. CMake hands paths to the tests as Unix paths
// (compile definitions, environment variables); Wine shows the Unix root as drive Z:.
//
//   ChildProcess probe;
//   probe.Start(TestProgramDir() + L"\\facts_probe.exe", L"");
//   std::wstring installer = WindowsPathFromUnix(BRIGHTMERE_INSTALLER_EXE);
//   std::wstring package = PathFromEnv("BRIGHTMERE_DEMO_PACKAGE");
//
// Threading: any thread.
#pragma once

#include <string>
#include <string_view>

// The folder of the running test program, without a trailing "\" (the probes and variants are
// built next to it).
std::wstring TestProgramDir();

// "/work/build/x" -> "Z:\work\build\x". A path that is not absolute on Unix is only given
// backslashes.
std::wstring WindowsPathFromUnix(std::string_view path);

// The environment variable `name` holding a path, as a Windows path; empty when unset.
std::wstring PathFromEnv(const char* name);
