// The HTTP client through which every usage report leaves the installer: one POST of a
// ready-made form body to the reporting endpoint, with fixed request headers, a Cookie line
// built from the process-wide cookie table, fixed time-outs and at most two attempts.
//
//   HttpClient client;          // a new easy handle and the report time-outs
//   client.SetDefaultHeaders();
//   std::string response;
//   int result = client.Post(body, &response);  // libcurl code of the last attempt
//
// Only a libcurl failure (resolve, connect, time-out, send, receive) leads to the second
// attempt; any HTTP answer, 4xx, 5xx and redirects included, counts as done. Nothing the
// server answers is followed or kept (no redirects, no cookie engine).
//
// Threading: a client lives within one task on the http thread; the first one initialises
// libcurl for the process. SetGlobalCookie is called on the main thread during start-up,
// before the first upload; the table is read-only after.
#pragma once

#include <cstddef>
#include <map>
#include <string>

typedef void CURL;
struct curl_slist;

// Sets a cookie sent with every upload; a second call with the same name replaces it. CR, LF
// and ";" are dropped from the value (CookieSafe, report_text.h).
void SetGlobalCookie(const std::string& name, const std::string& value);
void ClearGlobalCookiesForTesting();

// The product's report URL, unless a test set another.
std::string ReportEndpointUrl();
void SetReportEndpointForTesting(const std::string& url);

class HttpClient {
 public:
  // The most of an answer's body kept: the answer is not used, and a server must not be able
  // to fill the installer's memory.
  static constexpr size_t kMaxResponseBytes = 64 * 1024;

  HttpClient();
  ~HttpClient();
  HttpClient(const HttpClient&) = delete;
  HttpClient& operator=(const HttpClient&) = delete;

  // The six fixed request headers.
  void SetDefaultHeaders();
  // Adds a header unless one of that name is already there (the first value stays).
  void AddHeader(const std::string& name, const std::string& value);

  // Posts `body` unchanged to `url`, appending the answer's body to `response` (at most
  // kMaxResponseBytes of it; the rest is read and dropped). Returns
  // the libcurl code of the last attempt (0: an answer came), or 1 with no easy handle.
  int Post(const std::string& body, std::string* response);

  // Attempts made by the last Post.
  int attemptsMade() const { return attemptsMade_; }

  // Set up with the values the report upload uses; a test may shorten them.
  int dnsCacheTimeout = 60;  // seconds
  int connectTimeout = 15;   // seconds
  int attempts = 2;
  int timeout = 15;          // seconds, whole transfer
  std::string url = ReportEndpointUrl();

 private:
  void ApplyHeaders();

  CURL* handle_ = nullptr;
  std::map<std::string, std::string> headers_;  // byte-wise name order, as sent
  std::map<std::string, std::string> cookies_;
  curl_slist* headerList_ = nullptr;
  int attemptsMade_ = 0;
};
