#include "toolkit/ui/win/image_cache.h"

#include <objidl.h>

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

}  // namespace ui
