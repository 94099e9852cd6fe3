#include "tests/install/install_test_support.h"

#include <curl/curl.h>

#include <cstdlib>
#include <sstream>

#include "tests/support/test_paths.h"

namespace install_test {
namespace {

int PortFromEnv(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::atoi(value) : 0;
}

size_t Collect(char* data, size_t size, size_t count, void* out) {
  static_cast<std::string*>(out)->append(data, size * count);
  return size * count;
}

// GET on the server's control endpoint; the body, or "" on any failure.
std::string Control(const std::string& pathAndQuery, bool* ok) {
  static const bool initialized = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  std::string body;
  *ok = false;
  if (!initialized)
    return body;
  CURL* curl = curl_easy_init();
  if (!curl)
    return body;
  std::string url =
      "http://127.0.0.1:" + std::to_string(PackageServer::HttpPort()) + pathAndQuery;
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, 10L);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Collect);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
  long status = 0;
  if (curl_easy_perform(curl) == CURLE_OK &&
      curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK && status == 200) {
    *ok = true;
  }
  curl_easy_cleanup(curl);
  return body;
}

}  // namespace

bool StartDemoApp(ChildProcess* app) {
  constexpr DWORD kReadyMs = 20000;
  return app->Start(DemoAppPath(), L"") && app->WaitReady(kReadyMs);
}

std::wstring DemoPackagePath() {
  return ::PathFromEnv("BRIGHTMERE_DEMO_PACKAGE");
}

std::wstring DemoAppPath() {
  return ::PathFromEnv("BRIGHTMERE_DEMO_APP");
}

std::wstring MakeScratchDir(const std::wstring& hint) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  static int serial = 0;
  std::wstring dir = std::wstring(temp) + L"bm install test " + hint + L" " +
                     std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++serial);
  RemoveTree(dir);
  CreateDirectoryW(dir.c_str(), nullptr);
  return dir;
}

void RemoveTree(const std::wstring& dir) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((dir + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = data.cFileName;
      if (name == L"." || name == L"..")
        continue;
      std::wstring path = dir + L"\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(path);
      else
        DeleteFileW(path.c_str());
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  RemoveDirectoryW(dir.c_str());
}

bool CopyFileTo(const std::wstring& from, const std::wstring& to) {
  return CopyFileW(from.c_str(), to.c_str(), FALSE) != 0;
}

bool FileExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

int PackageServer::HttpPort() {
  return PortFromEnv("BRIGHTMERE_TEST_HTTP_PORT");
}

int PackageServer::HttpsPort() {
  return PortFromEnv("BRIGHTMERE_TEST_HTTPS_PORT");
}

int PackageServer::UntrustedPort() {
  return PortFromEnv("BRIGHTMERE_TEST_UNTRUSTED_PORT");
}

std::wstring PackageServer::PackageUrl() {
  return L"http://127.0.0.1:" + std::to_wstring(HttpPort()) +
         L"/caller?c=site&a=downloadPackage&channel=test";
}

std::wstring PackageServer::FallbackUrl() {
  return L"https://127.0.0.1:" + std::to_wstring(HttpsPort()) + L"/brightmere/brightmereSetup.exe";
}

std::wstring PackageServer::UntrustedFallbackUrl() {
  return L"https://127.0.0.1:" + std::to_wstring(UntrustedPort()) +
         L"/brightmere/brightmereSetup.exe";
}

std::wstring PackageServer::HttpFallbackUrl() {
  return L"http://127.0.0.1:" + std::to_wstring(HttpPort()) + L"/brightmere/brightmereSetup.exe";
}

bool PackageServer::Set(const std::string& target, const std::string& mode,
                        const std::string& arg) {
  bool ok;
  char* escaped = curl_easy_escape(nullptr, arg.c_str(), static_cast<int>(arg.size()));
  Control("/_control/set?target=" + target + "&mode=" + mode + "&arg=" + escaped, &ok);
  curl_free(escaped);
  return ok;
}

bool PackageServer::Reset() {
  bool ok;
  Control("/_control/reset", &ok);
  return ok;
}

std::map<std::string, int> PackageServer::Counts() {
  bool ok;
  std::istringstream lines(Control("/_control/counts", &ok));
  std::map<std::string, int> counts;
  std::string line;
  while (std::getline(lines, line)) {
    size_t equals = line.find('=');
    if (equals != std::string::npos)
      counts[line.substr(0, equals)] = std::stoi(line.substr(equals + 1));
  }
  return counts;
}

ScopedEnv::ScopedEnv(const wchar_t* name, const std::wstring& value) : name_(name) {
  SetEnvironmentVariableW(name, value.c_str());
}

ScopedEnv::~ScopedEnv() {
  SetEnvironmentVariableW(name_.c_str(), nullptr);
}

}  // namespace install_test
