#include "install/package_check.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

namespace {

struct FileCloser {
  void operator()(FILE* file) const { fclose(file); }
};
using ScopedFile = std::unique_ptr<FILE, FileCloser>;

}  // namespace

int64_t PackageFileSize(const std::wstring& path) {
  std::error_code error;
  std::filesystem::path file(path);
  if (!std::filesystem::is_regular_file(file, error))
    return -1;
  auto size = std::filesystem::file_size(file, error);
  return error ? -1 : static_cast<int64_t>(size);
}

bool IsPackageValid(const std::wstring& path) {
  ScopedFile file(_wfopen(path.c_str(), L"rb"));
  if (!file)
    return false;
  if (_fseeki64(file.get(), 0, SEEK_END) != 0 || _ftelli64(file.get()) < kLeastPackageSize)
    return false;
  if (_fseeki64(file.get(), 0, SEEK_SET) != 0)
    return false;
  unsigned char header[kPackageHeaderBytes];
  if (fread(header, 1, sizeof(header), file.get()) < sizeof(header))
    return false;
  return header[0] == 'M' && header[1] == 'Z';
}
