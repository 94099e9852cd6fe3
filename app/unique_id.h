// How GetUniqueId (machine_facts.h) turns a fresh GUID into the identifier: the MD5 of the
// GUID's text, never the GUID itself.
//
//   std::wstring id = Md5HexUpper(FormatGuidText(guid));
//
// Any thread.
#pragma once

#include <guiddef.h>

#include <string>

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}": 38 characters, upper-case, braces included.
std::wstring FormatGuidText(const GUID& guid);

// True for exactly 32 hexadecimal digits (either case). A stored identifier is used only
// then: HKCU is writable by any program of the user, and the identifier goes into every
// report and cookie.
bool IsWellFormedUniqueId(const std::wstring& text);
