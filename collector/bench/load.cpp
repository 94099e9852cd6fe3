// collector_load: posts installer-shaped reports (a new connection each, as the installer
// does) from several threads for a while and prints what was answered and how fast.
//
//   collector_load --port 18490 --seconds 60 --threads 32
//   -> sent 301234 ok 301234 other 0 failed 0 rate 5020.6/s p50 2.1 ms p99 9.8 ms max 41.0 ms
//
// Each report has its own identifier, so the stored count can be compared with "ok".
#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string Base64(const std::string& in) {
  std::string out;
  size_t i = 0;
  for (; i + 2 < in.size(); i += 3) {
    const uint32_t v = (uint8_t(in[i]) << 16) | (uint8_t(in[i + 1]) << 8) | uint8_t(in[i + 2]);
    for (int s = 18; s >= 0; s -= 6) out.push_back(kAlphabet[(v >> s) & 63]);
  }
  if (i < in.size()) {
    uint32_t v = uint8_t(in[i]) << 16;
    if (i + 1 < in.size()) v |= uint8_t(in[i + 1]) << 8;
    out.push_back(kAlphabet[(v >> 18) & 63]);
    out.push_back(kAlphabet[(v >> 12) & 63]);
    out.push_back(i + 1 < in.size() ? kAlphabet[(v >> 6) & 63] : '=');
    out.push_back('=');
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  int port = 18482, seconds = 60, threads = 32;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (!std::strcmp(argv[i], "--port")) port = std::atoi(argv[i + 1]);
    if (!std::strcmp(argv[i], "--seconds")) seconds = std::atoi(argv[i + 1]);
    if (!std::strcmp(argv[i], "--threads")) threads = std::atoi(argv[i + 1]);
  }
  std::atomic<long> ok{0}, other{0}, failed{0};
  std::mutex mutex;
  std::vector<double> latencies;
  const auto start = std::chrono::steady_clock::now();
  const auto end = start + std::chrono::seconds(seconds);
  std::vector<std::thread> workers;
  for (int t = 0; t < threads; ++t) {
    workers.emplace_back([&, t] {
      std::vector<double> mine;
      const httplib::Headers headers = {
          {"Accept-Charset", "utf-8;q=0.7,*;q=0.3"}, {"Accept-Encoding", "deflate"},
          {"Accept-Language", "en-US,en;q=0.9"}, {"Cache-Control", "no-cache"},
          {"Cookie", "appname=BenchApp;appver=2.1.0.7;channel=bench;imei=x;os=windows;"
                     "system=Windows 10 64bit;"},
          {"User-Agent", "Mozilla/5.0 (Windows NT 6.1) AppleWebKit/537.36 (KHTML, like Gecko) "
                         "Chrome/56.0.2924.90 Safari/537.36"}};
      for (long n = 0; std::chrono::steady_clock::now() < end; ++n) {
        char imei[40];
        std::snprintf(imei, sizeof imei, "%08x%024ld", t, n);
        const std::string text = std::string("{\"eventId\":\"AppStart\",\"imei\":\"") + imei +
                                 "\",\"appver\":\"2.1.0.7\",\"appName\":\"BenchApp\","
                                 "\"data\":{\"Dpi\":\"96\",\"FirstStart\":\"true\",\"Scale\":\"100\"}}";
        httplib::Client http("127.0.0.1", port);  // a new connection, as the installer makes
        http.set_read_timeout(30);
        const auto before = std::chrono::steady_clock::now();
        auto answer = http.Post("/caller?c=site&a=writelog", headers, "log=" + Base64(text),
                                "application/x-www-form-urlencoded");
        mine.push_back(std::chrono::duration<double, std::milli>(
                           std::chrono::steady_clock::now() - before).count());
        if (!answer) ++failed;
        else if (answer->status == 200) ++ok;
        else ++other;
      }
      std::lock_guard<std::mutex> lock(mutex);
      latencies.insert(latencies.end(), mine.begin(), mine.end());
    });
  }
  for (auto& w : workers) w.join();
  const double elapsed =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::sort(latencies.begin(), latencies.end());
  auto at = [&](double q) {
    return latencies.empty() ? 0.0 : latencies[std::min(latencies.size() - 1, size_t(q * latencies.size()))];
  };
  std::printf("sent %zu ok %ld other %ld failed %ld rate %.1f/s p50 %.1f ms p99 %.1f ms max %.1f ms\n",
              latencies.size(), ok.load(), other.load(), failed.load(), ok / elapsed, at(0.5),
              at(0.99), latencies.empty() ? 0.0 : latencies.back());
  return 0;
}
