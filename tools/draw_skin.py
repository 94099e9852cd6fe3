#!/usr/bin/python3
"""Draws every image of the installer's skin into <product>/themes/<theme>/.

Each theme folder gets the same images drawn for its display scale (100 %, 125 %, 150 %), so
nothing is ever scaled from a bitmap. Shapes are drawn at several times the target size and
reduced with a Lanczos filter, which gives anti-aliased edges. The output is deterministic:
running the program again gives byte-identical PNGs, so the images are committed and the build
does not need PIL.

Usage: tools/draw_skin.py [product-dir]   (default: products/brightmere)
"""
import os
import sys

from PIL import Image, ImageChops, ImageDraw, ImageFilter

sys.dont_write_bytecode = True  # keep tools/ free of __pycache__
from skin_canvas import Canvas, px, vertical_gradient

THEMES = {"default": 1.0, "default-hdpi": 1.25, "default-xhdpi": 1.5}

WHITE = (255, 255, 255)


# --- basic/ ---------------------------------------------------------------------------------

def header(scale):
    """The 600 x 256 header: a deep blue diagonal gradient with soft light shapes and a faint
    mountain line, under the white product name that the layout draws."""
    w, h = px(600, scale), px(256, scale)
    ss = 2
    W, H = w * ss, h * ss
    # Diagonal gradient: bright azure at the top left to deep blue at the bottom right.
    a, b = (48, 128, 246), (22, 64, 176)
    gx = Image.linear_gradient("L").transpose(Image.ROTATE_90).resize((W, H))
    gy = Image.linear_gradient("L").resize((W, H))
    mix = ImageChops.add(gx.point(lambda v: int(v * 0.45)), gy.point(lambda v: int(v * 0.55)))
    base = Image.composite(Image.new("RGB", (W, H), b), Image.new("RGB", (W, H), a), mix)
    img = base.convert("RGBA")

    def u(v):  # header coordinates at 100 % to supersampled pixels
        return v * scale * ss

    # Soft light: large blurred discs, stronger towards the upper right.
    glow = Image.new("RGBA", (W, H), (0, 0, 0, 0))
    d = ImageDraw.Draw(glow)
    for cx, cy, r, alpha in [(520, -40, 210, 70), (80, 260, 170, 40), (300, 40, 120, 26),
                             (610, 230, 120, 34)]:
        d.ellipse([u(cx - r), u(cy - r), u(cx + r), u(cy + r)], fill=(140, 200, 255, alpha))
    glow = glow.filter(ImageFilter.GaussianBlur(u(40)))
    img = Image.alpha_composite(img, glow)

    # Translucent rings and bubbles: crisp shapes with little alpha give depth without noise.
    shapes = Image.new("RGBA", (W, H), (0, 0, 0, 0))
    d = ImageDraw.Draw(shapes)
    for cx, cy, r, alpha in [(470, 30, 150, 20), (560, 150, 90, 16), (60, 20, 70, 14)]:
        d.ellipse([u(cx - r), u(cy - r), u(cx + r), u(cy + r)], fill=(255, 255, 255, alpha))
    for cx, cy, r, alpha, width in [(470, 30, 190, 30, 1.2), (120, 210, 110, 22, 1.0)]:
        d.ellipse([u(cx - r), u(cy - r), u(cx + r), u(cy + r)], outline=(255, 255, 255, alpha),
                  width=max(1, int(u(width))))
    for cx, cy, r, alpha in [(40, 150, 4, 60), (548, 98, 3, 70), (395, 205, 2.5, 60),
                             (188, 58, 2, 70), (575, 215, 5, 40), (250, 120, 1.8, 70)]:
        d.ellipse([u(cx - r), u(cy - r), u(cx + r), u(cy + r)], fill=(255, 255, 255, alpha))
    img = Image.alpha_composite(img, shapes)

    # A faint mountain ridge along the bottom: the product is about photos.
    ridge = Image.new("RGBA", (W, H), (0, 0, 0, 0))
    d = ImageDraw.Draw(ridge)
    far = [(0, 214), (70, 190), (120, 204), (210, 162), (280, 196), (330, 184), (420, 150),
           (500, 192), (560, 176), (600, 186), (600, 256), (0, 256)]
    near = [(0, 236), (90, 210), (150, 228), (250, 200), (350, 232), (440, 206), (520, 230),
            (600, 214), (600, 256), (0, 256)]
    d.polygon([(u(x), u(y)) for x, y in far], fill=(255, 255, 255, 14))
    d.polygon([(u(x), u(y)) for x, y in near], fill=(10, 40, 130, 40))
    img = Image.alpha_composite(img, ridge)

    # Slight darkening at the very bottom so the page's light background starts cleanly.
    shade = vertical_gradient((W, H), (0, 0, 0, 0), (8, 24, 80, 46), int(H * 0.7), H)
    img = Image.alpha_composite(img, shade)
    return img.resize((w, h), Image.LANCZOS).convert("RGB")


def logo(scale):
    """A white rounded tile with a sun and two mountains over a lake: the photo app's mark."""
    n = px(80, scale)
    c = Canvas(n, n)
    k = n / 80.0
    # Soft shadow under the tile.
    sh = c.layer()
    ImageDraw.Draw(sh).rounded_rectangle(c.box(6 * k, 9 * k, 74 * k, 77 * k), radius=c.s(18 * k),
                                         fill=(6, 28, 90, 90))
    c.paste(sh.filter(ImageFilter.GaussianBlur(c.s(3 * k))))
    c.gradient_rounded(4 * k, 4 * k, 76 * k, 76 * k, 18 * k, (255, 255, 255), (232, 241, 253))
    # Inner picture, clipped to a rounded frame.
    pic = Canvas(n, n)
    x0, y0, x1, y1 = 16 * k, 17 * k, 64 * k, 63 * k
    pic.gradient_rounded(x0, y0, x1, y1, 9 * k, (122, 196, 255), (60, 140, 240))
    pic.ellipse(45 * k, 22 * k, 55 * k, 32 * k, fill=(255, 196, 61, 255))
    # A far ridge on the right, the main peak left of centre with a snow cap.
    pic.polygon([(38 * k, 54 * k), (51 * k, 38 * k), (x1, 49 * k), (x1, 54 * k)],
                fill=(34, 102, 212, 255))
    pic.polygon([(x0 - 2 * k, 54 * k), (33 * k, 29 * k), (52 * k, 54 * k)], fill=(22, 70, 176, 255))
    pic.polygon([(28.6 * k, 35 * k), (33 * k, 29 * k), (37.4 * k, 35 * k), (35.2 * k, 33.8 * k),
                 (33 * k, 35.8 * k), (30.8 * k, 33.8 * k)], fill=(255, 255, 255, 235))
    # The lake with two light strokes of reflection.
    pic.rounded(x0, 52 * k, x1, y1, 0, fill=(38, 190, 214, 255))
    pic.polyline([(24 * k, 57 * k), (34 * k, 57 * k)], (255, 255, 255, 170), 1.6 * k)
    pic.polyline([(42 * k, 59.5 * k), (56 * k, 59.5 * k)], (255, 255, 255, 120), 1.6 * k)
    mask = Image.new("L", c.img.size, 0)
    ImageDraw.Draw(mask).rounded_rectangle(c.box(x0, y0, x1, y1), radius=c.s(9 * k), fill=255)
    clipped = c.layer()
    clipped.paste(pic.img, (0, 0), ImageChops.multiply(mask, pic.img.getchannel("A")))
    c.paste(clipped)
    return c.result()


def chevron(scale, up):
    n = px(16, scale)
    c = Canvas(n, n)
    k = n / 16.0
    pts = [(4.5 * k, 6.5 * k), (8 * k, 10 * k), (11.5 * k, 6.5 * k)]
    if up:
        pts = [(x, 16 * k - y) for x, y in pts]
    c.polyline(pts, (114, 121, 127, 255), 1.6 * k)
    return c.result()


# --- public/ --------------------------------------------------------------------------------

BUTTON_STATES = {
    "blue": {
        "normal": ((64, 146, 255), (38, 116, 238), None),
        "hovered": ((92, 164, 255), (58, 136, 250), None),
        "pushed": ((34, 104, 222), (28, 92, 204), None),
    },
    "white": {
        "normal": ((255, 255, 255), (250, 251, 252), (206, 212, 219)),
        "hovered": ((246, 250, 255), (238, 245, 255), (104, 160, 240)),
        "pushed": ((232, 240, 252), (226, 236, 250), (58, 128, 232)),
    },
}


def button(scale, kind, state):
    """An 80 x 30 nine-slice source; the layouts stretch it with 8-pixel corners."""
    w, h = px(80, scale), px(30, scale)
    c = Canvas(w, h)
    top, bottom, border = BUTTON_STATES[kind][state]
    # Never rounder than the 8-pixel nine-slice corner, however the corner is scaled.
    r = min(6 * scale, 8)
    if border:
        c.rounded(0, 0, w, h, r, fill=border + (255,))
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


def check(scale, selected):
    n = px(16, scale)
    c = Canvas(n, n)
    k = n / 16.0
    if selected:
        c.gradient_rounded(1 * k, 1 * k, 15 * k, 15 * k, 3 * k, (64, 146, 255), (38, 116, 238))
        c.polyline([(4.4 * k, 8.2 * k), (7 * k, 10.8 * k), (11.8 * k, 5.6 * k)], WHITE + (255,),
                   1.7 * k)
    else:
        c.rounded(1 * k, 1 * k, 15 * k, 15 * k, 3 * k, fill=(184, 191, 198, 255))
        c.rounded(2 * k, 2 * k, 14 * k, 14 * k, 2.2 * k, fill=(255, 255, 255, 255))
    return c.result()


def progress(scale, foreground):
    """A slim pill, 6 high at 100 %; stretched sideways, its round ends inside 5-pixel corners."""
    w, h = px(60, scale), px(6, scale)
    c = Canvas(w, h)
    if foreground:
        c.gradient_rounded(0, 0, w, h, h / 2, (84, 162, 255), (38, 116, 238))
    else:
        c.rounded(0, 0, w, h, h / 2, fill=(222, 229, 237, 255))
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

def badge(scale, kind):
    n = px(32, scale)
    c = Canvas(n, n)
    k = n / 32.0
    colors = {"error": ((240, 98, 96), (214, 64, 62)), "infor": ((84, 162, 255), (38, 116, 238)),
              "ok": ((72, 200, 128), (38, 168, 98)), "question": ((84, 162, 255), (38, 116, 238)),
              "warning": ((255, 196, 72), (240, 160, 32))}
    top, bottom = colors[kind]
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


# --- output ---------------------------------------------------------------------------------

def images(scale):
    """Relative path -> image for one theme."""
    out = {
        "basic/bkg_top.png": header(scale),
        "basic/logo.png": logo(scale),
        "basic/icon_down.png": chevron(scale, up=False),
        "basic/icon_up.png": chevron(scale, up=True),
        "public/bk/bk_shadow.png": shadow(scale),
        "public/bk/bg_image_mask.png": image_mask(scale),
        "public/caption/caption_public.png": caption(scale),
        "public/checkbox/check.png": check(scale, True),
        "public/checkbox/check_no.png": check(scale, False),
        "public/progress/progress_blue_bg.png": progress(scale, False),
        "public/progress/progress_blue_fg.png": progress(scale, True),
        "public/button/btn_wnd_gray_close.png": gray_close(scale, False),
        "public/button/btn_wnd_gray_close_hover.png": gray_close(scale, True),
        "public/button/btn_wnd_white_close.png": white_close(scale),
        "public/button/btn_wnd_white_close_hovered.png": white_glyph_back(scale, 46),
        "public/button/btn_wnd_white_close_pushed.png": white_glyph_back(scale, 80),
        "public/button/btn_wnd_white_min.png": white_min(scale),
        "public/button/btn_wnd_white_min_hovered.png": white_glyph_back(scale, 46),
        "public/button/btn_wnd_white_min_pushed.png": white_glyph_back(scale, 80),
    }
    for kind in ("blue", "white"):
        for state in ("normal", "hovered", "pushed"):
            out["public/button/btn_global_%s_80x30_%s.png" % (kind, state)] = button(scale, kind, state)
    for kind in ("error", "infor", "ok", "question", "warning"):
        out["msgbox/%s.png" % kind] = badge(scale, kind)
    return out


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "products", "brightmere")
    for theme, scale in THEMES.items():
        for rel, img in sorted(images(scale).items()):
            path = os.path.join(root, "themes", theme, rel)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            # optimize=False keeps the encoder's choices fixed, so output is reproducible.
            img.save(path, "PNG", optimize=False)
    print("drew %d images per theme" % len(images(1.0)))


if __name__ == "__main__":
    main()
