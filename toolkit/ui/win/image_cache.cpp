#include "toolkit/ui/win/image_cache.h"

#include <objidl.h>

#include <cstdint>
#include <cstring>

#include "toolkit/ui/core/resource_source.h"
#include "toolkit/ui/core/values.h"

namespace ui {
namespace {

std::unique_ptr<Gdiplus::Bitmap> CopyPremultiplied(Gdiplus::Bitmap& source) {
  const UINT width = source.GetWidth(), height = source.GetHeight();
  Gdiplus::Rect all(0, 0, static_cast<INT>(width), static_cast<INT>(height));
  auto copy = std::make_unique<Gdiplus::Bitmap>(all.Width, all.Height, PixelFormat32bppPARGB);
  Gdiplus::BitmapData from, to;
  if (source.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppPARGB, &from) !=
      Gdiplus::Ok)
    return nullptr;
  bool copied = false;
  if (copy->LockBits(&all, Gdiplus::ImageLockModeWrite, PixelFormat32bppPARGB, &to) ==
      Gdiplus::Ok) {
    for (UINT y = 0; y < height; ++y)
      memcpy(static_cast<BYTE*>(to.Scan0) + static_cast<INT>(y) * to.Stride,
             static_cast<const BYTE*>(from.Scan0) + static_cast<INT>(y) * from.Stride,
             width * 4);
    copy->UnlockBits(&to);
    copied = true;
  }
  source.UnlockBits(&from);
  return copied ? std::move(copy) : nullptr;
}

}  // namespace

std::unique_ptr<Gdiplus::Bitmap> DecodeImage(const std::string& bytes) {
  if (bytes.empty()) return nullptr;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  if (!memory) return nullptr;
  void* data = GlobalLock(memory);
  memcpy(data, bytes.data(), bytes.size());
  GlobalUnlock(memory);
  IStream* stream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream))) {
    GlobalFree(memory);
    return nullptr;
  }
  std::unique_ptr<Gdiplus::Bitmap> result;
  {
    // GDI+ reads a stream-backed image lazily; copying it into a bitmap of our own decodes
    // it now and lets the stream go. The copy goes through LockBits, which converts whole
    // rows: drawing it with a Graphics instead takes GDI+'s per-pixel path, which made the
    // first paint of a page stall for hundreds of milliseconds under Wine (bench/).
    Gdiplus::Bitmap decoded(stream);
    if (decoded.GetLastStatus() == Gdiplus::Ok && decoded.GetWidth() > 0)
      result = CopyPremultiplied(decoded);
  }
  stream->Release();
  return result;
}

ImageCache::ImageCache(ResourceSource* source, std::string root)
    : source_(source), root_(std::move(root)) {}

ImageCache::~ImageCache() = default;

Gdiplus::Bitmap* ImageCache::Get(const std::string& path) {
  auto it = images_.find(path);
  if (it != images_.end()) return it->second.get();
  std::string bytes;
  std::unique_ptr<Gdiplus::Bitmap> image;
  if (source_ && source_->ReadFile(JoinPath(root_, path), &bytes)) {
    image = DecodeImage(bytes);
    if (image) ++decoded_;
  }
  Gdiplus::Bitmap* raw = image.get();
  images_[path] = std::move(image);
  return raw;
}

bool ImageCache::IsUniform(Gdiplus::Bitmap* bitmap, const Rect& source, bool alongX) {
  auto key = std::make_tuple(bitmap, source.left, source.top, source.right, source.bottom, alongX);
  auto known = uniform_.find(key);
  if (known != uniform_.end()) return known->second;
  bool uniform = false;
  Gdiplus::Rect area(source.left, source.top, source.Width(), source.Height());
  Gdiplus::BitmapData data;
  if (!source.IsEmpty() &&
      bitmap->LockBits(&area, Gdiplus::ImageLockModeRead, PixelFormat32bppPARGB, &data) ==
          Gdiplus::Ok) {
    uniform = true;
    auto pixel = [&data](int x, int y) {
      return static_cast<const uint32_t*>(
          static_cast<const void*>(static_cast<const char*>(data.Scan0) + y * data.Stride))[x];
    };
    for (int y = 0; uniform && y < area.Height; ++y) {
      for (int x = 0; uniform && x < area.Width; ++x)
        uniform = pixel(x, y) == (alongX ? pixel(0, y) : pixel(x, 0));
    }
    bitmap->UnlockBits(&data);
  }
  uniform_.emplace(key, uniform);
  return uniform;
}

}  // namespace ui
