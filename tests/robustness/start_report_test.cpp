// The start report leaves before the window is made: a user who answers the window before it
// has painted still has the start reported first. The real installer reports to the build's
// report host, a loopback port that this test listens on itself.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "build_settings.h"
#include "tests/robustness/installer_process.h"

namespace {

int PortOf(const char* host) {
  const char* colon = strrchr(host, ':');
  return colon ? atoi(colon + 1) : 80;
}

// The event name in an upload body: "log=" and the Base64 of {"eventId":"<name>",...}.
std::string EventOf(const std::string& body) {
  static const std::string kAlphabet =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  int bits = 0, value = 0;
  for (size_t i = body.find('=') + 1; i < body.size() && body[i] != '='; ++i) {
    const size_t digit = kAlphabet.find(body[i]);
    if (digit == std::string::npos)
      break;
    value = (value << 6) | static_cast<int>(digit);
    if ((bits += 6) >= 8)
      text += static_cast<char>((value >> (bits -= 8)) & 0xFF);
  }
  const std::string key = "\"eventId\":\"";
  const size_t start = text.find(key);
  return start == std::string::npos
             ? std::string()
             : text.substr(start + key.size(), text.find('"', start + key.size()) - start - key.size());
}

// A report server that answers every request with 200 and keeps the events in arrival order.
class ReportListener {
 public:
  ~ReportListener() {
    closesocket(listener_);
    WSACleanup();
  }

  bool Listen(int port) {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
      return false;
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return listener_ != INVALID_SOCKET &&
           bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
           listen(listener_, 8) == 0;
  }

  // The first `count` events, or fewer once `timeoutMs` has passed.
  std::vector<std::string> Events(size_t count, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    std::vector<std::string> events;
    while (events.size() < count && GetTickCount64() < deadline) {
      fd_set readable;
      FD_ZERO(&readable);
      FD_SET(listener_, &readable);
      timeval wait = {0, 100000};
      if (select(0, &readable, nullptr, nullptr, &wait) != 1)
        continue;
      SOCKET client = accept(listener_, nullptr, nullptr);
      if (client == INVALID_SOCKET)
        continue;
      const DWORD receiveMs = 5000;
      setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&receiveMs),
                 sizeof(receiveMs));
      Serve(client, count, &events);
      closesocket(client);
    }
    return events;
  }

 private:
  // Answers the requests on one connection until it closes or enough events have come.
  static void Serve(SOCKET client, size_t count, std::vector<std::string>* events) {
    std::string received;
    char buffer[4096];
    while (events->size() < count) {
      const size_t headersEnd = received.find("\r\n\r\n");
      if (headersEnd != std::string::npos) {
        const size_t length = received.find("Content-Length:");
        const size_t bodySize = length < headersEnd ? atoi(received.c_str() + length + 15) : 0;
        if (received.size() >= headersEnd + 4 + bodySize) {
          events->push_back(EventOf(received.substr(headersEnd + 4, bodySize)));
          received.erase(0, headersEnd + 4 + bodySize);
          const char answer[] = "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n";
          send(client, answer, sizeof(answer) - 1, 0);
          continue;
        }
      }
      const int got = recv(client, buffer, sizeof(buffer), 0);
      if (got <= 0)
        return;
      received.append(buffer, got);
    }
  }

  SOCKET listener_ = INVALID_SOCKET;
};

// Esc on the welcome page opens the exit survey, which reports "OnClick". It is posted the
// moment the window has its title, before it is shown: the window's first paint waits until
// the posted key has been handled.
TEST(StartReportTest, StartIsReportedBeforeAClickMadeBeforeTheFirstPaint) {
  ReportListener reports;
  ASSERT_TRUE(reports.Listen(PortOf(build::kReportHost))) << "the report port is taken";
  InstallerProcess installer;
  ASSERT_TRUE(installer.Start(InstallerPath(), L""));
  const std::wstring title = std::wstring(build::kDisplayName) + L" 安装程序";
  HWND window = nullptr;
  for (ULONGLONG end = GetTickCount64() + 30000; !window && GetTickCount64() < end; Sleep(1)) {
    window = FindWindowW(nullptr, title.c_str());
    DWORD pid = 0;
    if (window && (!GetWindowThreadProcessId(window, &pid) || pid != installer.pid()))
      window = nullptr;
  }
  ASSERT_NE(window, nullptr);
  PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
  PostMessageW(window, WM_KEYUP, VK_ESCAPE, 0);
  EXPECT_EQ(reports.Events(2, 30000), (std::vector<std::string>{"AppStart", "OnClick"}));
}

}  // namespace
