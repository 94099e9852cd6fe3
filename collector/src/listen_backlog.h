// A wider accept queue for an httplib server. The library listens with a backlog of 5,
// fixed when it was compiled: a burst of stubs connecting at once overflows it and the
// kernel drops their SYNs, which costs each of them a one-second retransmit. Calling
// listen() again on the bound socket widens the queue.
//
//   httplib::Server server;
//   ListenBacklog backlog(&server);        // before binding
//   server.bind_to_port("127.0.0.1", 18482);
//   backlog.Widen(4096);                   // after binding, before listen_after_bind
//
// Threading: the thread that sets up the server.
#pragma once

#include <httplib.h>
#include <sys/socket.h>

#include <memory>

class ListenBacklog {
 public:
  explicit ListenBacklog(httplib::Server* server) : socket_(std::make_shared<int>(-1)) {
    auto socket = socket_;
    server->set_socket_options([socket](socket_t sock) {
      httplib::default_socket_options(sock);
      *socket = sock;
    });
  }
  bool Widen(int backlog) { return *socket_ >= 0 && ::listen(*socket_, backlog) == 0; }

 private:
  std::shared_ptr<int> socket_;  // the listening socket, once the server made it
};
