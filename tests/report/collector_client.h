// Talks to the local report collector (tools/report_collector.py) that
// tools/run-with-collector starts for the network tests: switches how it answers and reads
// back what it received.
//
//   CollectorClient collector;           // port from BRIGHTMERE_COLLECTOR_PORT
//   collector.Reset();
//   collector.SetMode("close", 1);       // the next report is dropped unanswered
//   std::vector<CollectedRequest> got = collector.Records();
//
// Any thread; blocking HTTP over loopback.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct CollectedRequest {
  int seq = 0;
  std::string answer;       // the collector's mode when it took the request
  std::string requestLine;  // "POST /caller?c=site&a=writelog HTTP/1.1"
  std::vector<std::string> headers;  // raw lines, in order
  std::string body;
  bool hasReport = false;   // the body decoded to UTF-8 text
  std::string reportText;   // UTF-8
  bool reportJsonValid = false;
  std::vector<std::pair<std::string, std::string>> data;  // the parsed "data" members

  // The header lines whose name is `name` (case-sensitive), values only.
  std::vector<std::string> HeaderValues(const std::string& name) const;
};

class CollectorClient {
 public:
  CollectorClient();

  // False when BRIGHTMERE_COLLECTOR_PORT is not set (the test runs without the wrapper).
  bool available() const { return port_ != 0; }
  int port() const { return port_; }
  // "http://127.0.0.1:<port>/caller?c=site&a=writelog"
  std::string ReportUrl() const;

  bool Reset();
  // mode: "ok", "500", "redirect", "hang", "close"; count -1 until changed.
  bool SetMode(const std::string& mode, int count = -1);
  std::vector<CollectedRequest> Records();

 private:
  bool Get(const std::string& pathAndQuery, std::string* body);
  int port_ = 0;
};

// Parses the collector's line format (exposed for its own test).
std::vector<CollectedRequest> ParseCollectorRecords(const std::string& text);
