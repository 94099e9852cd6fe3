#include "collector_service.h"

#include <httplib.h>
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <thread>

#include "batch_writer.h"
#include "listen_backlog.h"
#include "summary_render.h"

namespace {

constexpr int64_t kHourMs = 3600000;

// Compares without leaking, through the time taken, how much of the token was right.
bool SameToken(const std::string& given, const std::string& token) {
  unsigned char diff = given.size() != token.size();
  for (size_t i = 0; i < given.size(); ++i)
    diff |= static_cast<unsigned char>(given[i] ^ token[i % (token.empty() ? 1 : token.size())]);
  return diff == 0 && !token.empty();
}

bool Authorized(const httplib::Request& req, const std::string& token) {
  if (token.empty()) return false;
  const std::string auth = req.get_header_value("Authorization");
  if (auth.compare(0, 7, "Bearer ") == 0 && SameToken(auth.substr(7), token)) return true;
  if (req.has_param("token") && SameToken(req.get_param_value("token"), token)) return true;
  auto cookies = ParseCookies(req.get_header_value("Cookie"));
  return cookies.count("collector_token") && SameToken(cookies["collector_token"], token);
}

// The query of a request target, exactly as sent.
std::string RawQuery(const std::string& target) {
  const size_t q = target.find('?');
  return q == std::string::npos ? std::string() : target.substr(q + 1);
}

std::string FormatUtc(int64_t ms) {
  const std::time_t t = ms / 1000;
  std::tm tm{};
  gmtime_r(&t, &tm);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M UTC", &tm);
  return text;
}

bool FilterFromRequest(const httplib::Request& req, ReportFilter* filter, std::string* error) {
  const int64_t now = NowMs();
  filter->sinceMs = now - 7 * 24 * kHourMs;
  filter->untilMs = INT64_MAX;
  if (req.has_param("since") && !ParseTime(req.get_param_value("since"), now, &filter->sinceMs))
    return *error = "since: not a time", false;
  if (req.has_param("until") && !ParseTime(req.get_param_value("until"), now, &filter->untilMs))
    return *error = "until: not a time", false;
  filter->channel = req.get_param_value("channel");
  filter->stubVersion = req.get_param_value("version");
  return true;
}

}  // namespace

int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

bool ParseTime(const std::string& text, int64_t nowMs, int64_t* ms) {
  if (text.empty()) return false;
  const char unit = text.back();
  const std::string number = text.substr(0, text.size() - 1);
  const bool digits = text.find_first_not_of("0123456789") == std::string::npos;
  if (digits) return *ms = std::stoll(text), true;
  if ((unit == 'd' || unit == 'h' || unit == 'm') && !number.empty() &&
      number.find_first_not_of("0123456789") == std::string::npos) {
    const int64_t n = std::stoll(number);
    *ms = nowMs - n * (unit == 'd' ? 24 * kHourMs : unit == 'h' ? kHourMs : 60000);
    return true;
  }
  std::tm tm{};
  int year, month, day, hour = 0, minute = 0, second = 0;
  char tail;
  const int n = std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c", &year, &month, &day,
                            &hour, &minute, &second, &tail);
  if (n != 3 && n != 5 && n != 6) return false;
  if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60)
    return false;
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  *ms = static_cast<int64_t>(timegm(&tm)) * 1000;
  return true;
}

bool BuildSummary(ReportStore* store, const ReportFilter& filter, FunnelSummary* summary,
                  std::string* error) {
  if (!store->Scan(filter, [&](const Report& r) { AddToSummary(r, summary); }, error) ||
      !store->ScanRefusals(filter.sinceMs, filter.untilMs,
                           [&](const RefusalRecord& r) { ++summary->refusals[r.reason]; }, error))
    return false;
  FinishSummary(summary);
  return true;
}

std::string DescribeFilter(const ReportFilter& filter) {
  std::string out = "since " + FormatUtc(filter.sinceMs);
  if (filter.untilMs != INT64_MAX) out += ", until " + FormatUtc(filter.untilMs);
  out += filter.channel.empty() ? ", every channel" : ", channel " + filter.channel;
  out += filter.stubVersion.empty() ? ", every version" : ", version " + filter.stubVersion;
  return out;
}

int RunService(const ServiceOptions& options) {
  // SIGINT and SIGTERM stop the server (the writer then stores what is queued); SIGUSR1
  // only wakes the waiting thread at the end. Blocked before any thread starts, so that
  // every thread inherits the mask.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGUSR1);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  std::string error;
  auto store = OpenReportStore(options.database, &error);
  if (!store) {
    std::fprintf(stderr, "collector: %s\n", error.c_str());
    return 1;
  }
  BatchWriter writer(std::move(store));
  httplib::Server server;
  const int threads = options.threads;
  server.new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
  server.set_payload_max_length(options.maxBody);  // a chunked body is cut off there too

  // An announced length over the cap is answered before a byte of the body is read.
  const size_t maxBody = options.maxBody;
  server.set_pre_routing_handler([&](const httplib::Request& req, httplib::Response& res) {
    const std::string length = req.get_header_value("Content-Length");
    if (length.find_first_not_of("0123456789") != std::string::npos) {
      res.status = 400;
      res.set_header("Connection", "close");
      return httplib::Server::HandlerResponse::Handled;
    }
    if (req.method == "POST" && !length.empty() &&
        (length.size() > 18 || std::stoull(length) > maxBody)) {
      writer.CountRefusal({NowMs(), RefusalName(Refusal::kOversized)});
      res.status = 413;
      res.set_header("Connection", "close");
      res.set_content("too large\n", "text/plain");
      return httplib::Server::HandlerResponse::Handled;
    }
    return httplib::Server::HandlerResponse::Unhandled;
  });

  server.Post("/caller", [&](const httplib::Request& req, httplib::Response& res) {
    const int64_t now = NowMs();
    if (RawQuery(req.target) != "c=site&a=writelog") {
      res.status = 404;
      return;
    }
    std::string address = req.remote_addr;
    if (options.trustForwardedFor && req.has_header("X-Forwarded-For")) {
      address = req.get_header_value("X-Forwarded-For");
      address = address.substr(address.rfind(',') == std::string::npos ? 0 : address.rfind(',') + 1);
      while (!address.empty() && address.front() == ' ') address.erase(0, 1);
    }
    Report report;
    const Refusal why = ReadReport(req.body, req.get_header_value("Cookie"), address, now, &report);
    if (why != Refusal::kNone) {
      writer.CountRefusal({now, RefusalName(why)});
      res.status = 400;
      res.set_content(std::string(RefusalName(why)) + "\n", "text/plain");
      return;
    }
    if (writer.Store(std::move(report)) == StoreOutcome::kStored) {
      res.set_content("ok", "text/plain");
    } else {
      res.status = 503;
      res.set_header("Retry-After", "5");
      res.set_content("unavailable\n", "text/plain");
    }
  });

  auto summaryRoute = [&](bool page) {
    return [&, page](const httplib::Request& req, httplib::Response& res) {
      res.set_header("Cache-Control", "no-store");
      if (!Authorized(req, options.token)) {
        res.status = 401;
        res.set_content(options.token.empty() ? "no token is configured\n" : "token required\n",
                        "text/plain");
        return;
      }
      ReportFilter filter;
      std::string why;
      FunnelSummary summary;
      if (!FilterFromRequest(req, &filter, &why)) {
        res.status = 400;
        res.set_content(why + "\n", "text/plain");
        return;
      }
      auto reader = OpenReportStore(options.database, &why);
      if (!reader || !BuildSummary(reader.get(), filter, &summary, &why)) {
        res.status = 503;
        res.set_content("database: " + why + "\n", "text/plain");
        return;
      }
      const std::string scope = DescribeFilter(filter);
      if (page) {
        res.set_header("Content-Security-Policy", "default-src 'none'; style-src 'unsafe-inline'");
        res.set_content(SummaryPage(summary, scope), "text/html; charset=utf-8");
      } else {
        res.set_content(SummaryJson(summary, scope), "application/json");
      }
    };
  };
  server.Get("/report", summaryRoute(true));
  server.Get("/api/report", summaryRoute(false));
  server.Get("/healthz", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("ok", "text/plain");
  });

  ListenBacklog backlog(&server);
  int port = options.port;
  if (port == 0) {
    port = server.bind_to_any_port(options.host);
  } else if (!server.bind_to_port(options.host.c_str(), port)) {
    port = -1;
  }
  if (port <= 0) {
    std::fprintf(stderr, "collector: cannot listen on %s:%d\n", options.host.c_str(), options.port);
    return 1;
  }
  backlog.Widen(4096);

  std::thread signalWaiter([&] {
    int signal = 0;
    sigwait(&stopSignals, &signal);
    if (signal != SIGUSR1) server.stop();
  });

  // The retention runs at start and then every hour, on its own connection.
  std::mutex retentionMutex;
  std::condition_variable retentionWake;
  bool stopping = false;
  std::thread retention([&] {
    if (options.retentionDays <= 0) return;
    std::unique_lock<std::mutex> lock(retentionMutex);
    do {
      std::string why;
      auto cleaner = OpenReportStore(options.database, &why);
      const int64_t deleted =
          cleaner ? cleaner->DeleteBefore(NowMs() - options.retentionDays * 24 * kHourMs, &why) : -1;
      if (deleted < 0) std::fprintf(stderr, "collector: retention: %s\n", why.c_str());
    } while (!retentionWake.wait_for(lock, std::chrono::hours(1), [&] { return stopping; }));
  });

  if (!options.portFile.empty()) {
    const std::string temp = options.portFile + ".tmp";
    std::ofstream(temp) << port << "\n";
    std::rename(temp.c_str(), options.portFile.c_str());
  }
  std::fprintf(stderr, "collector: listening on %s:%d, storing in %s\n", options.host.c_str(),
               port, options.database.substr(0, options.database.find(':')).c_str());
  const bool served = server.listen_after_bind();

  {
    std::lock_guard<std::mutex> lock(retentionMutex);
    stopping = true;
  }
  retentionWake.notify_all();
  retention.join();
  pthread_kill(signalWaiter.native_handle(), SIGUSR1);
  signalWaiter.join();
  return served ? 0 : 1;
}
