#include "test_support.h"

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "report_store.h"
#include "toolkit/base/utf8.h"

extern char** environ;

namespace {

std::string PostgresBin() {
  DIR* dir = opendir("/usr/lib/postgresql");
  std::string best;
  if (!dir) return best;
  while (dirent* e = readdir(dir)) {
    const std::string name = e->d_name;
    if (name[0] == '.') continue;
    const std::string bin = "/usr/lib/postgresql/" + name + "/bin";
    if (access((bin + "/initdb").c_str(), X_OK) == 0 && bin > best) best = bin;
  }
  closedir(dir);
  return best;
}

pid_t Spawn(const std::vector<std::string>& args, const std::string& outputPath) {
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!outputPath.empty()) {
    posix_spawn_file_actions_addopen(&actions, 1, outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
  }
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

int WaitExit(pid_t pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

TempFolder::TempFolder() {
  char pattern[] = "/tmp/collector-test-XXXXXX";
  path = mkdtemp(pattern);
}

TempFolder::~TempFolder() {
  nftw(path.c_str(), [](const char* p, const struct stat*, int, FTW*) { return remove(p); }, 16,
       FTW_DEPTH | FTW_PHYS);
}

int RunProgram(const std::vector<std::string>& args, std::string* output) {
  char file[] = "/tmp/collector-test-output-XXXXXX";
  const int fd = mkstemp(file);
  if (fd < 0) return -1;
  close(fd);
  const pid_t pid = Spawn(args, file);
  const int code = pid < 0 ? -1 : WaitExit(pid);
  if (output) *output = ReadFile(file);
  unlink(file);
  return code;
}

TempPostgres* SharedPostgres() {
  // A static object, not a leaked one: its destructor stops the server at exit.
  static TempPostgres server;
  static const bool started = server.Start();
  if (!started) ADD_FAILURE() << server.error;
  return &server;
}

bool TempPostgres::Run(const std::vector<std::string>& args) {
  std::vector<std::string> command;
  if (geteuid() == 0) command = {"runuser", "-u", "postgres", "--"};
  command.insert(command.end(), args.begin(), args.end());
  std::string output;
  if (RunProgram(command, &output) == 0) return true;
  error = args[0] + " failed: " + output;
  return false;
}

bool TempPostgres::Start() {
  const std::string bin = PostgresBin();
  if (bin.empty()) return error = "no PostgreSQL server in /usr/lib/postgresql", false;
  const std::string data = folder_.path + "/data";
  if (!created_) {
    if (geteuid() == 0) {
      const passwd* user = getpwnam("postgres");
      if (!user || chown(folder_.path.c_str(), user->pw_uid, user->pw_gid) != 0)
        return error = "no postgres user to run the server as", false;
    }
    chmod(folder_.path.c_str(), 0755);
    if (!Run({bin + "/initdb", "-D", data, "-A", "trust", "-U", "postgres", "--no-sync",
              "-E", "UTF8", "--locale=C"}))
      return false;
    created_ = true;
  }
  // Unix socket only: nothing to collide with other tests' ports. fsync stays on: the tests
  // check what survives.
  running_ = Run({bin + "/pg_ctl", "-D", data, "-l", folder_.path + "/server.log", "-w", "-t",
                  "60", "-o", "-c listen_addresses='' -k " + folder_.path, "start"});
  return running_;
}

bool TempPostgres::Stop() {
  if (!running_) return true;
  running_ = !Run({PostgresBin() + "/pg_ctl", "-D", folder_.path + "/data", "-m", "fast", "-w",
                   "stop"});
  return !running_;
}

TempPostgres::~TempPostgres() { Stop(); }

std::string TempPostgres::Database() const {
  return "postgresql:host=" + folder_.path + " dbname=postgres user=postgres connect_timeout=5";
}

std::string CollectorPath() { return COLLECTOR_EXECUTABLE; }

bool CollectorProcess::Start(const std::string& database, const std::vector<std::string>& extra) {
  const std::string portFile = folder_.path + "/port";
  unlink(portFile.c_str());
  std::vector<std::string> args = {CollectorPath(), "serve", "--db", database, "--listen",
                                   "127.0.0.1:0", "--port-file", portFile};
  args.insert(args.end(), extra.begin(), extra.end());
  pid = Spawn(args, folder_.path + "/collector.log");
  if (pid < 0) return false;
  if (!WaitUntil([&] { return access(portFile.c_str(), R_OK) == 0; }, 20000)) return false;
  port = std::atoi(ReadFile(portFile).c_str());
  return port > 0;
}

bool CollectorProcess::Stop() {
  if (pid < 0) return true;
  kill(pid, SIGTERM);
  const int code = WaitExit(pid);
  pid = -1;
  return code == 0;
}

void CollectorProcess::Kill() {
  if (pid < 0) return;
  kill(pid, SIGKILL);
  WaitExit(pid);
  pid = -1;
}

CollectorProcess::~CollectorProcess() { Kill(); }

ReportIdentity TestIdentity(const std::string& imei) {
  ReportIdentity identity;
  identity.imei = base::Utf8ToWide(imei);
  identity.appver = L"2.1.0.7";
  identity.osName = L"Windows 10";
  identity.is64BitWindows = true;
  return identity;
}

std::string InstallerBody(const std::wstring& event, const ReportParams& params,
                          const ReportIdentity& identity) {
  return BuildUploadBody(ComposeReport(event, BuildDataObject(params), identity));
}

std::string InstallerCookieHeader(const ReportIdentity& identity) {
  // The installer's cookie table is ordered by name; each pair ends with ";".
  auto cookies = IdentityCookies(identity);
  std::sort(cookies.begin(), cookies.end());
  std::string header;
  for (const auto& [name, value] : cookies) header += name + "=" + CookieSafe(value) + ";";
  return header;
}

int PostReport(httplib::Client& http, const std::string& body, const std::string& cookies) {
  httplib::Headers headers = {
      {"Accept-Charset", "utf-8;q=0.7,*;q=0.3"}, {"Accept-Encoding", "deflate"},
      {"Accept-Language", "en-US,en;q=0.9"},     {"Cache-Control", "no-cache"},
      {"Cookie", cookies},
      {"User-Agent", "Mozilla/5.0 (Windows NT 6.1) AppleWebKit/537.36 (KHTML, like Gecko) "
                     "Chrome/56.0.2924.90 Safari/537.36"}};
  auto answer = http.Post("/caller?c=site&a=writelog", headers, body,
                          "application/x-www-form-urlencoded");
  return answer ? answer->status : -1;
}

bool WaitUntil(const std::function<bool()>& done, int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

int64_t CountReports(const std::string& database) {
  std::string error;
  auto store = OpenReportStore(database, &error);
  if (!store) return -1;
  int64_t n = 0;
  if (!store->Scan({}, [&](const Report&) { ++n; }, &error)) return -1;
  return n;
}

const int64_t kKnownFunnel[5] = {7, 5, 3, 2, 2};

std::vector<SentReport> KnownInstalls() {
  std::vector<SentReport> out;
  auto stub = [&](const char* imei, std::vector<std::pair<std::wstring, ReportParams>> reports,
                  const wchar_t* channel = nullptr) {
    ReportIdentity identity = TestIdentity(imei);
    if (channel) {
      identity.hasChannelTag = true;
      identity.channelTag = channel;
    }
    for (auto& [event, params] : reports) out.push_back({identity, event, params});
  };
  const ReportParams start = {{L"Dpi", L"96"}, {L"FirstStart", L"true"}, {L"Scale", L"100"}};
  const ReportParams install = {{L"ClickSrc", L"Install"}};
  auto download = [](const wchar_t* cost, const wchar_t* retry) {
    return ReportParams{{L"cost", cost}, {L"fileSize", L"31457280"}, {L"ret", L"0"}, {L"retryTime", retry}};
  };
  auto setup = [](const wchar_t* cost, const wchar_t* ret, const wchar_t* retry) {
    return ReportParams{{L"cost", cost}, {L"ret", ret}, {L"retryTime", retry}};
  };
  const ReportParams success = {{L"result", L"success"}};
  auto failed = [](const wchar_t* message) {
    return ReportParams{{L"errorMsg", message}, {L"result", L"faild"}};
  };
  stub("aaaa0000000000000000000000000001",
       {{L"AppStart", start}, {L"OnClick", install}, {L"DownloadTimeCost", download(L"10", L"0")},
        {L"InstallTimeCost", setup(L"20", L"0", L"0")}, {L"InstallResultReport", success}});
  stub("bbbb0000000000000000000000000002",
       {{L"AppStart", start}, {L"OnClick", install}, {L"DownloadTimeCost", download(L"30", L"1")},
        {L"InstallTimeCost", setup(L"40", L"0", L"0")}, {L"InstallResultReport", success}});
  stub("cccc0000000000000000000000000003",
       {{L"AppStart", start}, {L"OnClick", install},
        {L"DownloadTimeCost", {{L"cost", L"95"}, {L"ret", L"1"}, {L"retryTime", L"6"}}},
        {L"InstallResultReport",
         failed(L"Download Faild :URLDownloadToFile hr = 800c0005 size 0 windows pop time = 0")}});
  stub("dddd0000000000000000000000000004",
       {{L"AppStart", start}, {L"OnClick", install}, {L"DownloadTimeCost", download(L"12", L"0")},
        {L"InstallTimeCost", setup(L"61", L"-5", L"3")},
        {L"InstallResultReport", failed(L"Install Faild errorCode:-5")},
        {L"OnClick", {{L"btn_exit", L"Failed \u672a\u5b89\u88c5"}}}});
  stub("eeee0000000000000000000000000005",
       {{L"AppStart", start}, {L"OnClick", {{L"ClickSrc", L"ReInstall"}}},
        {L"OnClick", {{L"btn_exit", L"Start too slow \u4e0b\u8f7d\u9519\u4e0d\u559c\u6b22"}}}});
  stub("ffff0000000000000000000000000006", {{L"AppStart", start}}, L"partner");
  stub("9999000000000000000000000000000a",
       {{L"AppStart", start}, {L"OnClick", install},
        {L"InstallResultReport",
         failed(L"Download Faild :package signature: signature not valid (0x80096010)")}});
  return out;
}
