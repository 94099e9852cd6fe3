#include "tests/report/collector_client.h"

#include <curl/curl.h>

#include <cstdlib>
#include <sstream>

namespace {

size_t Collect(char* data, size_t size, size_t count, void* out) {
  static_cast<std::string*>(out)->append(data, size * count);
  return size * count;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 0;
}

// Undoes the collector's escaping: "\\" and "\xNN".
std::string Unescape(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      if (text[i + 1] == 'x' && i + 3 < text.size()) {
        out.push_back(static_cast<char>(HexValue(text[i + 2]) * 16 + HexValue(text[i + 3])));
        i += 3;
        continue;
      }
      out.push_back(text[i + 1]);
      ++i;
      continue;
    }
    out.push_back(text[i]);
  }
  return out;
}

}  // namespace

std::vector<std::string> CollectedRequest::HeaderValues(const std::string& name) const {
  std::vector<std::string> values;
  const std::string prefix = name + ": ";
  for (const std::string& line : headers) {
    if (line.compare(0, prefix.size(), prefix) == 0)
      values.push_back(line.substr(prefix.size()));
  }
  return values;
}

std::vector<CollectedRequest> ParseCollectorRecords(const std::string& text) {
  std::vector<CollectedRequest> records;
  CollectedRequest current;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (line == ".") {
      records.push_back(current);
      current = CollectedRequest();
      continue;
    }
    if (line.size() < 2)
      continue;
    const char tag = line[0];
    const std::string value = Unescape(line.substr(2));
    switch (tag) {
      case 'N': current.seq = std::atoi(value.c_str()); break;
      case 'A': current.answer = value; break;
      case 'L': current.requestLine = value; break;
      case 'H': current.headers.push_back(value); break;
      case 'B': current.body = value; break;
      case 'R': current.hasReport = true; current.reportText = value; break;
      case 'J': current.reportJsonValid = value == "true"; break;
      case 'D': {
        size_t eq = value.find('=');
        current.data.emplace_back(value.substr(0, eq),
                                  eq == std::string::npos ? "" : value.substr(eq + 1));
        break;
      }
      default: break;
    }
  }
  return records;
}

CollectorClient::CollectorClient() {
  if (const char* port = std::getenv("BRIGHTMERE_COLLECTOR_PORT"))
    port_ = std::atoi(port);
}

std::string CollectorClient::ReportUrl() const {
  return "http://127.0.0.1:" + std::to_string(port_) + "/caller?c=site&a=writelog";
}

bool CollectorClient::Get(const std::string& pathAndQuery, std::string* body) {
  CURL* curl = curl_easy_init();
  if (!curl)
    return false;
  std::string url = "http://127.0.0.1:" + std::to_string(port_) + pathAndQuery;
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, 10L);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Collect);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, body);
  CURLcode result = curl_easy_perform(curl);
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  curl_easy_cleanup(curl);
  return result == CURLE_OK && status == 200;
}

bool CollectorClient::Reset() {
  std::string ignored;
  return Get("/_control?reset=1", &ignored);
}

bool CollectorClient::SetMode(const std::string& mode, int count) {
  std::string ignored;
  return Get("/_control?mode=" + mode + "&count=" + std::to_string(count), &ignored);
}

std::vector<CollectedRequest> CollectorClient::Records() {
  std::string text;
  if (!Get("/_records", &text))
    return {};
  return ParseCollectorRecords(text);
}
