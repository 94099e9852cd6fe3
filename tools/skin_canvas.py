"""Drawing helpers for tools/draw_skin.py: a supersampled RGBA canvas and gradients.

Coordinates are given in target pixels; the canvas draws at `ss` times the size and reduces
with a Lanczos filter, which anti-aliases every edge.
"""
import math

from PIL import Image, ImageDraw

SS = 8  # supersampling factor for small images


def px(value, scale):
    """A length at 100 % turned into whole pixels for this scale (at least 1)."""
    return max(1, int(math.floor(value * scale + 0.5)))


class Canvas:
    """An RGBA image drawn at `ss` times the target size; coordinates are in target pixels."""

    def __init__(self, width, height, ss=SS):
        self.w, self.h, self.ss = width, height, ss
        self.img = Image.new("RGBA", (width * ss, height * ss), (0, 0, 0, 0))

    def s(self, v):
        return v * self.ss

    def box(self, x0, y0, x1, y1):
        return [self.s(x0), self.s(y0), self.s(x1) - 1, self.s(y1) - 1]

    def layer(self):
        return Image.new("RGBA", self.img.size, (0, 0, 0, 0))

    def paste(self, layer):
        self.img = Image.alpha_composite(self.img, layer)

    def rounded(self, x0, y0, x1, y1, r, fill=None, outline=None, width=0):
        lay = self.layer()
        ImageDraw.Draw(lay).rounded_rectangle(self.box(x0, y0, x1, y1), radius=self.s(r), fill=fill,
                                              outline=outline, width=int(round(self.s(width))))
        self.paste(lay)

    def gradient_rounded(self, x0, y0, x1, y1, r, top, bottom):
        """A rounded rectangle filled with a vertical gradient from `top` to `bottom`."""
        grad = vertical_gradient(self.img.size, top, bottom, self.s(y0), self.s(y1))
        mask = Image.new("L", self.img.size, 0)
        ImageDraw.Draw(mask).rounded_rectangle(self.box(x0, y0, x1, y1), radius=self.s(r), fill=255)
        lay = self.layer()
        lay.paste(grad, (0, 0), mask)
        self.paste(lay)

    def ellipse(self, x0, y0, x1, y1, fill=None, outline=None, width=0):
        lay = self.layer()
        ImageDraw.Draw(lay).ellipse(self.box(x0, y0, x1, y1), fill=fill, outline=outline,
                                    width=int(round(self.s(width))))
        self.paste(lay)

    def polyline(self, points, color, width):
        """A stroke with round caps and joins."""
        lay = self.layer()
        d = ImageDraw.Draw(lay)
        pts = [(self.s(x), self.s(y)) for x, y in points]
        w = self.s(width)
        d.line(pts, fill=color, width=int(round(w)), joint="curve")
        for x, y in pts:
            d.ellipse([x - w / 2, y - w / 2, x + w / 2, y + w / 2], fill=color)
        self.paste(lay)

    def polygon(self, points, fill):
        lay = self.layer()
        ImageDraw.Draw(lay).polygon([(self.s(x), self.s(y)) for x, y in points], fill=fill)
        self.paste(lay)

    def arc(self, x0, y0, x1, y1, start, end, color, width):
        lay = self.layer()
        ImageDraw.Draw(lay).arc(self.box(x0, y0, x1, y1), start, end, fill=color,
                                width=int(round(self.s(width))))
        self.paste(lay)

    def result(self, resample=Image.LANCZOS):
        """The image at its target size. Image.BOX averages each pixel's area exactly: no
        ringing, which the smallest icons would show as a halo."""
        return self.img.resize((self.w, self.h), resample)


def vertical_gradient(size, top, bottom, y0=0, y1=None):
    """An RGBA image of `size` whose colour runs from `top` at y0 to `bottom` at y1."""
    width, height = size
    y1 = height if y1 is None else y1
    column = Image.new("RGBA", (1, height))
    top = top if len(top) == 4 else top + (255,)
    bottom = bottom if len(bottom) == 4 else bottom + (255,)
    for y in range(height):
        t = min(1.0, max(0.0, (y - y0) / max(1, y1 - y0)))
        column.putpixel((0, y), tuple(int(round(a + (b - a) * t)) for a, b in zip(top, bottom)))
    return column.resize((width, height))
