// Paints a control tree with GDI+: background colours and images (nine-slice corners,
// source and destination rectangles, fade), text, button and check box states, progress
// bars and the keyboard focus mark. Only controls that meet the dirty rectangle are drawn.
//
//   ui::PaintContext context{scale, imageScale, &images, &fonts, focused};
//   ui::PaintTree(graphics, root, dirty, context);
//
// Threading: UI thread only; ComposeImage and SetPaintQuality on any thread, with objects
// that thread alone uses.
#pragma once

#include "toolkit/ui/win/gdiplus_include.h"

#include <memory>

#include "toolkit/ui/core/control.h"

namespace ui {

class FontCache;
class ImageCache;

struct PaintContext {
  int scale = 100;        // display scale: layout values and destination rectangles
  int imageScale = 100;   // the scale the theme's images are drawn for: sources and corners
  ImageCache* images = nullptr;
  FontCache* fonts = nullptr;
  const Control* focused = nullptr;  // gets the focus mark; may be null
  // What is being repainted (PaintTree sets it); empty: everything. Image pieces outside it
  // are not drawn at all: GDI+ under Wine resamples a whole piece however little of it the
  // clip lets through.
  Rect dirty;
};

void PaintTree(Gdiplus::Graphics& graphics, Control* root, const Rect& dirty,
               const PaintContext& context);

// Draws `image` in `rect` (a control's rectangle), honouring its source, destination, corner
// insets and fade.
void DrawImage(Gdiplus::Graphics& graphics, const ImageSpec& image, const Rect& rect,
               const PaintContext& context);

// The text, interpolation and pixel-offset modes every paint uses.
void SetPaintQuality(Gdiplus::Graphics& graphics);

// True for an image drawn as nine resampled slices that ComposeImage can make whole: corner
// insets, no destination rectangle, no fade.
bool IsComposable(const ImageSpec& image);

// `image` drawn from `source` over a whole transparent bitmap of `size`, as DrawImage draws it
// in a control of that size; drawn over the window afterwards, it gives the same pixels.
std::unique_ptr<Gdiplus::Bitmap> ComposeImage(Gdiplus::Bitmap* source, const ImageSpec& image,
                                              Size size, int scale, int imageScale);

}  // namespace ui
