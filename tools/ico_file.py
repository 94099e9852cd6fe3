"""Writes a Windows .ico file from RGBA images, one entry per size.

Images below 256 pixels are stored as 32-bit BMP entries (bottom-up BGRA rows and an all-zero
AND mask), which every icon reader understands; the 256-pixel image as PNG, which keeps the
file small. The bytes depend only on the pixels, so the file is reproducible.

    write_ico("icon.ico", [img16, img32, img48, img256])
"""
import io
import struct

from PIL import Image


def _bmp_entry(img):
    w, h = img.size
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    r, g, b, a = img.split()
    bgra = Image.merge("RGBA", (b, g, r, a)).transpose(Image.FLIP_TOP_BOTTOM).tobytes()
    mask_row = ((w + 31) // 32) * 4  # one bit a pixel, rows padded to 32 bits
    return header + bgra + bytes(mask_row * h)


def _png_entry(img):
    out = io.BytesIO()
    img.save(out, "PNG", optimize=False)
    return out.getvalue()


def write_ico(path, images):
    """Writes `images` (RGBA, square, 1 to 256 pixels, smallest first) into the icon `path`."""
    entries = []
    for img in images:
        if img.mode != "RGBA" or img.size[0] != img.size[1] or not 1 <= img.size[0] <= 256:
            raise ValueError("icon images are square RGBA of 1 to 256 pixels")
        entries.append((img.size[0], _png_entry(img) if img.size[0] == 256 else _bmp_entry(img)))
    data = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    for size, blob in entries:
        side = size % 256  # 0 stands for 256
        data += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    with open(path, "wb") as f:
        f.write(data + b"".join(blob for _, blob in entries))
