// collector_null_server: the reference for the bench. The same HTTP library, the same
// thread pool and route as the collector, and an answer of "ok" that stores nothing.
//
//   collector_null_server 18490
#include <httplib.h>

#include <cstdlib>

#include "listen_backlog.h"

int main(int argc, char** argv) {
  httplib::Server server;
  server.new_task_queue = [] { return new httplib::ThreadPool(64); };
  server.set_payload_max_length(16384);
  server.Post("/caller", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("ok", "text/plain");
  });
  ListenBacklog backlog(&server);
  if (!server.bind_to_port("127.0.0.1", argc > 1 ? std::atoi(argv[1]) : 18490)) return 1;
  backlog.Widen(4096);
  return server.listen_after_bind() ? 0 : 1;
}
