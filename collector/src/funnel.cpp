#include "funnel.h"

#include <algorithm>

#include "build_settings.h"
#include "toolkit/base/utf8.h"

namespace {

const char* const kStepNames[] = {"started", "install clicked", "download succeeded",
                                  "setup succeeded", "installed"};
// The exit survey's reason labels, as the installer appends them to the answer: the product's
// report vocabulary.
const std::vector<std::string>& SurveyLabels() {
  static const std::vector<std::string> labels = [] {
    std::vector<std::string> out;
    for (const wchar_t* label : build::kReportSurveyLabels) out.push_back(base::WideToUtf8(label));
    return out;
  }();
  return labels;
}

std::string Value(const Report& r, const char* key) {
  auto it = r.data.find(key);
  return it == r.data.end() ? std::string() : it->second;
}

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

// The funnel step a report proves, or -1.
int StepOf(const Report& r) {
  if (r.event == "AppStart") return 0;
  if (r.event == "OnClick" && Value(r, "ClickSrc") == "Install") return 1;
  if (r.event == "DownloadTimeCost" && Value(r, "ret") == "0") return 2;
  if (r.event == "InstallTimeCost" && Value(r, "ret") == "0") return 3;
  if (r.event == "InstallResultReport" && Value(r, "result") == "success") return 4;
  return -1;
}

// Splits an answer's tail into the survey labels it is made of; false when it is not only
// labels.
bool SplitLabels(std::string tail, std::vector<std::string>* labels) {
  while (!tail.empty()) {
    bool found = false;
    for (const std::string& label : SurveyLabels()) {
      if (StartsWith(tail, label)) {
        labels->push_back(label);
        tail.erase(0, label.size());
        found = true;
        break;
      }
    }
    if (!found) return false;
  }
  return true;
}

// "Start " + free text + " " + labels is the survey's answer; the close button's value on the
// finished page is not one.
void AddSurvey(const Report& r, FunnelSummary* s) {
  const std::string value = Value(r, "btn_exit");
  if (!StartsWith(value, "Start ")) return;
  const std::string answer = value.substr(6);
  const size_t space = answer.rfind(' ');
  if (space == std::string::npos) return;
  std::vector<std::string> labels;
  if (!SplitLabels(answer.substr(space + 1), &labels)) return;
  for (const auto& label : labels) ++s->surveyReasons[label];
  if (space > 0) s->surveyTexts.push_back(answer.substr(0, space));
}

int64_t ToNumber(const std::string& text) {
  try {
    return std::stoll(text);
  } catch (...) {
    return -1;
  }
}

TimeFigures Percentiles(std::vector<int64_t> values) {
  TimeFigures t;
  t.count = static_cast<int64_t>(values.size());
  if (values.empty()) return t;
  std::sort(values.begin(), values.end());
  auto at = [&](double q) {
    size_t i = static_cast<size_t>(q * static_cast<double>(values.size()) + 0.999999);
    return values[std::min(values.size(), std::max<size_t>(i, 1)) - 1];
  };
  t.p50 = at(0.50);
  t.p90 = at(0.90);
  t.p99 = at(0.99);
  t.max = values.back();
  return t;
}

}  // namespace

std::string FailureReason(const std::string& errorMsg) {
  const std::string download = "Download Faild :";
  const std::string setup = "Install Faild errorCode:";
  if (StartsWith(errorMsg, download)) {
    const std::string rest = errorMsg.substr(download.size());
    const std::string hr = "URLDownloadToFile hr = ";
    if (StartsWith(rest, hr)) return "download hr=0x" + rest.substr(hr.size(), 8);
    const std::string signature = "package signature: ";
    if (StartsWith(rest, signature)) {
      std::string why = rest.substr(signature.size());
      const size_t code = why.rfind(" (");
      if (code != std::string::npos) why.resize(code);
      return "package signature refused: " + why;
    }
    return "download: " + rest;
  }
  if (StartsWith(errorMsg, setup)) return "setup exit code " + errorMsg.substr(setup.size());
  return "other: " + errorMsg;
}

void AddToSummary(const Report& r, FunnelSummary* s) {
  if (s->stepIds.empty()) s->stepIds.resize(std::size(kStepNames));
  ++s->reports;
  const int step = StepOf(r);
  if (step >= 0) s->stepIds[step].insert(r.imei);
  if (step == 0) {
    s->channelStarted[r.channel].insert(r.imei);
    s->versionStarted[r.stubVersion].insert(r.imei);
  } else if (step == 4) {
    s->channelInstalled[r.channel].insert(r.imei);
    s->versionInstalled[r.stubVersion].insert(r.imei);
  }
  if (r.event == "DownloadTimeCost" || r.event == "InstallTimeCost") {
    const bool download = r.event == "DownloadTimeCost";
    ++(download ? s->downloadRetries : s->setupRetries)[Value(r, "retryTime")];
    const int64_t cost = ToNumber(Value(r, "cost"));
    if (step >= 0 && cost >= 0) (download ? s->downloadCosts : s->setupCosts).push_back(cost);
  }
  if (r.event == "InstallResultReport" && Value(r, "result") != "success")
    ++s->reasons[FailureReason(Value(r, "errorMsg"))];
  if (r.event == "OnClick") AddSurvey(r, s);
}

void FinishSummary(FunnelSummary* s) {
  if (s->stepIds.empty()) s->stepIds.resize(std::size(kStepNames));
  for (size_t i = 0; i < std::size(kStepNames); ++i)
    s->steps.push_back({kStepNames[i], static_cast<int64_t>(s->stepIds[i].size())});
  s->downloadTimes = Percentiles(std::move(s->downloadCosts));
  s->setupTimes = Percentiles(std::move(s->setupCosts));
  auto pairs = [](auto& started, auto& installed, auto* out) {
    for (const auto& [key, ids] : started) (*out)[key].first = ids.size();
    for (const auto& [key, ids] : installed) (*out)[key].second = ids.size();
  };
  pairs(s->channelStarted, s->channelInstalled, &s->byChannel);
  pairs(s->versionStarted, s->versionInstalled, &s->byVersion);
  s->stepIds.clear();
  s->downloadCosts.clear();
  s->setupCosts.clear();
  s->channelStarted.clear();
  s->channelInstalled.clear();
  s->versionStarted.clear();
  s->versionInstalled.clear();
}
