#include "toolkit/ui/win/font_cache.h"

#include <cmath>

namespace ui {
namespace {

int CALLBACK NoteAnyFamily(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

int CALLBACK NoteFirstFamily(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM out) {
  if (font->lfFaceName[0] == L'@') return 1;  // vertical-writing variants
  *reinterpret_cast<std::wstring*>(out) = font->lfFaceName;
  return 0;
}

// Whether `face` (or, when empty, any family) has glyphs of the simplified Chinese charset.
bool EnumerateChinese(const std::wstring& face, std::wstring* firstFamily) {
  HDC dc = GetDC(nullptr);
  LOGFONTW lf = {};
  lf.lfCharSet = GB2312_CHARSET;
  lstrcpynW(lf.lfFaceName, face.c_str(), LF_FACESIZE);
  bool found = false;
  if (face.empty())
    EnumFontFamiliesExW(dc, &lf, NoteFirstFamily, reinterpret_cast<LPARAM>(firstFamily), 0);
  else
    EnumFontFamiliesExW(dc, &lf, NoteAnyFamily, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, dc);
  return face.empty() ? !firstFamily->empty() : found;
}

bool IsInstalled(const std::wstring& face) {
  Gdiplus::FontFamily family(face.c_str());
  return family.GetLastStatus() == Gdiplus::Ok && family.IsAvailable();
}

std::wstring SystemUiFace() {
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof(metrics);
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
    return metrics.lfMessageFont.lfFaceName;
  return L"Tahoma";
}

}  // namespace

bool HasCjkText(const std::wstring& text) {
  for (wchar_t c : text)
    if ((c >= 0x2e80 && c <= 0x9fff) || (c >= 0xf900 && c <= 0xfaff) ||
        (c >= 0xff00 && c <= 0xffef))
      return true;
  return false;
}

std::unique_ptr<Gdiplus::StringFormat> MakeSingleLineFormat() {
  std::unique_ptr<Gdiplus::StringFormat> format(
      Gdiplus::StringFormat::GenericTypographic()->Clone());
  format->SetFormatFlags(format->GetFormatFlags() | Gdiplus::StringFormatFlagsNoWrap |
                         Gdiplus::StringFormatFlagsMeasureTrailingSpaces);
  format->SetTrimming(Gdiplus::StringTrimmingEllipsisCharacter);
  return format;
}

FontCache::FontCache(const GlobalResources* globals) : globals_(globals) {
  std::wstring ui = SystemUiFace();
  cjkFaces_[ui] = EnumerateChinese(ui, nullptr);
  if (cjkFaces_[ui]) {
    systemFace_ = ui;
  } else {
    for (const wchar_t* face : {L"Microsoft YaHei UI", L"Microsoft YaHei", L"SimSun",
                                L"Noto Sans CJK SC", L"Source Han Sans SC"}) {
      if (IsInstalled(face) && EnumerateChinese(face, nullptr)) {
        systemFace_ = face;
        break;
      }
    }
    if (systemFace_.empty()) EnumerateChinese(L"", &systemFace_);
    if (systemFace_.empty()) systemFace_ = ui;  // nothing shows Chinese: keep the UI font
    cjkFaces_[systemFace_] = systemFace_ != ui;
  }
  measureSurface_ = std::make_unique<Gdiplus::Bitmap>(1, 1, PixelFormat32bppPARGB);
  measureGraphics_.reset(Gdiplus::Graphics::FromImage(measureSurface_.get()));
  measureGraphics_->SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAliasGridFit);
}

FontCache::~FontCache() {
  for (auto& entry : hfonts_) DeleteObject(entry.second);
}

FontSpec FontCache::SpecFor(int index) const {
  const FontSpec* fontSpec = globals_ ? globals_->FindFont(index) : nullptr;
  if (!fontSpec && globals_) fontSpec = globals_->FindFont(0);
  if (fontSpec) return *fontSpec;
  FontSpec fallback;
  fallback.face = L"system";
  return fallback;
}

std::wstring FontCache::FaceFor(const FontSpec& fontSpec, bool needCjk) {
  if (fontSpec.face == L"system") return systemFace_;
  auto it = cjkFaces_.find(fontSpec.face);
  if (it == cjkFaces_.end()) {
    bool installed = IsInstalled(fontSpec.face);
    bool cjk = installed && EnumerateChinese(fontSpec.face, nullptr);
    it = cjkFaces_.emplace(fontSpec.face, cjk).first;
    if (!installed) return systemFace_;
  }
  if (needCjk && !it->second) return systemFace_;
  return IsInstalled(fontSpec.face) ? fontSpec.face : systemFace_;
}

Gdiplus::Font* FontCache::GetFont(int index, int scale, const std::wstring& text) {
  bool cjk = HasCjkText(text);
  auto key = std::make_tuple(index, scale, cjk);
  auto it = fonts_.find(key);
  if (it != fonts_.end()) return it->second.get();
  FontSpec fontSpec = SpecFor(index);
  int style = Gdiplus::FontStyleRegular;
  if (fontSpec.bold) style |= Gdiplus::FontStyleBold;
  if (fontSpec.italic) style |= Gdiplus::FontStyleItalic;
  if (fontSpec.underline) style |= Gdiplus::FontStyleUnderline;
  std::wstring face = FaceFor(fontSpec, cjk);
  auto font = std::make_unique<Gdiplus::Font>(face.c_str(),
                                              static_cast<Gdiplus::REAL>(ScaleValue(fontSpec.size, scale)),
                                              style, Gdiplus::UnitPixel);
  if (font->GetLastStatus() != Gdiplus::Ok)
    font = std::make_unique<Gdiplus::Font>(systemFace_.c_str(),
                                           static_cast<Gdiplus::REAL>(ScaleValue(fontSpec.size, scale)),
                                           style, Gdiplus::UnitPixel);
  Gdiplus::Font* raw = font.get();
  fonts_[key] = std::move(font);
  return raw;
}

HFONT FontCache::GetHFont(int index, int scale) {
  auto key = std::make_pair(index, scale);
  auto it = hfonts_.find(key);
  if (it != hfonts_.end()) return it->second;
  FontSpec fontSpec = SpecFor(index);
  // Edits hold whatever the user types or pastes: always a face that shows Chinese.
  std::wstring face = FaceFor(fontSpec, true);
  HFONT font = CreateFontW(-ScaleValue(fontSpec.size, scale), 0, 0, 0,
                           fontSpec.bold ? FW_BOLD : FW_NORMAL, fontSpec.italic, fontSpec.underline, FALSE,
                           DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                           CLEARTYPE_QUALITY, DEFAULT_PITCH, face.c_str());
  hfonts_[key] = font;
  return font;
}

Size FontCache::MeasureText(const std::wstring& text, int fontIndex, int scale) {
  // A text change relayouts the window, which measures every text again: GDI+ measuring is
  // slow under Wine and the progress label changes five times a second, so each text is
  // measured once. Bounded: a label fed ever new texts cannot grow the cache for ever.
  auto key = std::make_tuple(fontIndex, scale, text);
  auto known = measured_.find(key);
  if (known != measured_.end()) return known->second;
  if (measured_.size() >= kMeasuredTextLimit) measured_.clear();
  Size size = MeasureTextNow(text, fontIndex, scale);
  measured_.emplace(std::move(key), size);
  return size;
}

Size FontCache::MeasureTextNow(const std::wstring& text, int fontIndex, int scale) {
  Gdiplus::Font* font = GetFont(fontIndex, scale, text);
  Gdiplus::REAL lineHeight = font->GetHeight(measureGraphics_.get());
  if (text.empty()) return Size{0, static_cast<int>(std::ceil(lineHeight))};
  std::unique_ptr<Gdiplus::StringFormat> format = MakeSingleLineFormat();
  Gdiplus::RectF bounds;
  measureGraphics_->MeasureString(text.c_str(), static_cast<INT>(text.size()), font,
                                  Gdiplus::PointF(0, 0), format.get(), &bounds);
  return Size{static_cast<int>(std::ceil(bounds.Width)),
              static_cast<int>(std::ceil(bounds.Height > lineHeight ? bounds.Height
                                                                     : lineHeight))};
}

}  // namespace ui
