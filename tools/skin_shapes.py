"""The small shape language of a product's skin.json: colours and the logo's vector shapes.

A colour is "#rrggbb" or "#rrggbbaa". A logo is a list of shapes on an 80 x 80 grid, drawn in
order; draw_shapes() maps the grid onto any canvas, so the same shapes give the 80-pixel logo
at every display scale and the icon at 16 to 256 pixels. Each shape is an object whose first
key names its kind:

  {"rounded": [x0, y0, x1, y1], "radius": r, "fill": c}          also "gradient": [top, bottom]
  {"ellipse": [x0, y0, x1, y1], "fill": c}
  {"polygon": [[x, y], ...], "fill": c}
  {"polyline": [[x, y], ...], "color": c, "width": w}            round caps and joins
  {"wave": [x0, x1, y], "amplitude": a, "length": l, "phase": p,  a sine from x0 to x1; with
   "to": y_bottom, "fill": c}  or  "color": c, "width": w          "to" a filled band, else a stroke
  {"shadow": [x0, y0, x1, y1], "radius": r, "color": c, "blur": b}  a blurred rounded rectangle
  {"clip": [x0, y0, x1, y1], "radius": r, "cut": [[[x, y], ...], ...], "shapes": [...]}
       the inner shapes, kept inside the rounded box less the "cut" polygons

Any shape may carry "min_size": it is left out of images smaller than that many pixels, so
that details too fine for a 16-pixel icon do not blur it; and "max_size": it is drawn only in
images of at most that many pixels (a bolder stand-in for such a detail).
"""
import math

from PIL import Image, ImageChops, ImageDraw, ImageFilter

from skin_canvas import Canvas

GRID = 80.0
KINDS = ("rounded", "ellipse", "polygon", "polyline", "wave", "shadow", "clip")


def color(text):
    """'#rrggbb' or '#rrggbbaa' -> an RGBA tuple."""
    if not isinstance(text, str) or not text.startswith("#") or len(text) not in (7, 9):
        raise ValueError("not a colour (#rrggbb or #rrggbbaa): %r" % (text,))
    values = tuple(int(text[i:i + 2], 16) for i in range(1, len(text), 2))
    return values if len(values) == 4 else values + (255,)


def wave_points(x0, x1, y, amplitude, length, phase, step):
    """Points of y + amplitude * sin from x0 to x1, `step` apart (the last one at x1)."""
    count = max(1, int(math.ceil((x1 - x0) / step)))
    points = []
    for i in range(count + 1):
        x = x0 + (x1 - x0) * i / count
        points.append((x, y + amplitude * math.sin(2 * math.pi * ((x - x0) / length + phase))))
    return points


class Grid:
    """Maps grid units onto canvas pixels: p = v * k + offset."""

    def __init__(self, k, ox=0.0, oy=0.0):
        self.k, self.ox, self.oy = k, ox, oy

    def x(self, v):
        return v * self.k + self.ox

    def y(self, v):
        return v * self.k + self.oy

    def box(self, b):
        return self.x(b[0]), self.y(b[1]), self.x(b[2]), self.y(b[3])

    def points(self, pts):
        return [(self.x(x), self.y(y)) for x, y in pts]

    def length(self, v):
        return v * self.k


def kind_of(shape):
    for kind in KINDS:
        if kind in shape:
            return kind
    raise ValueError("a shape needs one of %s: %r" % (", ".join(KINDS), shape))


def draw_shapes(c, shapes, grid, size):
    """Draws `shapes` on canvas `c` through `grid`; `size` is the image's side in pixels."""
    for shape in shapes:
        if not shape.get("min_size", 0) <= size <= shape.get("max_size", size):
            continue
        kind = kind_of(shape)
        if kind == "rounded":
            x0, y0, x1, y1 = grid.box(shape["rounded"])
            r = grid.length(shape.get("radius", 0))
            if "gradient" in shape:
                top, bottom = (color(v) for v in shape["gradient"])
                c.gradient_rounded(x0, y0, x1, y1, r, top, bottom)
            else:
                c.rounded(x0, y0, x1, y1, r, fill=color(shape["fill"]))
        elif kind == "ellipse":
            c.ellipse(*grid.box(shape["ellipse"]), fill=color(shape["fill"]))
        elif kind == "polygon":
            c.polygon(grid.points(shape["polygon"]), fill=color(shape["fill"]))
        elif kind == "polyline":
            c.polyline(grid.points(shape["polyline"]), color(shape["color"]),
                       grid.length(shape["width"]))
        elif kind == "wave":
            x0, x1, y = shape["wave"]
            pts = wave_points(x0, x1, y, shape["amplitude"], shape["length"],
                              shape.get("phase", 0.0), step=0.5)
            if "to" in shape:
                pts += [(x1, shape["to"]), (x0, shape["to"])]
                c.polygon(grid.points(pts), fill=color(shape["fill"]))
            else:
                c.polyline(grid.points(pts), color(shape["color"]), grid.length(shape["width"]))
        elif kind == "shadow":
            lay = c.layer()
            ImageDraw.Draw(lay).rounded_rectangle(c.box(*grid.box(shape["shadow"])),
                                                  radius=c.s(grid.length(shape["radius"])),
                                                  fill=color(shape["color"]))
            c.paste(lay.filter(ImageFilter.GaussianBlur(c.s(grid.length(shape["blur"])))))
        elif kind == "clip":
            inner = Canvas(c.w, c.h, c.ss)
            draw_shapes(inner, shape["shapes"], grid, size)
            mask = Image.new("L", c.img.size, 0)
            md = ImageDraw.Draw(mask)
            md.rounded_rectangle(c.box(*grid.box(shape["clip"])),
                                 radius=c.s(grid.length(shape.get("radius", 0))), fill=255)
            for cut in shape.get("cut", []):
                md.polygon([(c.s(x), c.s(y)) for x, y in grid.points(cut)], fill=0)
            clipped = c.layer()
            clipped.paste(inner.img, (0, 0), ImageChops.multiply(mask, inner.img.getchannel("A")))
            c.paste(clipped)
