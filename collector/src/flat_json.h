// Reading and writing the small JSON objects a usage report is made of: an object whose
// members are strings, plus at most one member whose value is an object of strings ("data").
// Anything else (numbers, arrays, deeper nesting, duplicate keys, trailing text) is refused:
// a report the installer made never has it, so it is not a report.
//
//   FlatObject report;
//   if (ParseFlatObject(R"({"eventId":"AppStart","data":{"Dpi":"96"}})", "data", &report))
//     report.members["eventId"];          // "AppStart"
//     report.nested["Dpi"];               // "96"
//   JsonQuoted("a\"b")                    // "\"a\\\"b\""
//
// Plain functions; any thread.
#pragma once

#include <map>
#include <string>
#include <string_view>

struct FlatObject {
  std::map<std::string, std::string> members;  // string members, UTF-8
  std::map<std::string, std::string> nested;   // the members of the one nested object
  bool hasNested = false;
};

// Parses `text` (UTF-8) as an object of string members where only the member named
// `nestedKey` may (and then must) be an object of strings. Escapes are decoded; a lone
// surrogate escape becomes U+FFFD. False for anything else.
bool ParseFlatObject(std::string_view text, std::string_view nestedKey, FlatObject* out);

// `text` as a JSON string literal, quotes included; control characters, quote and
// backslash escaped, everything else (UTF-8) kept.
std::string JsonQuoted(std::string_view text);

// {"key":"value",...} in key order.
std::string JsonObjectOfStrings(const std::map<std::string, std::string>& members);
