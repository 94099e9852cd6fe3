#include "toolkit/ui/win/image_cache.h"

#include <objidl.h>

#include "toolkit/ui/core/resource_source.h"
#include "toolkit/ui/core/values.h"

namespace ui {

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
    // it now and lets the stream go.
    Gdiplus::Bitmap decoded(stream);
    if (decoded.GetLastStatus() == Gdiplus::Ok && decoded.GetWidth() > 0) {
      result = std::make_unique<Gdiplus::Bitmap>(decoded.GetWidth(), decoded.GetHeight(),
                                                 PixelFormat32bppPARGB);
      Gdiplus::Graphics g(result.get());
      g.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
      g.DrawImage(&decoded, 0, 0, decoded.GetWidth(), decoded.GetHeight());
    }
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
