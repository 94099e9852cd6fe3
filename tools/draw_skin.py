#!/usr/bin/python3
"""Draws every image of a product's skin into <product>/themes/<theme>/, and its icon.

The product's skin.json describes what differs between products: the header's colours and
shapes, the accent colours of buttons, check boxes, progress bar and message-box badges, and
the logo as vector shapes (tools/skin_shapes.py has their language). Everything else (the
window shadow, close glyphs, the caption) is drawn the same for every product.

Each theme folder gets the same images drawn for its display scale (100 %, 125 %, 150 %), and
icon.ico the logo drawn at 16, 32, 48 and 256 pixels (the small ones show only the logo's
middle, as skin.json's "icon" says), so nothing is ever scaled from a bitmap. Shapes are drawn
at several times the target size and reduced with a Lanczos filter (the icons with a box
filter, which does not ring), which gives anti-aliased edges. The output is deterministic:
running the program again gives byte-identical files, so they are committed and the build
does not need PIL; tests/product/skin_drawing_test.py checks that they match skin.json.

Usage: tools/draw_skin.py [product-dir] [--out DIR]   (default: products/brightmere)
"""
import argparse
import json
import os
import sys

from PIL import Image, ImageChops, ImageDraw, ImageFilter

sys.dont_write_bytecode = True  # keep tools/ free of __pycache__
from skin_canvas import Canvas, px, vertical_gradient
from ico_file import write_ico
from skin_shapes import GRID, Grid, color, draw_shapes, wave_points

THEMES = {"default": 1.0, "default-hdpi": 1.25, "default-xhdpi": 1.5}

WHITE = (255, 255, 255)


# --- basic/ ---------------------------------------------------------------------------------

def header(scale, desc):
    """The 600 x 256 header under the white product name that the layout draws: a diagonal
    gradient with soft light, translucent rings and bubbles, and bands along the bottom (a
    mountain ridge, waves), all from the skin's "header"."""
    w, h = px(600, scale), px(256, scale)
    ss = 2
    W, H = w * ss, h * ss
    # Diagonal gradient: the first colour at the top left, the second at the bottom right.
    a, b = (color(v)[:3] for v in desc["gradient"])
    gx = Image.linear_gradient("L").transpose(Image.ROTATE_90).resize((W, H))
    gy = Image.linear_gradient("L").resize((W, H))
    mix = ImageChops.add(gx.point(lambda v: int(v * 0.45)), gy.point(lambda v: int(v * 0.55)))
    base = Image.composite(Image.new("RGB", (W, H), b), Image.new("RGB", (W, H), a), mix)
    img = base.convert("RGBA")

    def u(v):  # header coordinates at 100 % to supersampled pixels
        return v * scale * ss

    # Soft light: large blurred discs.
    glow = Image.new("RGBA", (W, H), (0, 0, 0, 0))
    d = ImageDraw.Draw(glow)
    light = color(desc["glow"])[:3]
    for cx, cy, r, alpha in desc["glow_discs"]:
        d.ellipse([u(cx - r), u(cy - r), u(cx + r), u(cy + r)], fill=light + (alpha,))
    glow = glow.filter(ImageFilter.GaussianBlur(u(40)))
    img = Image.alpha_composite(img, glow)

    # Translucent rings and bubbles: crisp shapes with little alpha give depth without noise.
    shapes = Image.new("RGBA", (W, H), (0, 0, 0, 0))
    d = ImageDraw.Draw(shapes)
    for cx, cy, r, alpha in desc["discs"]:
        d.ellipse([u(cx - r), u(cy - r), u(cx + r), u(cy + r)], fill=(255, 255, 255, alpha))
    for cx, cy, r, alpha, width in desc["rings"]:
        d.ellipse([u(cx - r), u(cy - r), u(cx + r), u(cy + r)], outline=(255, 255, 255, alpha),
                  width=max(1, int(u(width))))
    for cx, cy, r, alpha in desc["bubbles"]:
        d.ellipse([u(cx - r), u(cy - r), u(cx + r), u(cy + r)], fill=(255, 255, 255, alpha))
    img = Image.alpha_composite(img, shapes)

    # Faint bands along the bottom: polygons, or waves filled down to the bottom edge.
    bands = Image.new("RGBA", (W, H), (0, 0, 0, 0))
    d = ImageDraw.Draw(bands)
    for band in desc["bands"]:
        if "wave" in band:
            x0, x1, y = band["wave"]
            pts = wave_points(x0, x1, y, band["amplitude"], band["length"], band.get("phase", 0.0),
                              step=2) + [(x1, 256), (x0, 256)]
        else:
            pts = band["points"]
        d.polygon([(u(x), u(y)) for x, y in pts], fill=color(band["fill"]))
    img = Image.alpha_composite(img, bands)

    # Slight darkening at the very bottom so the page's light background starts cleanly.
    shade = vertical_gradient((W, H), (0, 0, 0, 0), color(desc["shade"]), int(H * 0.7), H)
    img = Image.alpha_composite(img, shade)
    return img.resize((w, h), Image.LANCZOS).convert("RGB")


def logo(scale, shapes):
    """The product's mark, drawn from its shapes on the 80 x 80 grid."""
    n = px(80, scale)
    c = Canvas(n, n)
    draw_shapes(c, shapes, Grid(n / GRID), n)
    return c.result()


def icon(size, shapes, view, margin):
    """The logo at `size` pixels: the square `view` of its grid fills the icon less `margin`
    pixels on each side. Small icons show only the middle of the logo, so that it stays
    legible, and fit its edges to whole pixels, so that they stay sharp."""
    x0, y0, x1, y1 = view
    k = (size - 2 * margin) / (x1 - x0)
    c = Canvas(size, size)
    draw_shapes(c, shapes, Grid(k, margin - x0 * k, margin - y0 * k), size)
    return c.result(Image.BOX)


def chevron(scale, up, ink):
    n = px(16, scale)
    c = Canvas(n, n)
    k = n / 16.0
    pts = [(4.5 * k, 6.5 * k), (8 * k, 10 * k), (11.5 * k, 6.5 * k)]
    if up:
        pts = [(x, 16 * k - y) for x, y in pts]
    c.polyline(pts, ink, 1.6 * k)
    return c.result()


# --- public/ --------------------------------------------------------------------------------

def button(scale, kind, state, colors):
    """An 80 x 30 nine-slice source; the layouts stretch it with 8-pixel corners. `colors` is
    the state's [top, bottom] or, for a framed button, [top, bottom, border]."""
    w, h = px(80, scale), px(30, scale)
    c = Canvas(w, h)
    top, bottom, border = (list(map(color, colors)) + [None])[:3]
    # Never rounder than the 8-pixel nine-slice corner, however the corner is scaled.
    r = min(6 * scale, 8)
    if border:
        c.rounded(0, 0, w, h, r, fill=border)
        c.gradient_rounded(scale, scale, w - scale, h - scale, r - scale, top, bottom)
    else:
        c.gradient_rounded(0, 0, w, h, r, top, bottom)
        if state != "pushed":
            # A one-pixel light edge along the top gives the flat button a little lift.
            lay = c.layer()
            mask = Image.new("L", c.img.size, 0)
            ImageDraw.Draw(mask).rounded_rectangle(c.box(0, 0, w, h), radius=c.s(r), fill=255)
            top_band = Image.new("L", c.img.size, 0)
            ImageDraw.Draw(top_band).rectangle([0, 0, c.img.size[0], c.s(scale) - 1], fill=50)
            lay.paste((255, 255, 255, 255), (0, 0), ImageChops.multiply(mask, top_band))
            c.paste(lay)
    return c.result()


def cross(size, inset, color, width, scale):
    c = Canvas(size, size)
    a, b = inset, size - inset
    c.polyline([(a, a), (b, b)], color, width * scale)
    c.polyline([(a, b), (b, a)], color, width * scale)
    return c.result()


def white_close(scale):
    n = px(24, scale)
    return cross(n, 7.5 * scale, WHITE + (255,), 1.6, scale)


def white_min(scale):
    n = px(24, scale)
    c = Canvas(n, n)
    c.polyline([(7.5 * scale, n / 2), (n - 7.5 * scale, n / 2)], WHITE + (255,), 1.6 * scale)
    return c.result()


def white_glyph_back(scale, alpha):
    """Hover and pressed backgrounds behind the white title-bar glyphs: a translucent disc."""
    n = px(24, scale)
    c = Canvas(n, n)
    c.ellipse(0, 0, n, n, fill=(255, 255, 255, alpha))
    return c.result()


def gray_close(scale, hover):
    n = px(12, scale)
    color = (224, 80, 79, 255) if hover else (142, 153, 166, 255)
    return cross(n, 1.5 * scale, color, 1.4, scale)


def caption(scale):
    """Message box caption: white with a hairline at the bottom. The hairline stays one pixel
    at every scale, so that the one-pixel bottom corner of the nine-slice holds exactly it."""
    w, h = px(10, scale), px(34, scale)
    img = Image.new("RGBA", (w, h), (255, 255, 255, 255))
    ImageDraw.Draw(img).rectangle([0, h - 1, w - 1, h - 1], fill=(230, 233, 236, 255))
    return img


def check(scale, selected, skin):
    n = px(16, scale)
    c = Canvas(n, n)
    k = n / 16.0
    if selected:
        top, bottom = map(color, skin["check"])
        c.gradient_rounded(1 * k, 1 * k, 15 * k, 15 * k, 3 * k, top, bottom)
        c.polyline([(4.4 * k, 8.2 * k), (7 * k, 10.8 * k), (11.8 * k, 5.6 * k)], WHITE + (255,),
                   1.7 * k)
    else:
        c.rounded(1 * k, 1 * k, 15 * k, 15 * k, 3 * k, fill=color(skin["check_frame"]))
        c.rounded(2 * k, 2 * k, 14 * k, 14 * k, 2.2 * k, fill=(255, 255, 255, 255))
    return c.result()


def progress(scale, foreground, skin):
    """A slim pill, 6 high at 100 %; stretched sideways, its round ends inside 5-pixel corners."""
    w, h = px(60, scale), px(6, scale)
    c = Canvas(w, h)
    if foreground:
        top, bottom = map(color, skin["progress"])
        c.gradient_rounded(0, 0, w, h, h / 2, top, bottom)
    else:
        c.rounded(0, 0, w, h, h / 2, fill=color(skin["progress_track"]))
    return c.result()


def shadow(scale):
    """Nine-slice shadow: a soft border around a transparent middle. The border is 14 image
    pixels at every scale, because nine-slice corners are counted in image pixels and the
    layouts are the same for all themes."""
    border = 14
    n = px(32, scale)
    ss = 4
    img = Image.new("RGBA", (n * ss, n * ss), (0, 0, 0, 0))
    alpha = Image.new("L", img.size, 0)
    inset = int(border * ss * 0.55)
    ImageDraw.Draw(alpha).rectangle([inset, inset + ss * scale, n * ss - inset - 1,
                                     n * ss - inset - 1 + ss * scale], fill=70)
    alpha = alpha.filter(ImageFilter.GaussianBlur(border * ss * 0.32))
    # The window covers the middle; keep it clear so no grey shows through at the edges.
    hole = Image.new("L", img.size, 255)
    ImageDraw.Draw(hole).rectangle([border * ss, border * ss, n * ss - border * ss - 1,
                                    n * ss - border * ss - 1], fill=0)
    img.putalpha(ImageChops.multiply(alpha, hole))
    return img.resize((n, n), Image.LANCZOS)


def image_mask(scale):
    n = px(80, scale)
    c = Canvas(n, n)
    c.rounded(0, 0, n, n, 10 * scale, fill=(255, 255, 255, 255))
    return c.result()


# --- msgbox/ --------------------------------------------------------------------------------

def badge(scale, kind, colors):
    n = px(32, scale)
    c = Canvas(n, n)
    k = n / 32.0
    top, bottom = map(color, colors)
    white = WHITE + (255,)
    if kind == "warning":
        tri = c.layer()
        grad = vertical_gradient(c.img.size, top, bottom, c.s(3 * k), c.s(29 * k))
        mask = Image.new("L", c.img.size, 0)
        pts = [(16 * k, 3.5 * k), (29.5 * k, 27.5 * k), (2.5 * k, 27.5 * k)]
        md = ImageDraw.Draw(mask)
        md.polygon([(c.s(x), c.s(y)) for x, y in pts], fill=255)
        md.line([(c.s(x), c.s(y)) for x, y in pts + pts[:1]], fill=255, width=int(c.s(3 * k)),
                joint="curve")
        tri.paste(grad, (0, 0), mask)
        c.paste(tri)
        c.polyline([(16 * k, 11 * k), (16 * k, 18.5 * k)], white, 2.6 * k)
        c.ellipse(14.5 * k, 21.5 * k, 17.5 * k, 24.5 * k, fill=white)
        return c.result()
    c.gradient_rounded(1 * k, 1 * k, 31 * k, 31 * k, 15 * k, top, bottom)
    if kind == "error":
        c.polyline([(11 * k, 11 * k), (21 * k, 21 * k)], white, 2.6 * k)
        c.polyline([(11 * k, 21 * k), (21 * k, 11 * k)], white, 2.6 * k)
    elif kind == "ok":
        c.polyline([(9.5 * k, 16.5 * k), (14 * k, 21 * k), (22.5 * k, 11.5 * k)], white, 2.6 * k)
    elif kind == "infor":
        c.ellipse(14.4 * k, 8 * k, 17.6 * k, 11.2 * k, fill=white)
        c.polyline([(16 * k, 14.5 * k), (16 * k, 23 * k)], white, 2.6 * k)
    elif kind == "question":
        c.arc(11.5 * k, 7.5 * k, 20.5 * k, 16.5 * k, 180, 400, white, 2.6 * k)
        c.polyline([(19.2 * k, 14.6 * k), (16 * k, 17 * k), (16 * k, 18.6 * k)], white, 2.6 * k)
        c.ellipse(14.5 * k, 21.5 * k, 17.5 * k, 24.5 * k, fill=white)
        # Round the arc's open end.
        c.ellipse(11.5 * k - 0.0, 10.7 * k, 14.1 * k, 13.3 * k, fill=white)
    return c.result()


# --- the product's description -------------------------------------------------------------

SKIN_KEYS = {
    "header": dict, "logo": list, "chevron": str, "buttons": dict, "check": list,
    "check_frame": str, "progress": list, "progress_track": str, "badges": dict, "icon": dict,
}
ICON_SIZES = (16, 32, 48, 256)
BADGES = ("error", "infor", "ok", "question", "warning")
HEADER_KEYS = ("gradient", "glow", "glow_discs", "discs", "rings", "bubbles", "bands", "shade")


def load_skin(path):
    """Reads skin.json; a missing or mistyped key stops the program with the key and the file."""
    def fail(message):
        sys.exit("%s: %s" % (path, message))

    try:
        with open(path, encoding="utf-8") as f:
            skin = json.load(f)
    except (OSError, ValueError) as e:
        fail(e)
    for key, kind in SKIN_KEYS.items():
        if not isinstance(skin.get(key), kind):
            fail("'%s' is missing or not a %s" % (key, kind.__name__))
    for key in HEADER_KEYS:
        if key not in skin["header"]:
            fail("'header.%s' is missing" % key)
    for kind in ("blue", "white"):
        for state in ("normal", "hovered", "pushed"):
            if state not in skin["buttons"].get(kind, {}):
                fail("'buttons.%s.%s' is missing" % (kind, state))
    for kind in BADGES:
        if kind not in skin["badges"]:
            fail("'badges.%s' is missing" % kind)
    for size in ICON_SIZES:
        entry = skin["icon"].get(str(size), {})
        view, margin = entry.get("view"), entry.get("margin", 0)
        if not (isinstance(view, list) and len(view) == 4 and view[2] - view[0] == view[3] - view[1] > 0):
            fail("'icon.%d.view' is not a square [x0, y0, x1, y1] of the logo's grid" % size)
        if not (isinstance(margin, int) and 0 <= 2 * margin < size):
            fail("'icon.%d.margin' is not a whole number of pixels that leaves room" % size)
    return skin


# --- output ---------------------------------------------------------------------------------

def images(scale, skin):
    """Relative path -> image for one theme."""
    out = {
        "basic/bkg_top.png": header(scale, skin["header"]),
        "basic/logo.png": logo(scale, skin["logo"]),
        "basic/icon_down.png": chevron(scale, False, color(skin["chevron"])),
        "basic/icon_up.png": chevron(scale, True, color(skin["chevron"])),
        "public/bk/bk_shadow.png": shadow(scale),
        "public/bk/bg_image_mask.png": image_mask(scale),
        "public/caption/caption_public.png": caption(scale),
        "public/checkbox/check.png": check(scale, True, skin),
        "public/checkbox/check_no.png": check(scale, False, skin),
        "public/progress/progress_blue_bg.png": progress(scale, False, skin),
        "public/progress/progress_blue_fg.png": progress(scale, True, skin),
        "public/button/btn_wnd_gray_close.png": gray_close(scale, False),
        "public/button/btn_wnd_gray_close_hover.png": gray_close(scale, True),
        "public/button/btn_wnd_white_close.png": white_close(scale),
        "public/button/btn_wnd_white_close_hovered.png": white_glyph_back(scale, 46),
        "public/button/btn_wnd_white_close_pushed.png": white_glyph_back(scale, 80),
        "public/button/btn_wnd_white_min.png": white_min(scale),
        "public/button/btn_wnd_white_min_hovered.png": white_glyph_back(scale, 46),
        "public/button/btn_wnd_white_min_pushed.png": white_glyph_back(scale, 80),
    }
    # The layouts name the accent button "blue" and the framed one "white", whatever their
    # colours in this product.
    for kind in ("blue", "white"):
        for state in ("normal", "hovered", "pushed"):
            out["public/button/btn_global_%s_80x30_%s.png" % (kind, state)] = button(
                scale, kind, state, skin["buttons"][kind][state])
    for kind in BADGES:
        out["msgbox/%s.png" % kind] = badge(scale, kind, skin["badges"][kind])
    return out


def main():
    parser = argparse.ArgumentParser(description="Draws a product's skin images and icon.")
    parser.add_argument("product", nargs="?", default=os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "products", "brightmere"),
        help="the product folder, which holds skin.json (default: products/brightmere)")
    parser.add_argument("--out", help="write themes/ and icon.ico here instead of into the "
                        "product folder (to compare them with the committed ones)")
    args = parser.parse_args()
    out = args.out or args.product
    skin = load_skin(os.path.join(args.product, "skin.json"))
    for theme, scale in THEMES.items():
        drawn = images(scale, skin)
        for rel, img in sorted(drawn.items()):
            path = os.path.join(out, "themes", theme, rel)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            # optimize=False keeps the encoder's choices fixed, so output is reproducible.
            img.save(path, "PNG", optimize=False)
    write_ico(os.path.join(out, "icon.ico"),
              [icon(size, skin["logo"], skin["icon"][str(size)]["view"],
                    skin["icon"][str(size)].get("margin", 0)) for size in ICON_SIZES])
    print("drew %d images per theme and the icon" % len(drawn))


if __name__ == "__main__":
    main()
