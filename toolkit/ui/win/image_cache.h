// Images of the skin, decoded once by GDI+ into premultiplied 32-bit bitmaps (fast to draw)
// and kept for the life of the cache. A missing or undecodable file is remembered as missing
// and drawn as nothing.
//
//   images.DecodeAhead(ImageFilesDrawnNow(root), {});  // before the window is made
//   Gdiplus::Bitmap* logo = images.Get("themes/default/basic/logo.png");
//
// Threading: UI thread only. DecodeAhead's decoding runs on a thread of the cache's own, which
// touches nothing but the bytes it was given; GDI+ must be started before and shut down only
// after the cache is gone (the destructor waits for that thread).
#pragma once

#include "toolkit/ui/win/gdiplus_include.h"

#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "toolkit/ui/core/geometry.h"
#include "toolkit/ui/core/values.h"

namespace ui {

class ResourceSource;

// A nine-slice image wanted whole at a size (painter.h, ComposeImage).
struct ImageComposition {
  ImageSpec image;
  Size size;
  int scale = 100;
  int imageScale = 100;
};

class ImageCache {
 public:
  // `source` reads paths relative to `root` ("resources/"); it must outlive the cache.
  ImageCache(ResourceSource* source, std::string root);
  ~ImageCache();

  // Starts decoding `paths` (those not cached yet) on another core while the caller goes on
  // creating the window: a first paint then finds them decoded, or waits for the one it needs.
  // Each of `compositions` whose file is among them is composed there too. The files are read
  // here: the resource source is the UI thread's. Paths cached or asked for already are left
  // out.
  void DecodeAhead(const std::vector<std::string>& paths,
                   const std::vector<ImageComposition>& compositions);

  // `image` composed whole at `size` by DecodeAhead, waiting for it; null when it was not
  // asked for (the caller then draws the slices).
  Gdiplus::Bitmap* GetComposed(const ImageSpec& image, Size size);

  // The decoded image, or null. The cache owns it.
  Gdiplus::Bitmap* Get(const std::string& path);
  int DecodedCount() const { return decoded_; }

  // True when every row (`alongX`) or every column of the `source` part of `bitmap`, one of
  // this cache's images, holds a single colour: stretched along that axis, any stretch of it
  // looks the same, so the painter may draw just the part a repaint needs. Remembered.
  bool IsUniform(Gdiplus::Bitmap* bitmap, const Rect& source, bool alongX);

 private:
  struct Ahead;
  // The image DecodeAhead made of `path`, waiting for it; null when it was not asked for or
  // could not be decoded there.
  std::unique_ptr<Gdiplus::Bitmap> TakeDecodedAhead(const std::string& path);

  std::vector<std::unique_ptr<Ahead>> ahead_;  // one per DecodeAhead call
  // Compositions taken over from DecodeAhead, by file, corner, source and size.
  std::map<std::string, std::unique_ptr<Gdiplus::Bitmap>> composed_;
  std::map<std::tuple<Gdiplus::Bitmap*, int, int, int, int, bool>, bool> uniform_;
  ResourceSource* source_;  // not owned
  std::string root_;
  std::map<std::string, std::unique_ptr<Gdiplus::Bitmap>> images_;
  int decoded_ = 0;
};

// Decodes PNG, BMP, JPEG or GIF bytes; null when GDI+ cannot.
std::unique_ptr<Gdiplus::Bitmap> DecodeImage(const std::string& bytes);

}  // namespace ui
