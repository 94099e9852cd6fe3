#include "app/platform_md5.h"

#include <windows.h>

#include <cstring>

#include "toolkit/base/system_library.h"

namespace {

// The context as advapi32 lays it out; MD5Final leaves the digest in its last field.
struct Md5Context {
  ULONG bitCount[2];
  ULONG state[4];
  unsigned char input[64];
  unsigned char digest[16];
};

using Md5InitFn = void(WINAPI*)(Md5Context*);
using Md5UpdateFn = void(WINAPI*)(Md5Context*, const unsigned char*, unsigned int);
using Md5FinalFn = void(WINAPI*)(Md5Context*);

struct Md5Api {
  Md5InitFn init = nullptr;
  Md5UpdateFn update = nullptr;
  Md5FinalFn final = nullptr;
};

// Resolved on first use; the library stays loaded for the life of the process.
const Md5Api& GetMd5Api() {
  static const Md5Api api = [] {
    Md5Api loaded;
    HMODULE module = base::LoadSystemLibrary(L"advapi32.dll");
    if (!module) return loaded;
    loaded.init = base::GetSystemFunction<Md5InitFn>(module, "MD5Init");
    loaded.update = base::GetSystemFunction<Md5UpdateFn>(module, "MD5Update");
    loaded.final = base::GetSystemFunction<Md5FinalFn>(module, "MD5Final");
    return loaded;
  }();
  return api;
}

}  // namespace

bool PlatformMd5(std::string_view bytes, Md5Bytes* digest) {
  const Md5Api& api = GetMd5Api();
  if (!api.init || !api.update || !api.final) return false;
  Md5Context context = {};
  api.init(&context);
  api.update(&context, reinterpret_cast<const unsigned char*>(bytes.data()),
             static_cast<unsigned int>(bytes.size()));
  api.final(&context);
  std::memcpy(digest->data(), context.digest, digest->size());
  return true;
}
