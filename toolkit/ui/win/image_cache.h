// Images of the skin, decoded once by GDI+ into premultiplied 32-bit bitmaps (fast to draw)
// and kept for the life of the cache. A missing or undecodable file is remembered as missing
// and drawn as nothing.
//
//   Gdiplus::Bitmap* logo = images.Get("themes/default/basic/logo.png");
//
// Threading: UI thread only.
#pragma once

#include "toolkit/ui/win/gdiplus_include.h"

#include <map>
#include <memory>
#include <string>
#include <tuple>

#include "toolkit/ui/core/geometry.h"

namespace ui {

class ResourceSource;

class ImageCache {
 public:
  // `source` reads paths relative to `root` ("resources/"); it must outlive the cache.
  ImageCache(ResourceSource* source, std::string root);
  ~ImageCache();

  // The decoded image, or null. The cache owns it.
  Gdiplus::Bitmap* Get(const std::string& path);
  int DecodedCount() const { return decoded_; }

  // True when every row (`alongX`) or every column of the `source` part of `bitmap`, one of
  // this cache's images, holds a single colour: stretched along that axis, any stretch of it
  // looks the same, so the painter may draw just the part a repaint needs. Remembered.
  bool IsUniform(Gdiplus::Bitmap* bitmap, const Rect& source, bool alongX);

 private:
  std::map<std::tuple<Gdiplus::Bitmap*, int, int, int, int, bool>, bool> uniform_;
  ResourceSource* source_;  // not owned
  std::string root_;
  std::map<std::string, std::unique_ptr<Gdiplus::Bitmap>> images_;
  int decoded_ = 0;
};

// Decodes PNG, BMP, JPEG or GIF bytes; null when GDI+ cannot.
std::unique_ptr<Gdiplus::Bitmap> DecodeImage(const std::string& bytes);

}  // namespace ui
