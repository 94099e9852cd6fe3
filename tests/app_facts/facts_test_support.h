// Helpers shared by the machine-facts tests: running the probe program in a fresh process,
// and registry values that are put back as they were when the test ends.
#pragma once

#include <string>

// Runs facts_probe.exe (or another program next to the test) with the given argument and
// returns what it printed; "" when it could not be run.
std::string RunProbe(const std::wstring& program, const std::wstring& argument);

// Remembers a value under HKEY_CURRENT_USER and restores it (or its absence) on destruction.
class ScopedUserRegValue {
 public:
  ScopedUserRegValue(std::wstring keyPath, std::wstring valueName);
  ~ScopedUserRegValue();
  ScopedUserRegValue(const ScopedUserRegValue&) = delete;
  ScopedUserRegValue& operator=(const ScopedUserRegValue&) = delete;

  void Delete();

 private:
  std::wstring keyPath_;
  std::wstring valueName_;
  bool existed_ = false;
  std::wstring saved_;
};

// Makes Wine report the given Windows version ("win7", "win10", ...) to processes of one
// program, through Wine's per-program setting; removed again on destruction.
class ScopedWineVersion {
 public:
  ScopedWineVersion(const std::wstring& programName, const std::wstring& version);
  ~ScopedWineVersion();
  ScopedWineVersion(const ScopedWineVersion&) = delete;
  ScopedWineVersion& operator=(const ScopedWineVersion&) = delete;

 private:
  std::wstring keyPath_;
};

// A fresh, empty directory under the user's temporary folder, removed on destruction.
class ScopedTempDir {
 public:
  ScopedTempDir();
  ~ScopedTempDir();
  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;

  const std::wstring& path() const { return path_; }

 private:
  std::wstring path_;
};
