#include "app/os_display_name.h"

namespace {

struct OsRow {
  int major;
  int minor;
  int servicePack;
  const wchar_t* name;
};

// Newest first: the first release the machine is at least gives its name.
constexpr OsRow kRows[] = {
    {10, 0, 0, L"Microsoft Windows 10"},      {6, 3, 0, L"Microsoft Windows 8.1"},
    {6, 2, 0, L"Microsoft Windows 8"},        {6, 1, 1, L"Microsoft Windows 7 sp1"},
    {6, 1, 0, L"Microsoft Windows 7"},        {6, 0, 2, L"Microsoft Windows Vista sp2"},
    {6, 0, 1, L"Microsoft Windows Vista sp1"}, {6, 0, 0, L"Microsoft Windows Vista"},
    {5, 1, 3, L"Microsoft Windows xp sp3"},   {5, 1, 2, L"Microsoft Windows xp sp2"},
    {5, 1, 1, L"Microsoft Windows xp sp1"},   {5, 1, 0, L"Microsoft Windows xp"},
};

}  // namespace

std::wstring PickOsDisplayName(bool isServer, const VersionAtLeastTest& isAtLeast) {
  if (isServer) return L"Microsoft Windows Server";
  for (const OsRow& row : kRows) {
    if (isAtLeast(row.major, row.minor, row.servicePack)) return row.name;
  }
  return L"unknown OperatingSystem.";
}
