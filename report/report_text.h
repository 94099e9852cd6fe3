// Building a usage report's text and upload body: the parameter object, the report JSON
// with the installer's identity, and the "log=" form body. Also the identity cookies that
// travel with every upload.
//
//   ReportParams params;
//   params[L"ClickSrc"] = L"Install";
//   std::wstring text = ComposeReport(L"OnClick", BuildDataObject(params), identity);
//   // {"eventId":"OnClick","imei":"…","appver":"2.1.0.7","appName":"DOVizorivev",
//   //  "data":{"ClickSrc":"Install"}}
//   std::string body = BuildUploadBody(text);  // "log=eyJldmVudElkIjoi…"
//
// The text has no whitespace and a fixed member order. Keys and values are written as they
// are, except that the double quote, the backslash and the control characters U+0000 to
// U+001F are escaped as JSON requires: a value the installer did not make up (a signer's
// name in a failure text, a path) must neither break the report nor add members to it.
//
// Plain functions, no platform calls; any thread.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "build_settings.h"

// Parameter name to value. std::less on wstring compares UTF-16 code units, so the
// parameters come out in that order ("Dpi", "FirstStart", "Scale").
using ReportParams = std::map<std::wstring, std::wstring>;

// The machine and build facts every report carries, read once at start-up.
struct ReportIdentity {
  std::wstring imei;             // the unique identifier
  std::wstring appver;           // the executable's file version
  std::wstring osName;           // the operating system's display name
  bool is64BitWindows = false;
  bool hasChannelTag = false;    // whether the CHANNEL resource could be read
  std::wstring channelTag;
};

// The product's application name in every report ("appName" key, "appname" cookie).
inline constexpr const wchar_t* kReportAppName = build::kReportAppName;

// `text` with `"`, `\` and U+0000..U+001F escaped for a JSON string; everything else
// unchanged.
std::wstring EscapeJsonText(const std::wstring& text);

// {"key":"value",...} in key order; "{}" for an empty table.
std::wstring BuildDataObject(const ReportParams& params);

// The report text: eventId, imei, appver, appName, and "data" (the object, unquoted) when
// `dataObject` is not empty.
std::wstring ComposeReport(const std::wstring& eventName, const std::wstring& dataObject,
                           const ReportIdentity& identity);

// "log=" followed by the Base64 of the UTF-8 report text, not percent-encoded: the
// reporting server reads the field raw.
std::string BuildUploadBody(const std::wstring& reportText);

// The six start-up cookies (name, UTF-8 value) in the order they are set: appver, os,
// imei, appname, system, channel.
std::vector<std::pair<std::string, std::string>> IdentityCookies(
    const ReportIdentity& identity);

// `value` without CR, LF and ";", as SetGlobalCookie stores every cookie: a value can then
// neither end the Cookie line (and add header lines of its own) nor add cookies to it.
std::string CookieSafe(std::string value);
