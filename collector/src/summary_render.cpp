#include "summary_render.h"

#include <cstdio>

#include "flat_json.h"

namespace {

std::string Percent(int64_t part, int64_t whole) {
  if (whole <= 0) return "-";
  char text[16];
  std::snprintf(text, sizeof text, "%.1f%%", 100.0 * static_cast<double>(part) / whole);
  return text;
}

std::string Padded(const std::string& text, size_t width) {
  // Width in characters: UTF-8 continuation bytes take no column.
  size_t columns = 0;
  for (char c : text) columns += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return text + std::string(columns < width ? width - columns : 1, ' ');
}

std::string Html(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out.push_back(c);
    }
  }
  return out;
}

std::string TimesLine(const TimeFigures& t) {
  return std::to_string(t.count) + " runs, p50 " + std::to_string(t.p50) + " s, p90 " +
         std::to_string(t.p90) + " s, p99 " + std::to_string(t.p99) + " s, max " +
         std::to_string(t.max) + " s";
}

std::string CountsJson(const std::map<std::string, int64_t>& counts) {
  std::string out = "{";
  for (const auto& [key, n] : counts)
    out += (out.size() > 1 ? "," : "") + JsonQuoted(key) + ":" + std::to_string(n);
  return out + "}";
}

std::string TimesJson(const TimeFigures& t) {
  return "{\"count\":" + std::to_string(t.count) + ",\"p50\":" + std::to_string(t.p50) +
         ",\"p90\":" + std::to_string(t.p90) + ",\"p99\":" + std::to_string(t.p99) +
         ",\"max\":" + std::to_string(t.max) + "}";
}

std::string PairsJson(const std::map<std::string, std::pair<int64_t, int64_t>>& rows) {
  std::string out = "{";
  for (const auto& [key, p] : rows)
    out += (out.size() > 1 ? "," : "") + JsonQuoted(key) + ":{\"started\":" +
           std::to_string(p.first) + ",\"installed\":" + std::to_string(p.second) + "}";
  return out + "}";
}

}  // namespace

std::string SummaryTable(const FunnelSummary& s, const std::string& scope) {
  std::string out = "Funnel (" + scope + "), " + std::to_string(s.reports) + " reports\n";
  const int64_t started = s.steps.empty() ? 0 : s.steps[0].count;
  for (size_t i = 0; i < s.steps.size(); ++i) {
    out += "  " + Padded(s.steps[i].name, 20) + Padded(std::to_string(s.steps[i].count), 8) +
           Padded(Percent(s.steps[i].count, started), 8);
    if (i > 0) out += "lost " + std::to_string(s.steps[i - 1].count - s.steps[i].count);
    out += "\n";
  }
  auto counts = [&](const char* title, const std::map<std::string, int64_t>& m) {
    out += title;
    if (m.empty()) out += "  (none)\n";
    for (const auto& [key, n] : m) out += "  " + Padded(key.empty() ? "(empty)" : key, 44) + std::to_string(n) + "\n";
  };
  counts("Failure reasons\n", s.reasons);
  out += "Download time  " + TimesLine(s.downloadTimes) + "\n";
  out += "Setup time     " + TimesLine(s.setupTimes) + "\n";
  counts("Download attempts (retryTime)\n", s.downloadRetries);
  counts("Setup failed runs (retryTime)\n", s.setupRetries);
  counts("Exit survey reasons\n", s.surveyReasons);
  out += "Exit survey texts\n";
  for (const auto& text : s.surveyTexts) out += "  " + text + "\n";
  out += "Per channel (started, installed)\n";
  for (const auto& [key, p] : s.byChannel)
    out += "  " + Padded(key.empty() ? "(none)" : key, 20) + std::to_string(p.first) + "  " + std::to_string(p.second) + "\n";
  out += "Per stub version (started, installed)\n";
  for (const auto& [key, p] : s.byVersion)
    out += "  " + Padded(key.empty() ? "(none)" : key, 20) + std::to_string(p.first) + "  " + std::to_string(p.second) + "\n";
  counts("Refused requests\n", s.refusals);
  return out;
}

std::string SummaryJson(const FunnelSummary& s, const std::string& scope) {
  std::string out = "{\"scope\":" + JsonQuoted(scope) + ",\"reports\":" +
                    std::to_string(s.reports) + ",\"funnel\":[";
  for (size_t i = 0; i < s.steps.size(); ++i)
    out += (i ? "," : "") + std::string("{\"step\":") + JsonQuoted(s.steps[i].name) +
           ",\"count\":" + std::to_string(s.steps[i].count) + ",\"lost\":" +
           std::to_string(i ? s.steps[i - 1].count - s.steps[i].count : 0) + "}";
  out += "],\"reasons\":" + CountsJson(s.reasons);
  out += ",\"download_seconds\":" + TimesJson(s.downloadTimes);
  out += ",\"setup_seconds\":" + TimesJson(s.setupTimes);
  out += ",\"download_retries\":" + CountsJson(s.downloadRetries);
  out += ",\"setup_retries\":" + CountsJson(s.setupRetries);
  out += ",\"survey_reasons\":" + CountsJson(s.surveyReasons) + ",\"survey_texts\":[";
  for (size_t i = 0; i < s.surveyTexts.size(); ++i)
    out += (i ? "," : "") + JsonQuoted(s.surveyTexts[i]);
  out += "],\"channels\":" + PairsJson(s.byChannel) + ",\"versions\":" + PairsJson(s.byVersion);
  out += ",\"refused\":" + CountsJson(s.refusals) + "}\n";
  return out;
}

std::string SummaryPage(const FunnelSummary& s, const std::string& scope) {
  const int64_t started = s.steps.empty() ? 0 : s.steps[0].count;
  std::string out =
      "<!DOCTYPE html><html lang=\"en\"><head><meta charset=\"utf-8\">"
      "<title>Install funnel</title><style>"
      "body{font:15px/1.4 system-ui,sans-serif;margin:24px;color:#1d2733;background:#f6f7f9}"
      "h1{font-size:22px;margin:0 0 4px}h2{font-size:16px;margin:0 0 8px}"
      ".scope{color:#5b6675;margin-bottom:16px}"
      ".card{background:#fff;border:1px solid #dde2e8;border-radius:8px;padding:16px;"
      "margin-bottom:16px}.row{display:flex;gap:16px;flex-wrap:wrap}.row .card{flex:1;"
      "min-width:280px}table{border-collapse:collapse;width:100%}"
      "td,th{padding:3px 8px;text-align:left;border-bottom:1px solid #eef1f4}"
      "td.n,th.n{text-align:right;font-variant-numeric:tabular-nums}"
      ".lost{fill:#c0392b;font-size:12px}.label{font-size:13px;fill:#1d2733}"
      ".count{font-size:13px;fill:#fff;font-weight:600}"
      "</style></head><body><h1>Install funnel</h1><div class=\"scope\">" +
      Html(scope) + " &middot; " + std::to_string(s.reports) + " reports</div>";

  // The funnel: one bar per step, its width relative to the stubs started.
  const int barLeft = 170, barWidth = 560, rowHeight = 44;
  out += "<div class=\"card\"><svg id=\"funnel\" width=\"820\" height=\"" +
         std::to_string(rowHeight * s.steps.size() + 8) +
         "\" viewBox=\"0 0 820 " + std::to_string(rowHeight * s.steps.size() + 8) +
         "\" role=\"img\" aria-label=\"install funnel\">";
  for (size_t i = 0; i < s.steps.size(); ++i) {
    const int64_t n = s.steps[i].count;
    const int width = started > 0 ? static_cast<int>(barWidth * n / started) : 0;
    const int y = static_cast<int>(i) * rowHeight + 4;
    out += "<g class=\"step\" data-step=\"" + Html(s.steps[i].name) + "\" data-count=\"" +
           std::to_string(n) + "\"><text class=\"label\" x=\"0\" y=\"" + std::to_string(y + 22) +
           "\">" + Html(s.steps[i].name) + "</text><rect x=\"" + std::to_string(barLeft) +
           "\" y=\"" + std::to_string(y) + "\" width=\"" + std::to_string(std::max(width, 2)) +
           "\" height=\"32\" rx=\"4\" fill=\"" + (i + 1 == s.steps.size() ? "#2e8b57" : "#3a6ea5") +
           "\"/><text class=\"count\" x=\"" + std::to_string(barLeft + 8) + "\" y=\"" +
           std::to_string(y + 21) + "\">" + std::to_string(n) + " &middot; " +
           Percent(n, started) + "</text>";
    if (i > 0)
      out += "<text class=\"lost\" x=\"" + std::to_string(barLeft + barWidth + 10) + "\" y=\"" +
             std::to_string(y + 21) + "\">&minus;" +
             std::to_string(s.steps[i - 1].count - n) + " lost</text>";
    out += "</g>";
  }
  out += "</svg></div>";

  auto counts = [&](const char* title, const std::map<std::string, int64_t>& m, const char* id) {
    std::string t = "<div class=\"card\"><h2>" + std::string(title) + "</h2><table id=\"" + id +
                    "\">";
    if (m.empty()) t += "<tr><td>none</td></tr>";
    for (const auto& [key, n] : m)
      t += "<tr><td>" + Html(key.empty() ? "(empty)" : key) + "</td><td class=\"n\">" +
           std::to_string(n) + "</td></tr>";
    return t + "</table></div>";
  };
  auto times = [&](const char* title, const TimeFigures& t) {
    return "<tr><td>" + std::string(title) + "</td><td class=\"n\">" + std::to_string(t.count) +
           "</td><td class=\"n\">" + std::to_string(t.p50) + " s</td><td class=\"n\">" +
           std::to_string(t.p90) + " s</td><td class=\"n\">" + std::to_string(t.p99) +
           " s</td><td class=\"n\">" + std::to_string(t.max) + " s</td></tr>";
  };
  out += "<div class=\"row\">" + counts("Why installs failed", s.reasons, "reasons") +
         "<div class=\"card\"><h2>Times of successful runs</h2><table id=\"times\"><tr><th>"
         "</th><th class=\"n\">runs</th><th class=\"n\">p50</th><th class=\"n\">p90</th>"
         "<th class=\"n\">p99</th><th class=\"n\">max</th></tr>" +
         times("download", s.downloadTimes) + times("setup", s.setupTimes) + "</table></div></div>";
  out += "<div class=\"row\">" + counts("Download attempt that ended it", s.downloadRetries, "download-retries") +
         counts("Failed setup runs", s.setupRetries, "setup-retries") + "</div>";
  out += "<div class=\"row\">" + counts("Exit survey: reasons", s.surveyReasons, "survey") +
         "<div class=\"card\"><h2>Exit survey: texts</h2><ul id=\"survey-texts\">";
  for (const auto& text : s.surveyTexts) out += "<li>" + Html(text) + "</li>";
  out += "</ul></div></div><div class=\"row\">";
  auto pairs = [&](const char* title, const std::map<std::string, std::pair<int64_t, int64_t>>& m) {
    std::string t = "<div class=\"card\"><h2>" + std::string(title) +
                    "</h2><table><tr><th></th><th class=\"n\">started</th><th class=\"n\">"
                    "installed</th><th class=\"n\">rate</th></tr>";
    for (const auto& [key, p] : m)
      t += "<tr><td>" + Html(key.empty() ? "(none)" : key) + "</td><td class=\"n\">" +
           std::to_string(p.first) + "</td><td class=\"n\">" + std::to_string(p.second) +
           "</td><td class=\"n\">" + Percent(p.second, p.first) + "</td></tr>";
    return t + "</table></div>";
  };
  out += pairs("Per channel", s.byChannel) + pairs("Per stub version", s.byVersion) +
         counts("Refused requests", s.refusals, "refused") + "</div></body></html>\n";
  return out;
}
