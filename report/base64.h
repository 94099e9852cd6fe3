// Standard Base64 (RFC 4648, section 4: "+", "/", "=" padding, no line breaks) of a byte
// string, as the report upload body carries it.
//
//   Base64Encode("Ma") == "TWE="
//
// Plain function, no platform calls; any thread.
#pragma once

#include <string>

std::string Base64Encode(const std::string& bytes);
