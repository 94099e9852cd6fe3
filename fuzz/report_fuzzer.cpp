// Fuzzes report composition: the parameter object, the report text around it, the survey
// answer as the exit report carries it, the upload body and the identity cookies.
//
// Input: a flag byte (bits 0-4: ticked survey reasons, bit 5: 64-bit Windows, bit 6: channel
// tag present), then fields separated by 0xFF bytes (never part of UTF-8), each read by
// fuzz::LooseUtf16: event name, imei, appver, OS name, channel tag, survey feedback, and
// key/value pairs for the parameter object.
//
// A small JSON reader written from RFC 8259 (strings and objects are all a report holds, and
// it has no whitespace between tokens) must read the report back to exactly what went in,
// whatever the texts hold (double quotes included), and so must the survey answer.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "report/report_text.h"
#include "window/survey_answer.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

struct JsonValue {
  bool isObject = false;
  std::wstring text;
  std::vector<std::pair<std::wstring, JsonValue>> members;
};

class JsonReader {
 public:
  explicit JsonReader(const std::wstring& s) : s_(s) {}

  // The whole text must be one value.
  bool ReadDocument(JsonValue* out) { return ReadValue(out, 0) && i_ == s_.size(); }

 private:
  bool ReadValue(JsonValue* out, int depth) {
    if (depth > 4) return false;
    if (Peek() == L'"') return ReadString(&out->text);
    if (Peek() != L'{') return false;
    ++i_;
    out->isObject = true;
    if (Peek() == L'}') {
      ++i_;
      return true;
    }
    while (true) {
      std::pair<std::wstring, JsonValue> member;
      if (Peek() != L'"' || !ReadString(&member.first)) return false;
      if (Peek() != L':') return false;
      ++i_;
      if (!ReadValue(&member.second, depth + 1)) return false;
      out->members.push_back(std::move(member));
      if (Peek() == L',') {
        ++i_;
        continue;
      }
      if (Peek() != L'}') return false;
      ++i_;
      return true;
    }
  }

  bool ReadString(std::wstring* out) {
    ++i_;  // the opening quote
    while (i_ < s_.size()) {
      const wchar_t c = s_[i_++];
      if (c == L'"') return true;
      if (static_cast<uint32_t>(c) < 0x20) return false;  // must be escaped
      if (c != L'\\') {
        out->push_back(c);
        continue;
      }
      if (i_ >= s_.size()) return false;
      switch (s_[i_++]) {
        case L'"': out->push_back(L'"'); break;
        case L'\\': out->push_back(L'\\'); break;
        case L'/': out->push_back(L'/'); break;
        case L'b': out->push_back(L'\b'); break;
        case L'f': out->push_back(L'\f'); break;
        case L'n': out->push_back(L'\n'); break;
        case L'r': out->push_back(L'\r'); break;
        case L't': out->push_back(L'\t'); break;
        case L'u': {
          if (s_.size() - i_ < 4) return false;
          uint32_t v = 0;
          for (int k = 0; k < 4; ++k) {
            const wchar_t h = s_[i_++];
            int d;
            if (h >= L'0' && h <= L'9') d = h - L'0';
            else if (h >= L'a' && h <= L'f') d = h - L'a' + 10;
            else if (h >= L'A' && h <= L'F') d = h - L'A' + 10;
            else return false;
            v = (v << 4) | static_cast<uint32_t>(d);
          }
          out->push_back(static_cast<wchar_t>(v));
          break;
        }
        default: return false;
      }
    }
    return false;  // unterminated
  }

  wchar_t Peek() const { return i_ < s_.size() ? s_[i_] : L'\0'; }

  const std::wstring& s_;
  size_t i_ = 0;
};

bool HasQuote(const std::wstring& s) { return s.find(L'"') != std::wstring::npos; }

const JsonValue* Member(const JsonValue& object, const wchar_t* key) {
  for (const auto& m : object.members)
    if (m.first == key) return &m.second;
  return nullptr;
}

bool IsString(const JsonValue* v, const std::wstring& expected) {
  return v && !v->isObject && v->text == expected;
}

// Reads a composed report back and compares it with what went in.
void CheckReport(const std::wstring& report, const std::wstring& eventName,
                 const ReportIdentity& identity, const ReportParams& params) {
  JsonValue doc;
  if (!JsonReader(report).ReadDocument(&doc) || !doc.isObject) Fail("report is not JSON");
  if (doc.members.size() != 5) Fail("report has the wrong members");
  if (doc.members[0].first != L"eventId" || !IsString(Member(doc, L"eventId"), eventName))
    Fail("eventId does not read back");
  if (!IsString(Member(doc, L"imei"), identity.imei)) Fail("imei does not read back");
  if (!IsString(Member(doc, L"appver"), identity.appver)) Fail("appver does not read back");
  if (!IsString(Member(doc, L"appName"), kReportAppName)) Fail("appName does not read back");
  const JsonValue* data = Member(doc, L"data");
  if (!data || !data->isObject || data->members.size() != params.size())
    Fail("data is not the parameter object");
  size_t k = 0;
  for (const auto& [key, value] : params) {
    const auto& m = data->members[k++];
    if (m.first != key || m.second.isObject || m.second.text != value)
      Fail("a parameter does not read back");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t flags = data[0];
  std::vector<std::wstring> fields;
  std::string_view rest = fuzz::AsText(data + 1, size - 1);
  while (true) {
    const size_t end = rest.find('\xFF');
    fields.push_back(fuzz::LooseUtf16(rest.substr(0, end)));
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  fields.resize(std::max<size_t>(fields.size(), 6));

  ReportIdentity identity;
  identity.imei = fields[1];
  identity.appver = fields[2];
  identity.osName = fields[3];
  identity.channelTag = fields[4];
  identity.is64BitWindows = flags & 0x20;
  identity.hasChannelTag = flags & 0x40;
  const std::wstring& eventName = fields[0];

  ReportParams params;
  for (size_t i = 6; i + 1 < fields.size(); i += 2) params[fields[i]] = fields[i + 1];

  const std::wstring escaped = EscapeJsonText(fields[5]);
  for (wchar_t c : escaped)
    if (static_cast<uint32_t>(c) < 0x20) Fail("a control character was not escaped");

  const std::wstring report = ComposeReport(eventName, BuildDataObject(params), identity);
  CheckReport(report, eventName, identity, params);

  // The exit survey's report, whatever the user typed.
  SurveyReasons reasons{};
  for (int i = 0; i < kSurveyReasonCount; ++i) reasons[i] = (flags >> i) & 1;
  const std::wstring answer = BuildSurveyAnswer(fields[5], reasons);
  if (HasQuote(answer) || answer.find_first_of(L"\r\n") != std::wstring::npos)
    Fail("the survey answer keeps a quote or a line break");
  if (*SurveyReasonLabel(-1) || *SurveyReasonLabel(kSurveyReasonCount))
    Fail("a reason outside 1 to 5 has a label");
  std::wstring labels;
  for (int i = 0; i < kSurveyReasonCount; ++i)
    if (reasons[i]) labels += SurveyReasonLabel(i);
  if (answer.size() < labels.size() ||
      answer.compare(answer.size() - labels.size(), labels.size(), labels) != 0)
    Fail("the survey answer does not end with the ticked reasons in order");
  if (!IsSurveyAnswered(reasons, fields[5]) && answer != L" ")
    Fail("an unanswered survey still gave an answer");
  const ReportParams surveyParams{{L"btn_exit", L"Start " + answer}};
  const std::wstring surveyReport =
      ComposeReport(L"OnClick", BuildDataObject(surveyParams), identity);
  CheckReport(surveyReport, L"OnClick", identity, surveyParams);

  const std::string body = BuildUploadBody(report);
  if (body.compare(0, 4, "log=") != 0) Fail("the upload body is not the log field");
  for (const auto& cookie : IdentityCookies(identity)) {
    if (cookie.first.empty()) Fail("a cookie without a name");
    if (CookieSafe(cookie.second).find_first_of("\r\n;") != std::string::npos)
      Fail("a cookie value keeps a line break or a semicolon");
  }
  return 0;
}
