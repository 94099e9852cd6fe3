#include "report_intake.h"

#include <arpa/inet.h>

#include <array>
#include <cstring>

#include "flat_json.h"

namespace {

constexpr std::string_view kKnownEvents[] = {"AppStart",         "OnClick",
                                             "offline",          "DownloadTimeCost",
                                             "InstallTimeCost",  "InstallResultReport"};

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

// Well-formed UTF-8, except that the three-byte forms of surrogates are accepted: the
// installer encodes an unmatched surrogate the user typed that way, and the report is still
// worth keeping. They become U+FFFD in `out`.
bool ReadUtf8(std::string_view in, std::string* out) {
  out->clear();
  out->reserve(in.size());
  size_t i = 0;
  while (i < in.size()) {
    const auto lead = static_cast<unsigned char>(in[i]);
    int extra;
    char32_t cp;
    if (lead < 0x80) { out->push_back(in[i++]); continue; }
    if (lead >= 0xC2 && lead < 0xE0) { extra = 1; cp = lead & 0x1F; }
    else if (lead >= 0xE0 && lead < 0xF0) { extra = 2; cp = lead & 0x0F; }
    else if (lead >= 0xF0 && lead < 0xF5) { extra = 3; cp = lead & 0x07; }
    else return false;
    if (in.size() - i - 1 < static_cast<size_t>(extra)) return false;
    for (int k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(in[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (next & 0x3F);
    }
    static constexpr char32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMinimum[extra] || cp > 0x10FFFF) return false;
    if (cp >= 0xD800 && cp <= 0xDFFF) {
      out->append("\xEF\xBF\xBD");
    } else {
      out->append(in.substr(i, extra + 1));
    }
    i += extra + 1;
  }
  return true;
}

// A cookie value as stored: text with a flaw or a control character is not kept (a
// database would refuse it and take the whole batch down with it).
std::string CleanText(std::string_view value) {
  std::string text;
  if (!ReadUtf8(value, &text)) return "(invalid)";
  for (char c : text)
    if (static_cast<unsigned char>(c) < 0x20) return "(invalid)";
  return text;
}

bool HasControl(std::string_view text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) < 0x20) return true;
  return false;
}

std::string Trim(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return std::string(s);
}

}  // namespace

const char* RefusalName(Refusal refusal) {
  switch (refusal) {
    case Refusal::kNone: return "none";
    case Refusal::kEmpty: return "empty";
    case Refusal::kOversized: return "oversized";
    case Refusal::kNotLogField: return "not_log_field";
    case Refusal::kBadBase64: return "bad_base64";
    case Refusal::kBadUtf8: return "bad_utf8";
    case Refusal::kBadJson: return "bad_json";
    case Refusal::kUnknownEvent: return "unknown_event";
  }
  return "unknown";
}

bool IsKnownEvent(std::string_view name) {
  for (auto known : kKnownEvents)
    if (name == known) return true;
  return false;
}

bool Base64Decode(std::string_view text, std::string* out) {
  out->clear();
  if (text.size() % 4 != 0) return false;
  out->reserve(text.size() / 4 * 3);
  for (size_t i = 0; i < text.size(); i += 4) {
    const bool last = i + 4 == text.size();
    int v[4];
    int pad = 0;
    for (int k = 0; k < 4; ++k) {
      const char c = text[i + k];
      if (c == '=' && last && k >= 2) {
        v[k] = 0;
        ++pad;
        continue;
      }
      if (pad > 0) return false;  // a character after padding
      v[k] = Base64Value(c);
      if (v[k] < 0) return false;
    }
    const uint32_t group = (v[0] << 18) | (v[1] << 12) | (v[2] << 6) | v[3];
    out->push_back(static_cast<char>(group >> 16));
    if (pad < 2) out->push_back(static_cast<char>((group >> 8) & 0xFF));
    if (pad < 1) out->push_back(static_cast<char>(group & 0xFF));
  }
  return true;
}

std::map<std::string, std::string> ParseCookies(std::string_view header) {
  std::map<std::string, std::string> cookies;
  while (!header.empty()) {
    const size_t end = header.find(';');
    std::string_view pair = header.substr(0, end);
    header = end == std::string_view::npos ? std::string_view() : header.substr(end + 1);
    const size_t eq = pair.find('=');
    if (eq == std::string_view::npos) continue;
    std::string name = Trim(pair.substr(0, eq));
    if (!name.empty()) cookies[name] = std::string(pair.substr(eq + 1));
  }
  return cookies;
}

std::string AddressClass(std::string_view address) {
  const std::string text(address);
  unsigned char b[16];
  if (inet_pton(AF_INET, text.c_str(), b) == 1) {
    if (b[0] == 127) return "loopback";
    if (b[0] == 10 || (b[0] == 172 && (b[1] & 0xF0) == 16) || (b[0] == 192 && b[1] == 168) ||
        (b[0] == 169 && b[1] == 254))
      return "private";
    return "public";
  }
  if (inet_pton(AF_INET6, text.c_str(), b) == 1) {
    static const unsigned char kLoopback[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    static const unsigned char kMapped[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF};
    if (std::memcmp(b, kLoopback, 16) == 0) return "loopback";
    if (std::memcmp(b, kMapped, 12) == 0) {
      char v4[INET_ADDRSTRLEN];
      inet_ntop(AF_INET, b + 12, v4, sizeof v4);
      return AddressClass(v4);
    }
    if ((b[0] & 0xFE) == 0xFC || (b[0] == 0xFE && (b[1] & 0xC0) == 0x80)) return "private";
    return "public";
  }
  return "unknown";
}

Refusal ReadReport(std::string_view body, std::string_view cookieHeader,
                   std::string_view address, int64_t receivedMs, Report* report) {
  *report = Report{};
  if (body.empty()) return Refusal::kEmpty;
  if (body.substr(0, 4) != "log=") return Refusal::kNotLogField;
  std::string raw;
  if (body.size() == 4 || !Base64Decode(body.substr(4), &raw)) return Refusal::kBadBase64;
  std::string text;
  if (!ReadUtf8(raw, &text)) return Refusal::kBadUtf8;
  FlatObject json;
  if (!ParseFlatObject(text, "data", &json)) return Refusal::kBadJson;
  for (const char* key : {"eventId", "imei", "appver", "appName"})
    if (!json.members.count(key)) return Refusal::kBadJson;
  if (json.members.size() != 4 || json.members["imei"].empty() ||
      HasControl(json.members["imei"]))
    return Refusal::kBadJson;
  if (!IsKnownEvent(json.members["eventId"])) return Refusal::kUnknownEvent;

  const auto cookies = ParseCookies(cookieHeader);
  auto cookie = [&](const char* name) {
    auto it = cookies.find(name);
    return it == cookies.end() ? std::string() : CleanText(it->second);
  };
  report->receivedMs = receivedMs;
  report->event = json.members["eventId"];
  report->imei = json.members["imei"];
  report->channel = cookie("channel");
  report->stubVersion = cookie("appver");
  if (report->stubVersion.empty()) report->stubVersion = CleanText(json.members["appver"]);
  report->os = cookie("system");
  for (const char* bits : {"64", "32"}) {
    const std::string suffix = std::string(" ") + bits + "bit";
    if (report->os.size() >= suffix.size() &&
        report->os.compare(report->os.size() - suffix.size(), suffix.size(), suffix) == 0) {
      report->bitness = bits;
      report->os.resize(report->os.size() - suffix.size());
    }
  }
  report->addressClass = AddressClass(address);
  report->data = std::move(json.nested);
  return Refusal::kNone;
}
