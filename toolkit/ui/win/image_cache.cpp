#include "toolkit/ui/win/image_cache.h"

#include <objidl.h>

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>

#include "toolkit/base/scoped_com.h"
#include "toolkit/ui/core/resource_source.h"
#include "toolkit/ui/core/values.h"
#include "toolkit/ui/win/painter.h"

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

std::string CompositionKey(const ImageSpec& image, Size size) {
  const Insets& c = image.corner;
  const Rect& r = image.source;
  std::string key = image.file;
  for (int value : {c.left, c.top, c.right, c.bottom, r.left, r.top, r.right, r.bottom,
                    size.width, size.height})
    key += "|" + std::to_string(value);
  return key;
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

// The files DecodeAhead was given and what its thread made of them, in the same order; a
// composition is made right after its file and handed over with it.
struct ImageCache::Ahead {
  std::vector<std::string> paths;
  std::vector<std::string> bytes;                      // released as each is decoded
  std::vector<std::unique_ptr<Gdiplus::Bitmap>> done;  // taken over by Get
  std::vector<ImageComposition> compositions;
  std::vector<std::string> compositionKeys;
  std::vector<size_t> compositionFile;                 // index into `paths`
  std::vector<std::unique_ptr<Gdiplus::Bitmap>> composed;  // taken over by GetComposed
  size_t finished = 0;                                 // guarded by `mutex`
  std::mutex mutex;
  std::condition_variable progressed;
  std::thread thread;

  void Run() {
    // The codecs may be COM objects (they are under Wine); this thread is ours alone.
    base::ScopedCom com(base::ScopedCom::kMultiThreaded);
    for (size_t i = 0; i < paths.size(); ++i) {
      std::unique_ptr<Gdiplus::Bitmap> image = DecodeImage(bytes[i]);
      std::string().swap(bytes[i]);
      std::vector<std::unique_ptr<Gdiplus::Bitmap>> made(compositions.size());
      for (size_t j = 0; j < compositions.size(); ++j) {
        const ImageComposition& c = compositions[j];
        if (compositionFile[j] == i)
          made[j] = ComposeImage(image.get(), c.image, c.size, c.scale, c.imageScale);
      }
      std::lock_guard<std::mutex> lock(mutex);
      done[i] = std::move(image);
      for (size_t j = 0; j < made.size(); ++j)
        if (made[j]) composed[j] = std::move(made[j]);
      finished = i + 1;
      progressed.notify_all();
    }
  }

  void WaitFor(size_t file) {
    std::unique_lock<std::mutex> lock(mutex);
    progressed.wait(lock, [this, file] { return finished > file; });
  }
};

ImageCache::ImageCache(ResourceSource* source, std::string root)
    : source_(source), root_(std::move(root)) {}

ImageCache::~ImageCache() {
  for (auto& ahead : ahead_)
    if (ahead->thread.joinable()) ahead->thread.join();
}

void ImageCache::DecodeAhead(const std::vector<std::string>& paths,
                             const std::vector<ImageComposition>& compositions) {
  if (!source_) return;
  auto known = [this](const std::string& path) {
    if (images_.count(path)) return true;
    for (const auto& ahead : ahead_)
      if (std::find(ahead->paths.begin(), ahead->paths.end(), path) != ahead->paths.end())
        return true;
    return false;
  };
  auto ahead = std::make_unique<Ahead>();
  for (const std::string& path : paths) {
    std::string bytes;
    if (known(path) || !source_->ReadFile(JoinPath(root_, path), &bytes)) continue;
    ahead->paths.push_back(path);
    ahead->bytes.push_back(std::move(bytes));
  }
  if (ahead->paths.empty()) return;
  ahead->done.resize(ahead->paths.size());
  for (const ImageComposition& c : compositions) {
    auto file = std::find(ahead->paths.begin(), ahead->paths.end(), c.image.file);
    if (file == ahead->paths.end()) continue;
    ahead->compositions.push_back(c);
    ahead->compositionKeys.push_back(CompositionKey(c.image, c.size));
    ahead->compositionFile.push_back(static_cast<size_t>(file - ahead->paths.begin()));
  }
  ahead->composed.resize(ahead->compositions.size());
  Ahead* raw = ahead.get();
  try {
    ahead->thread = std::thread([raw] { raw->Run(); });
  } catch (const std::system_error&) {
    return;  // no thread: Get decodes each image when it is first drawn, as without this
  }
  ahead_.push_back(std::move(ahead));
}

std::unique_ptr<Gdiplus::Bitmap> ImageCache::TakeDecodedAhead(const std::string& path) {
  for (auto& ahead : ahead_) {
    auto it = std::find(ahead->paths.begin(), ahead->paths.end(), path);
    if (it == ahead->paths.end()) continue;
    const size_t index = static_cast<size_t>(it - ahead->paths.begin());
    ahead->WaitFor(index);
    std::lock_guard<std::mutex> lock(ahead->mutex);
    return std::move(ahead->done[index]);
  }
  return nullptr;
}

Gdiplus::Bitmap* ImageCache::GetComposed(const ImageSpec& image, Size size) {
  const std::string key = CompositionKey(image, size);
  auto it = composed_.find(key);
  if (it != composed_.end()) return it->second.get();
  for (auto& ahead : ahead_) {
    auto asked = std::find(ahead->compositionKeys.begin(), ahead->compositionKeys.end(), key);
    if (asked == ahead->compositionKeys.end()) continue;
    const size_t index = static_cast<size_t>(asked - ahead->compositionKeys.begin());
    ahead->WaitFor(ahead->compositionFile[index]);
    std::lock_guard<std::mutex> lock(ahead->mutex);
    Gdiplus::Bitmap* raw = ahead->composed[index].get();
    composed_[key] = std::move(ahead->composed[index]);
    return raw;
  }
  return nullptr;
}

Gdiplus::Bitmap* ImageCache::Get(const std::string& path) {
  auto it = images_.find(path);
  if (it != images_.end()) return it->second.get();
  std::unique_ptr<Gdiplus::Bitmap> image = TakeDecodedAhead(path);
  std::string bytes;
  // Not decoded ahead, or failed there: decoded here, so that a failure on the other thread
  // never shows as a missing image.
  if (!image && source_ && source_->ReadFile(JoinPath(root_, path), &bytes))
    image = DecodeImage(bytes);
  if (image) ++decoded_;
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
