#include "report/report_text.h"

#include <algorithm>

#include "report/base64.h"
#include "toolkit/base/utf8.h"

namespace {

void AppendQuoted(const std::wstring& text, std::wstring* out) {
  out->push_back(L'"');
  out->append(EscapeJsonText(text));
  out->push_back(L'"');
}

void AppendMember(const wchar_t* key, const std::wstring& value, std::wstring* out) {
  out->push_back(L'"');
  out->append(key);
  out->append(L"\":");
  AppendQuoted(value, out);
}

}  // namespace

std::wstring EscapeJsonText(const std::wstring& text) {
  static const wchar_t kHex[] = L"0123456789abcdef";
  std::wstring out;
  out.reserve(text.size());
  for (wchar_t c : text) {
    switch (c) {
      case L'"': out.append(L"\\\""); break;
      case L'\\': out.append(L"\\\\"); break;
      case L'\n': out.append(L"\\n"); break;
      case L'\r': out.append(L"\\r"); break;
      case L'\t': out.append(L"\\t"); break;
      case L'\b': out.append(L"\\b"); break;
      case L'\f': out.append(L"\\f"); break;
      default:
        if (static_cast<unsigned>(c) < 0x20) {
          out.append(L"\\u00");
          out.push_back(kHex[static_cast<unsigned>(c) >> 4]);
          out.push_back(kHex[static_cast<unsigned>(c) & 0xF]);
        } else {
          out.push_back(c);
        }
    }
  }
  return out;
}

std::wstring BuildDataObject(const ReportParams& params) {
  std::wstring out = L"{";
  const wchar_t* separator = L"";
  for (const auto& [key, value] : params) {
    out.append(separator);
    AppendQuoted(key, &out);
    out.push_back(L':');
    AppendQuoted(value, &out);
    separator = L",";
  }
  out.push_back(L'}');
  return out;
}

std::wstring ComposeReport(const std::wstring& eventName, const std::wstring& dataObject,
                           const ReportIdentity& identity) {
  std::wstring out = L"{";
  AppendMember(L"eventId", eventName, &out);
  out.push_back(L',');
  AppendMember(L"imei", identity.imei, &out);
  out.push_back(L',');
  AppendMember(L"appver", identity.appver, &out);
  out.push_back(L',');
  AppendMember(L"appName", kReportAppName, &out);
  if (!dataObject.empty()) {
    out.append(L",\"data\":");
    out.append(dataObject);
  }
  out.push_back(L'}');
  return out;
}

std::string BuildUploadBody(const std::wstring& reportText) {
  return "log=" + Base64Encode(base::WideToUtf8KeepingSurrogates(reportText));
}

std::vector<std::pair<std::string, std::string>> IdentityCookies(
    const ReportIdentity& identity) {
  std::wstring system = identity.osName + (identity.is64BitWindows ? L" 64bit" : L" 32bit");
  std::wstring channel = identity.hasChannelTag ? identity.channelTag : L"default";
  return {
      {"appver", base::WideToUtf8KeepingSurrogates(identity.appver)},
      {"os", "windows"},
      {"imei", base::WideToUtf8KeepingSurrogates(identity.imei)},
      {"appname", base::WideToUtf8KeepingSurrogates(kReportAppName)},
      {"system", base::WideToUtf8KeepingSurrogates(system)},
      {"channel", base::WideToUtf8KeepingSurrogates(channel)},
  };
}

std::string CookieSafe(std::string value) {
  value.erase(std::remove_if(value.begin(), value.end(),
                             [](char c) { return c == '\r' || c == '\n' || c == ';'; }),
              value.end());
  return value;
}
