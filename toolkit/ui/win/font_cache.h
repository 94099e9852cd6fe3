// The global fonts as GDI+ fonts (for painting and measuring) and GDI fonts (for the hosted
// rich edits), per display scale. The face "system" is the system UI font when it can show
// Chinese, otherwise a CJK-capable family that is installed ("Microsoft YaHei" first, then
// the first family with GB2312 glyphs). A text with CJK characters in a font that has no CJK
// glyphs is drawn in that family too, so Chinese never shows as boxes.
//
//   Gdiplus::Font* font = fonts.GetFont(7, 150, base::Text("install_now"));
//
// Threading: UI thread only.
#pragma once

#include "toolkit/ui/win/gdiplus_include.h"

#include <map>
#include <memory>
#include <string>
#include <tuple>

#include "toolkit/ui/core/global_resources.h"
#include "toolkit/ui/core/text_measurer.h"

namespace ui {

class FontCache : public TextMeasurer {
 public:
  explicit FontCache(const GlobalResources* globals);  // `globals` must outlive the cache
  ~FontCache() override;

  // The font for global font `index` at `scale`; an unknown index gives font 0 or a default.
  Gdiplus::Font* GetFont(int index, int scale, const std::wstring& text);
  // A GDI font for a native child control; owned by the cache.
  HFONT GetHFont(int index, int scale);

  // The face that "system" stands for on this machine.
  const std::wstring& SystemFace() const { return systemFace_; }

  // Remembers what it measured (up to kMeasuredTextLimit texts).
  Size MeasureText(const std::wstring& text, int fontIndex, int scale) override;

 private:
  static constexpr size_t kMeasuredTextLimit = 512;
  Size MeasureTextNow(const std::wstring& text, int fontIndex, int scale);
  FontSpec SpecFor(int index) const;
  // The face to use for `fontSpec`, and whether it shows CJK text.
  std::wstring FaceFor(const FontSpec& fontSpec, bool needCjk);

  const GlobalResources* globals_;
  std::wstring systemFace_;
  std::map<std::wstring, bool> cjkFaces_;  // face -> has GB2312 glyphs
  std::map<std::tuple<int, int, bool>, std::unique_ptr<Gdiplus::Font>> fonts_;
  std::map<std::pair<int, int>, HFONT> hfonts_;
  std::map<std::tuple<int, int, std::wstring>, Size> measured_;
  std::unique_ptr<Gdiplus::Bitmap> measureSurface_;
  std::unique_ptr<Gdiplus::Graphics> measureGraphics_;
};

// True when `text` holds a character of the CJK blocks.
bool HasCjkText(const std::wstring& text);

// A StringFormat for one line without the default side padding: no wrapping, ellipsis at
// the end. Measuring and drawing use the same, so an auto-sized text never gets cut.
std::unique_ptr<Gdiplus::StringFormat> MakeSingleLineFormat();

}  // namespace ui
