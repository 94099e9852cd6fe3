// Fuzzes the reader of the channel stamp, which an installer takes from its own file after
// anyone may have rewritten it: a certificate table (or PE headers) of any shape is read
// within its bytes, and a stamp it yields is always one the installer accepts.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/channel_stamp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string stamp;
  if (FindChannelStamp(data, size, &stamp) &&
      (!IsAcceptableChannelStamp(stamp) || stamp.size() > kMaxChannelStamp)) {
    std::fprintf(stderr, "an unacceptable stamp was read\n");
    std::abort();
  }
  uint32_t offset = 0, tableSize = 0;
  FindCertificateTable(data, size, &offset, &tableSize);
  return 0;
}
