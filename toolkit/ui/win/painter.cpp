#include "toolkit/ui/win/painter.h"

#include <algorithm>
#include <memory>

#include "toolkit/ui/core/box.h"
#include "toolkit/ui/core/check_box.h"
#include "toolkit/ui/core/control_tree.h"
#include "toolkit/ui/core/progress.h"
#include "toolkit/ui/core/rich_edit.h"
#include "toolkit/ui/win/font_cache.h"
#include "toolkit/ui/win/image_cache.h"

namespace ui {
namespace {

Gdiplus::Color ToGdiplus(Color c) { return Gdiplus::Color(static_cast<Gdiplus::ARGB>(c)); }

Gdiplus::Rect ToGdiplus(const Rect& r) {
  return Gdiplus::Rect(r.left, r.top, r.Width(), r.Height());
}

void DrawPiece(Gdiplus::Graphics& g, Gdiplus::Bitmap* bitmap, const Rect& dst, const Rect& src,
               Gdiplus::ImageAttributes* attributes, bool faded) {
  if (dst.IsEmpty() || src.IsEmpty()) return;
  // A stretched piece samples between source pixel centres only: a filter reaching past the
  // piece's edge would blend in transparency and leave a seam between slices.
  Gdiplus::REAL x = static_cast<Gdiplus::REAL>(src.left), w = static_cast<Gdiplus::REAL>(src.Width());
  Gdiplus::REAL y = static_cast<Gdiplus::REAL>(src.top), h = static_cast<Gdiplus::REAL>(src.Height());
  if (dst.Width() != src.Width() && src.Width() > 1) {
    x += 0.5f;
    w -= 1.0f;
  }
  if (dst.Height() != src.Height() && src.Height() > 1) {
    y += 0.5f;
    h -= 1.0f;
  }
  Gdiplus::RectF target(static_cast<Gdiplus::REAL>(dst.left), static_cast<Gdiplus::REAL>(dst.top),
                        static_cast<Gdiplus::REAL>(dst.Width()),
                        static_cast<Gdiplus::REAL>(dst.Height()));
  // Any image attributes send GDI+ down its per-pixel path (Wine's always): a piece drawn at
  // its own size samples no edge and needs none unless it fades.
  bool sameSize = dst.Width() == src.Width() && dst.Height() == src.Height();
  g.DrawImage(bitmap, target, x, y, w, h, Gdiplus::UnitPixel,
              sameSize && !faded ? nullptr : attributes);
}

Color TextColorOf(const Label& label) {
  if (!label.IsEnabledInTree()) return label.GetDisabledTextColor();
  if (const Button* b = dynamic_cast<const Button*>(&label)) {
    if (b->IsPushed() && b->GetPushedTextColor()) return b->GetPushedTextColor();
    if ((b->IsHot() || b->IsPushed()) && b->GetHotTextColor()) return b->GetHotTextColor();
  }
  return label.GetTextColor();
}

void DrawText(Gdiplus::Graphics& g, const Label& label, Rect area, HAlign align,
              const PaintContext& context) {
  std::wstring text = label.GetText();
  if (text.empty() || area.IsEmpty()) return;
  Gdiplus::Font* font = context.fonts->GetFont(label.GetFont(), context.scale, text);
  std::unique_ptr<Gdiplus::StringFormat> format = MakeSingleLineFormat();
  format->SetAlignment(align == HAlign::kLeft     ? Gdiplus::StringAlignmentNear
                      : align == HAlign::kCenter ? Gdiplus::StringAlignmentCenter
                                                 : Gdiplus::StringAlignmentFar);
  format->SetLineAlignment(Gdiplus::StringAlignmentCenter);
  Gdiplus::SolidBrush brush(ToGdiplus(TextColorOf(label)));
  Gdiplus::RectF layout(static_cast<Gdiplus::REAL>(area.left),
                        static_cast<Gdiplus::REAL>(area.top),
                        static_cast<Gdiplus::REAL>(area.Width()),
                        static_cast<Gdiplus::REAL>(area.Height()));
  g.DrawString(text.c_str(), static_cast<INT>(text.size()), font, layout, format.get(), &brush);
}

void PaintControl(Gdiplus::Graphics& g, Control* control, const PaintContext& context) {
  const Rect& rect = control->GetPos();
  if (control->GetBkColor() >> 24) {
    Gdiplus::SolidBrush brush(ToGdiplus(control->GetBkColor()));
    g.FillRectangle(&brush, ToGdiplus(rect));
  }
  if (!control->GetBkImage().IsEmpty()) DrawImage(g, control->GetBkImage(), rect, context);

  if (Progress* progress = dynamic_cast<Progress*>(control)) {
    Rect done = progress->DoneRect(rect);
    if (!done.IsEmpty() && !progress->GetProgressImage().IsEmpty()) {
      // Clipped rather than squeezed, so the bar's ends keep their shape.
      Gdiplus::GraphicsState state = g.Save();
      g.IntersectClip(ToGdiplus(done));
      DrawImage(g, progress->GetProgressImage(), rect, context);
      g.Restore(state);
    }
  }

  if (Label* label = dynamic_cast<Label*>(control)) {
    Rect textArea = rect;
    textArea.Deflate(ScaleInsets(label->GetPadding(), context.scale));
    HAlign align = label->GetTextAlign();
    if (Button* button = dynamic_cast<Button*>(label)) {
      const ImageSpec& state = ButtonStateImage(*button);
      if (&state == &button->GetHotImage() && button->GetHotFade() < 255) {
        // Fading in: the normal image under the hot one at the current strength.
        DrawImage(g, button->GetNormalImage(), rect, context);
        ImageSpec faded = state;
        faded.fade = faded.fade * button->GetHotFade() / 255;
        DrawImage(g, faded, rect, context);
      } else {
        DrawImage(g, state, rect, context);
      }
      const ImageSpec& fore = button->IsHot() && !button->GetForeHotImage().IsEmpty()
                                  ? button->GetForeHotImage()
                                  : button->GetForeNormalImage();
      DrawImage(g, fore, rect, context);
      if (CheckBox* check = dynamic_cast<CheckBox*>(button)) {
        textArea = rect;
        textArea.Deflate(ScaleInsets(check->GetTextPadding(), context.scale));
        align = HAlign::kLeft;
      } else if (button->GetWidth().kind == Length::kFixed) {
        align = HAlign::kCenter;  // a sized button centres its caption
      }
    }
    DrawText(g, *label, textArea, align, context);
  }

  if (control == context.focused) {
    Gdiplus::Pen pen(Gdiplus::Color(255, 40, 110, 220), 1.0f);
    pen.SetDashStyle(Gdiplus::DashStyleDot);
    g.DrawRectangle(&pen, rect.left, rect.top, rect.Width() - 1, rect.Height() - 1);
  }
}

void PaintRecursive(Gdiplus::Graphics& g, Control* control, const Rect& dirty,
                    const PaintContext& context) {
  if (!control->IsVisible()) return;
  const Rect& rect = control->GetPos();
  if (rect.Intersect(dirty).IsEmpty()) return;
  PaintControl(g, control, context);
  Box* box = dynamic_cast<Box*>(control);
  if (!box || box->GetCount() == 0) return;
  Gdiplus::GraphicsState state = g.Save();
  g.IntersectClip(ToGdiplus(rect));
  for (int i = 0; i < box->GetCount(); ++i) PaintRecursive(g, box->GetAt(i), dirty, context);
  g.Restore(state);
}

}  // namespace

namespace {

// The pieces of `image` from `bitmap` in `rect`. With `dirty` set, only what it needs (and
// `uniform` tells which stretched pieces may be cut down).
void DrawImagePieces(Gdiplus::Graphics& g, Gdiplus::Bitmap* bitmap, const ImageSpec& image,
                     const Rect& rect, int scale, int imageScale, const Rect& dirty,
                     ImageCache* uniform) {
  Rect src = image.source.IsEmpty()
                 ? Rect{0, 0, static_cast<int>(bitmap->GetWidth()),
                        static_cast<int>(bitmap->GetHeight())}
                 : ScaleRect(image.source, imageScale);
  Rect dst = rect;
  if (!image.dest.IsEmpty()) {
    dst = ScaleRect(image.dest, scale);
    dst.Offset(rect.left, rect.top);
  }
  Gdiplus::ImageAttributes attributes;
  attributes.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
  if (image.fade < 255) {
    Gdiplus::ColorMatrix matrix = {{{1, 0, 0, 0, 0},
                                    {0, 1, 0, 0, 0},
                                    {0, 0, 1, 0, 0},
                                    {0, 0, 0, image.fade / 255.0f, 0},
                                    {0, 0, 0, 0, 1}}};
    attributes.SetColorMatrix(&matrix);
  }
  // Only what the repaint needs: a piece outside it is not drawn, and a piece stretched over
  // a single colour along an axis is drawn only across the part to repaint (the same pixels),
  // from one pixel before it: GDI+ may leave a stretched piece's first column or row unpainted.
  auto drawWithin = [&](Rect piece, const Rect& from) {
    if (!dirty.IsEmpty()) {
      const Rect cut = piece.Intersect(dirty);
      if (cut.IsEmpty()) return;
      if (uniform && piece.Width() != from.Width() && cut.Width() < piece.Width() &&
          uniform->IsUniform(bitmap, from, true)) {
        piece.left = std::max(piece.left, cut.left - 1);
        piece.right = cut.right;
      }
      if (uniform && piece.Height() != from.Height() && cut.Height() < piece.Height() &&
          uniform->IsUniform(bitmap, from, false)) {
        piece.top = std::max(piece.top, cut.top - 1);
        piece.bottom = cut.bottom;
      }
    }
    DrawPiece(g, bitmap, piece, from, &attributes, image.fade < 255);
  };
  if (image.corner.IsEmpty()) {
    drawWithin(dst, src);
    return;
  }
  // Nine slices: corners keep their size, edges stretch one way, the middle both ways.
  Insets sc = ScaleInsets(image.corner, imageScale);
  Insets dc = ScaleInsets(image.corner, scale);
  int sx[4] = {src.left, src.left + sc.left, src.right - sc.right, src.right};
  int sy[4] = {src.top, src.top + sc.top, src.bottom - sc.bottom, src.bottom};
  int dx[4] = {dst.left, dst.left + dc.left, dst.right - dc.right, dst.right};
  int dy[4] = {dst.top, dst.top + dc.top, dst.bottom - dc.bottom, dst.bottom};
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 3; ++col) {
      // Each piece reaches one pixel back under its left and upper neighbours: some GDI+
      // versions leave the first row or column of a stretched piece unpainted, which would
      // show as a light seam.
      Rect piece{dx[col] - (col > 0 && dx[col] > dx[0] ? 1 : 0),
                 dy[row] - (row > 0 && dy[row] > dy[0] ? 1 : 0), dx[col + 1], dy[row + 1]};
      drawWithin(piece, Rect{sx[col], sy[row], sx[col + 1], sy[row + 1]});
    }
  }
}

}  // namespace

void SetPaintQuality(Gdiplus::Graphics& g) {
  g.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAliasGridFit);
  g.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBilinear);
  g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
}

bool IsComposable(const ImageSpec& image) {
  return !image.IsEmpty() && !image.corner.IsEmpty() && image.dest.IsEmpty() && image.fade == 255;
}

std::unique_ptr<Gdiplus::Bitmap> ComposeImage(Gdiplus::Bitmap* source, const ImageSpec& image,
                                              Size size, int scale, int imageScale) {
  if (!source || size.width <= 0 || size.height <= 0) return nullptr;
  auto whole = std::make_unique<Gdiplus::Bitmap>(size.width, size.height, PixelFormat32bppPARGB);
  if (whole->GetLastStatus() != Gdiplus::Ok) return nullptr;
  Gdiplus::Graphics g(whole.get());
  SetPaintQuality(g);
  g.Clear(Gdiplus::Color(0, 0, 0, 0));
  DrawImagePieces(g, source, image, Rect{0, 0, size.width, size.height}, scale, imageScale,
                  Rect{}, nullptr);
  return g.GetLastStatus() == Gdiplus::Ok ? std::move(whole) : nullptr;
}

void DrawImage(Gdiplus::Graphics& g, const ImageSpec& image, const Rect& rect,
               const PaintContext& context) {
  if (image.IsEmpty() || !context.images) return;
  // A nine-slice composed ahead of time for this size is one unscaled copy instead of nine
  // resampled pieces (GDI+ resamples pixel by pixel under Wine: 10 ms for a large button).
  if (IsComposable(image)) {
    if (Gdiplus::Bitmap* whole =
            context.images->GetComposed(image, Size{rect.Width(), rect.Height()})) {
      g.DrawImage(whole, ToGdiplus(rect), 0, 0, rect.Width(), rect.Height(), Gdiplus::UnitPixel,
                  nullptr);
      return;
    }
  }
  Gdiplus::Bitmap* bitmap = context.images->Get(image.file);
  if (!bitmap) return;
  DrawImagePieces(g, bitmap, image, rect, context.scale, context.imageScale, context.dirty,
                  context.images);
}

void PaintTree(Gdiplus::Graphics& graphics, Control* root, const Rect& dirty,
               const PaintContext& context) {
  PaintContext limited = context;
  limited.dirty = dirty;
  if (root) PaintRecursive(graphics, root, dirty, limited);
}

}  // namespace ui
