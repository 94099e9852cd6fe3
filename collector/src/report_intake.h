// Turning one upload request into a stored report, or into the reason it is refused.
// The body is the installer's form body "log=" + Base64 of the UTF-8 report text, sent
// without percent-encoding: it is read raw, so "+" stays "+" (a form parser would turn it
// into a space and corrupt the report). The identity facts come from the Cookie header.
//
//   Report report;
//   Refusal why = ReadReport(body, cookieHeader, "203.0.113.9", nowMs, &report);
//   if (why == Refusal::kNone) store(report);   // else answer 400 and count `why`
//
// Plain functions; any thread.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

// What the collector keeps of one report. Never the client's address: only its class.
struct Report {
  int64_t receivedMs = 0;       // when it arrived, milliseconds since 1970 (UTC)
  std::string event;            // "AppStart", "OnClick", ...
  std::string imei;             // the stub's unique identifier
  std::string channel;          // Cookie "channel"
  std::string stubVersion;      // Cookie "appver" (the report's own "appver" when absent)
  std::string os;               // Cookie "system" without its bitness: "Windows 10 Pro"
  std::string bitness;          // "64" or "32" from the "system" cookie; "" when unknown
  std::string addressClass;     // "loopback", "private", "public", "unknown"
  std::map<std::string, std::string> data;  // the report's parameters
};

enum class Refusal {
  kNone,
  kEmpty,         // no body
  kOversized,     // longer than the size cap (refused before it is read)
  kNotLogField,   // the body is not "log=..."
  kBadBase64,
  kBadUtf8,
  kBadJson,       // not an object of the report's shape, or a member missing
  kUnknownEvent,  // an event name the installer never sends
};

// A short stable name for counting: "empty", "oversized", "bad_base64", ...
const char* RefusalName(Refusal refusal);

// The event names the installer sends.
bool IsKnownEvent(std::string_view name);

// Strict standard Base64 (padding required, no line breaks, no other characters).
bool Base64Decode(std::string_view text, std::string* out);

// Cookie header "a=1;b=2;" (spaces after ';' allowed) to a table; later names win.
std::map<std::string, std::string> ParseCookies(std::string_view header);

// "loopback", "private" (RFC 1918, link-local, unique-local IPv6) or "public" for an IPv4 or
// IPv6 address in text form; "unknown" when it is neither.
std::string AddressClass(std::string_view address);

// Reads one request's body and cookies into `report` (receivedMs, addressClass filled from
// the arguments). On any refusal `report` is left unusable and must not be stored.
Refusal ReadReport(std::string_view body, std::string_view cookieHeader,
                   std::string_view address, int64_t receivedMs, Report* report);
