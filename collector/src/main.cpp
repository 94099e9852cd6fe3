// collector: receives the installers' usage reports and shows the install funnel.
//
//   collector serve  --db sqlite:reports.db [--listen 127.0.0.1:18482] [--token-file F]
//                    [--retention-days N] [--max-body BYTES] [--port-file F]
//                    [--trust-forwarded-for]
//   collector report --db D [--since 7d] [--until T] [--channel C] [--version V] [--json]
//   collector delete --db D --imei ID           every report of one identifier
//   collector purge  --db D --older-than-days N the retention, once
//
// --db is "sqlite:<file>" or "postgresql:<libpq connection string>"; COLLECTOR_DB is used
// when it is not given. The token is read from --token-file or COLLECTOR_TOKEN.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <string>

#include "collector_service.h"
#include "summary_render.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: collector serve|report|delete|purge --db sqlite:FILE|postgresql:CONN "
               "[options]\n");
  return 2;
}

bool ReadToken(const std::string& path, std::string* token) {
  std::ifstream file(path);
  if (!file || !std::getline(file, *token)) return false;
  while (!token->empty() && (token->back() == '\r' || token->back() == ' ')) token->pop_back();
  return !token->empty();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  std::map<std::string, std::string> args;
  for (int i = 2; i < argc; ++i) {
    std::string name = argv[i];
    if (name.compare(0, 2, "--") != 0) return Usage();
    name = name.substr(2);
    if (name == "json" || name == "trust-forwarded-for") {
      args[name] = "1";
    } else if (i + 1 < argc) {
      args[name] = argv[++i];
    } else {
      return Usage();
    }
  }
  if (!args.count("db") && std::getenv("COLLECTOR_DB")) args["db"] = std::getenv("COLLECTOR_DB");
  if (!args.count("db")) return Usage();
  const std::string db = args["db"];

  if (command == "serve") {
    ServiceOptions options;
    options.database = db;
    if (args.count("listen")) {
      const std::string listen = args["listen"];
      const size_t colon = listen.rfind(':');
      if (colon == std::string::npos) return Usage();
      options.host = listen.substr(0, colon);
      options.port = std::atoi(listen.c_str() + colon + 1);
    }
    if (args.count("token-file") && !ReadToken(args["token-file"], &options.token)) {
      std::fprintf(stderr, "collector: no token in %s\n", args["token-file"].c_str());
      return 1;
    }
    if (options.token.empty() && std::getenv("COLLECTOR_TOKEN"))
      options.token = std::getenv("COLLECTOR_TOKEN");
    if (args.count("retention-days")) options.retentionDays = std::atoi(args["retention-days"].c_str());
    if (args.count("max-body")) options.maxBody = std::strtoull(args["max-body"].c_str(), nullptr, 10);
    if (args.count("threads")) options.threads = std::atoi(args["threads"].c_str());
    options.portFile = args["port-file"];
    options.trustForwardedFor = args.count("trust-forwarded-for") > 0;
    return RunService(options);
  }

  std::string error;
  auto store = OpenReportStore(db, &error);
  if (!store) {
    std::fprintf(stderr, "collector: %s\n", error.c_str());
    return 1;
  }
  if (command == "report") {
    ReportFilter filter;
    const int64_t now = NowMs();
    filter.sinceMs = now - 7LL * 24 * 3600000;
    if (args.count("since") && !ParseTime(args["since"], now, &filter.sinceMs)) return Usage();
    if (args.count("until") && !ParseTime(args["until"], now, &filter.untilMs)) return Usage();
    filter.channel = args["channel"];
    filter.stubVersion = args["version"];
    FunnelSummary summary;
    if (!BuildSummary(store.get(), filter, &summary, &error)) {
      std::fprintf(stderr, "collector: %s\n", error.c_str());
      return 1;
    }
    const std::string scope = DescribeFilter(filter);
    std::cout << (args.count("json") ? SummaryJson(summary, scope) : SummaryTable(summary, scope));
    return 0;
  }
  int64_t deleted = -1;
  if (command == "delete" && args.count("imei")) {
    deleted = store->DeleteIdentifier(args["imei"], &error);
  } else if (command == "purge" && args.count("older-than-days")) {
    deleted = store->DeleteBefore(NowMs() - std::atoll(args["older-than-days"].c_str()) * 24 * 3600000, &error);
  } else {
    return Usage();
  }
  if (deleted < 0) {
    std::fprintf(stderr, "collector: %s\n", error.c_str());
    return 1;
  }
  std::printf("deleted %lld reports\n", static_cast<long long>(deleted));
  return 0;
}
