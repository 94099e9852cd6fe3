#include "report/http_client.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstring>
#include <mutex>

#include "build_settings.h"
#include "report/report_text.h"

namespace {

std::map<std::string, std::string>& GlobalCookies() {
  static auto* cookies = new std::map<std::string, std::string>();
  return *cookies;
}

std::mutex& EndpointLock() {
  static auto* lock = new std::mutex();
  return *lock;
}

std::string& EndpointOverride() {
  static auto* url = new std::string();
  return *url;
}

// Appends the chunk up to its first zero byte, while the buffer has room; always takes the
// whole chunk so libcurl never aborts a transfer because of the answer's content. No
// exception may leave it: libcurl's frames carry no unwind tables (cmake/Dependencies.cmake).
size_t AppendResponse(char* data, size_t size, size_t count, void* buffer) noexcept {
  const size_t n = size * count;
  auto* response = static_cast<std::string*>(buffer);
  try {
    if (response && response->size() < HttpClient::kMaxResponseBytes) {
      const size_t room = HttpClient::kMaxResponseBytes - response->size();
      response->append(data, std::min(room, strnlen(data, n)));
    }
  } catch (...) {
    return 0;  // out of memory: libcurl ends the transfer with a write error
  }
  return n;
}

// libcurl's process-wide set-up, by the first client. Clients live on the http thread, so this
// loads the TLS packages there, before the first upload, and not on the start-up path.
void InitLibraryOnce() {
  static const CURLcode result = curl_global_init(CURL_GLOBAL_ALL);
  (void)result;  // on a failure curl_easy_init tries again, and without it the upload fails
}

}  // namespace

void SetGlobalCookie(const std::string& name, const std::string& value) {
  GlobalCookies()[name] = CookieSafe(value);
}

void ClearGlobalCookiesForTesting() { GlobalCookies().clear(); }

std::string ReportEndpointUrl() {
  std::lock_guard<std::mutex> hold(EndpointLock());
  if (!EndpointOverride().empty())
    return EndpointOverride();
  return build::kReportUrl;
}

void SetReportEndpointForTesting(const std::string& url) {
  std::lock_guard<std::mutex> hold(EndpointLock());
  EndpointOverride() = url;
}

HttpClient::HttpClient() {
  InitLibraryOnce();
  handle_ = curl_easy_init();
}

HttpClient::~HttpClient() {
  if (handle_)
    curl_easy_cleanup(handle_);
  if (headerList_)
    curl_slist_free_all(headerList_);
}

void HttpClient::SetDefaultHeaders() {
  AddHeader("Accept-Charset", "utf-8;q=0.7,*;q=0.3");
  AddHeader("Accept-Language", "en-US,en;q=0.9");
  AddHeader("Accept-Encoding", "deflate");
  AddHeader("Cache-Control", "no-cache");
  AddHeader("Connection", "close");
  AddHeader("User-Agent",
            "Mozilla/5.0 (Windows NT 6.1) AppleWebKit/537.36 (KHTML, like Gecko) "
            "Chrome/56.0.2924.90 Safari/537.36");
}

void HttpClient::AddHeader(const std::string& name, const std::string& value) {
  headers_.emplace(name, value);
}

void HttpClient::ApplyHeaders() {
  for (const auto& cookie : GlobalCookies())
    cookies_.emplace(cookie);

  std::string cookieText;
  for (const auto& [name, value] : cookies_)
    cookieText += name + "=" + value + ";";
  if (!cookieText.empty())
    AddHeader("Cookie", cookieText);

  // Rebuilt from scratch so that a second attempt hands every header over exactly once.
  if (headerList_) {
    curl_slist_free_all(headerList_);
    headerList_ = nullptr;
  }
  for (const auto& [name, value] : headers_)
    headerList_ = curl_slist_append(headerList_, (name + ": " + value).c_str());
  curl_easy_setopt(handle_, CURLOPT_HTTPHEADER, headerList_);
}

int HttpClient::Post(const std::string& body, std::string* response) {
  int result = 0;
  attemptsMade_ = 0;
  for (int attempt = 1; attempt <= attempts; ++attempt) {
    ++attemptsMade_;
    if (!handle_) {
      result = 1;
      continue;
    }
    CURLcode code = curl_easy_setopt(handle_, CURLOPT_URL, url.c_str());
    if (code != CURLE_OK) {
      result = code;
      continue;
    }
    ApplyHeaders();
    curl_easy_setopt(handle_, CURLOPT_POST, 1L);
    curl_easy_setopt(handle_, CURLOPT_POSTFIELDS, body.data());
    curl_easy_setopt(handle_, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
    curl_easy_setopt(handle_, CURLOPT_WRITEFUNCTION, &AppendResponse);
    curl_easy_setopt(handle_, CURLOPT_WRITEDATA, response);
    curl_easy_setopt(handle_, CURLOPT_CONNECTTIMEOUT, static_cast<long>(connectTimeout));
    curl_easy_setopt(handle_, CURLOPT_TIMEOUT, static_cast<long>(timeout));
    curl_easy_setopt(handle_, CURLOPT_DNS_CACHE_TIMEOUT, static_cast<long>(dnsCacheTimeout));
    curl_easy_setopt(handle_, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle_, CURLOPT_HEADER, 0L);
    result = curl_easy_perform(handle_);
    if (result == CURLE_OK)
      break;
  }
  return result;
}
