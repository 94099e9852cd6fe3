// The file version in a program's version resource (VS_FIXEDFILEINFO), as one number that
// compares as versions do: major, minor, build and revision in 16 bits each, major highest.
//
//   uint64_t version = 0;
//   if (ReadFileVersion(L"C:\\x\\setup.exe", &version) && version < minimum) { ... }
//   FormatFileVersion(version);  // "2.1.0.7"
//
// version.dll is loaded from System32 only. Threading: any thread.
#pragma once

#include <cstdint>
#include <string>

// False when the file cannot be read or has no version resource.
bool ReadFileVersion(const std::wstring& path, uint64_t* version);

// "major.minor.build.revision".
std::wstring FormatFileVersion(uint64_t version);

// Reads "major.minor.build.revision" (each 0 to 65535); false for anything else.
bool ParseFileVersion(const std::wstring& text, uint64_t* version);
