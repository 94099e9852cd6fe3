// Test support for the collector: a real PostgreSQL server in a temporary folder, the real
// collector executable as a child process on a free loopback port, and the exact report
// bodies and cookies the installer sends (built by the installer's own report code).
//
//   TempPostgres pg;                           // initdb + start; stopped and removed at the end
//   ASSERT_TRUE(pg.Start()) << pg.error;
//   CollectorProcess collector;
//   ASSERT_TRUE(collector.Start(pg.Database()));
//   httplib::Client http("127.0.0.1", collector.port);
//   auto answer = PostReport(http, InstallerBody(L"AppStart", {{L"Dpi", L"96"}}, identity),
//                            InstallerCookieHeader(identity));
//
// Threading: the test thread; PostReport from any thread with its own client.
#pragma once

#include <httplib.h>
#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

#include "report/report_text.h"

// A scratch folder removed (with its contents) when the object goes.
struct TempFolder {
  TempFolder();
  ~TempFolder();
  std::string path;
};

// A PostgreSQL cluster of Debian's package, listening only on a Unix socket in its folder.
// As root it runs as the "postgres" user: the server refuses to run as root.
class TempPostgres {
 public:
  TempPostgres() = default;
  ~TempPostgres();
  bool Start();    // initdb on the first call, then starts the server and waits for it
  bool Stop();     // fast shutdown: connections are cut
  std::string Database() const;  // "postgresql:host=... dbname=postgres user=postgres"
  std::string error;

 private:
  bool Run(const std::vector<std::string>& args);
  TempFolder folder_;
  bool created_ = false;
  bool running_ = false;
};

// One server for the whole test program, started on first use (a failure to start is a test
// failure) and stopped, its folder removed, when the program exits.
TempPostgres* SharedPostgres();

// The collector executable as a child process, `serve` on 127.0.0.1 and a free port.
class CollectorProcess {
 public:
  ~CollectorProcess();
  bool Start(const std::string& database, const std::vector<std::string>& extra = {});
  bool Stop();   // SIGTERM and wait: the exit code was 0
  void Kill();   // SIGKILL and wait
  int port = 0;
  pid_t pid = -1;

 private:
  TempFolder folder_;
};

// Runs a program to its end; its exit code, or -1. Output goes to `output` when given.
int RunProgram(const std::vector<std::string>& args, std::string* output = nullptr);

// The default test identity: a 32-character identifier, version 2.1.0.7, channel "default",
// Windows 10 64-bit.
ReportIdentity TestIdentity(const std::string& imei = "0123456789abcdef0123456789abcdef");

// The upload body and Cookie header exactly as the installer composes them.
std::string InstallerBody(const std::wstring& event, const ReportParams& params,
                          const ReportIdentity& identity);
std::string InstallerCookieHeader(const ReportIdentity& identity);

// POSTs `body` as the installer does (its headers, its cookies); the status, or -1 when no
// answer came.
int PostReport(httplib::Client& http, const std::string& body, const std::string& cookies);

// Until `done` holds or `ms` passed.
bool WaitUntil(const std::function<bool()>& done, int ms);

// The number of reports the database holds.
int64_t CountReports(const std::string& database);

// The path of the collector executable under test.
std::string CollectorPath();

// A known set of installs, as the installer would report them: seven stubs (two installed,
// a failed download, a failed setup, a refused package signature, a survey leaver, one that
// only started, on the channel "partner").
struct SentReport {
  ReportIdentity identity;
  std::wstring event;
  ReportParams params;
};
std::vector<SentReport> KnownInstalls();
// Its funnel: started, install clicked, download succeeded, setup succeeded, installed.
extern const int64_t kKnownFunnel[5];
