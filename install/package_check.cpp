#include "install/package_check.h"

#include <windows.h>

#include <cstdio>
#include <memory>

namespace {

struct FileCloser {
  void operator()(FILE* file) const { fclose(file); }
};
using ScopedFile = std::unique_ptr<FILE, FileCloser>;

}  // namespace

// Win32 rather than std::filesystem: the latter pulls the C++ file streams and code
// conversions (over 150 KiB) into the installer.
int64_t PackageFileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)))
    return -1;
  return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
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
