#!/usr/bin/env python3
"""Draws Velmiro's artwork into resources/: the icon in 16, 32, 48, 64 and 128
pixels (PNG; the first three also in one multi-size .ico) and the chip picture,
48 x 30 and twice that for screens at device pixel ratio 2; and for the Win32
window, in resources/windows/, the icon in all five sizes in one .ico and the chip
in both sizes as BMP, which a Windows program draws with GDI alone.

The 16-pixel icon is pixel art from the grid below, in 16 colours; the larger
sizes and the chip come from the SVG files beside this script (rsvg-convert and
ImageMagick's convert, Debian packages librsvg2-bin and imagemagick).
Run it again after changing any of them and commit the outputs. A picture whose
pixels come out the same is left untouched, so other tool versions cause no churn."""

import struct
import subprocess
import tempfile
import zlib
from pathlib import Path

HERE = Path(__file__).resolve().parent
OUT = HERE.parent

# RS232 in a 5-pixel-high font (the digits two pixels wide) over a nine-pin D-shaped shell.
ICON_16 = """\
................
##..##.##.##.##.
#.#.#...#..#..#.
##..##.##.##.##.
#.#..#.#...#.#..
#.#.##.##.##.##.
................
................
###############.
#.............#.
#..#.#.#.#.#..#.
.#...........#..
.#..#.#.#.#..#..
..#.........#...
..###########...
................
"""

BLACK, WHITE = (0, 0, 0), (255, 255, 255)
# Sixteen colours fill a 4-bit image (PNG palette, .ico colour table); the icon uses two.
PALETTE_16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
    (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


def png_chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))


def write_png_16(path, rows):
    """4-bit indexed PNG with the 16-colour palette."""
    raw = b""
    for row in rows:
        indices = [0 if c == "#" else 15 for c in row]
        raw += b"\0" + bytes((indices[i] << 4) | indices[i + 1] for i in range(0, 16, 2))
    path.write_bytes(
        b"\x89PNG\r\n\x1a\n"
        + png_chunk(b"IHDR", struct.pack(">IIBBBBB", 16, 16, 4, 3, 0, 0, 0))
        + png_chunk(b"PLTE", b"".join(bytes(c) for c in PALETTE_16))
        + png_chunk(b"IDAT", zlib.compress(raw, 9))
        + png_chunk(b"IEND", b"")
    )


def render_svg(svg, png, width, height):
    """SVG to a 24-bit PNG on white, no alpha, with no time stamp in it.
    An existing file with the same pixels is kept as it is."""
    with tempfile.TemporaryDirectory() as tmp:
        rgba, rgb = Path(tmp, "rgba.png"), Path(tmp, "rgb.png")
        subprocess.run(["rsvg-convert", "-w", str(width), "-h", str(height), "-o", rgba, svg],
                       check=True)
        subprocess.run(["convert", rgba, "-background", "white", "-alpha", "remove", "-alpha", "off",
                        "-type", "TrueColor", "-define", "png:color-type=2",
                        "-define", "png:exclude-chunk=date,time", rgb], check=True)
        if png.exists() and same_picture(png, rgb, width, height):
            return
        png.write_bytes(rgb.read_bytes())


def same_picture(old, new, width, height):
    """Same size, same 24-bit colour type and the same pixels."""
    header = old.read_bytes()[16:26]
    return (header == struct.pack(">IIBB", width, height, 8, 2)
            and rgb_pixels(old) == rgb_pixels(new))


def rgb_pixels(png):
    data = subprocess.run(["convert", png, "rgb:-"], check=True, capture_output=True).stdout
    return [tuple(data[i:i + 3]) for i in range(0, len(data), 3)]


def bmp_entry(size, pixels, indexed):
    """One icon image: a bottom-up DIB with its colour table and an all-opaque mask."""
    bits = 4 if indexed else 24
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, 0, 0, 0,
                         16 if indexed else 0, 0)
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE_16) if indexed else b""
    stride = ((size * bits + 31) // 32) * 4
    image = b""
    for y in reversed(range(size)):
        row = pixels[y * size:(y + 1) * size]
        if indexed:
            idx = [PALETTE_16.index(p) for p in row]
            line = bytes((idx[i] << 4) | idx[i + 1] for i in range(0, size, 2))
        else:
            line = b"".join(bytes((b, g, r)) for r, g, b in row)
        image += line.ljust(stride, b"\0")
    mask = b"\0" * (((size + 31) // 32) * 4 * size)
    return header + table + image + mask


def write_ico(path, entries):
    directory = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    blobs = b""
    for size, colours, bits, blob in entries:
        directory += struct.pack("<BBBBHHII", size, size, colours, 0, 1, bits, len(blob), offset)
        offset += len(blob)
        blobs += blob
    path.write_bytes(directory + blobs)


def write_bmp(path, png):
    """24-bit bottom-up BMP of a PNG's pixels."""
    data = subprocess.run(["convert", png, "-format", "%w %h", "info:"], check=True,
                          capture_output=True, text=True).stdout.split()
    width, height = int(data[0]), int(data[1])
    pixels = rgb_pixels(png)
    stride = ((width * 3 + 3) // 4) * 4
    image = b""
    for y in reversed(range(height)):
        row = pixels[y * width:(y + 1) * width]
        image += b"".join(bytes((b, g, r)) for r, g, b in row).ljust(stride, b"\0")
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(image), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(image), 0, 0, 14 + len(info))
    path.write_bytes(head + info + image)


def windows_art(pixels16):
    """The Win32 window's icon and chip, from the pictures drawn above."""
    out = OUT / "windows"
    entries = [(16, 16, 4, bmp_entry(16, pixels16, indexed=True))]
    for size in (32, 48, 64, 128):
        entries.append((size, 0, 24,
                        bmp_entry(size, rgb_pixels(OUT / f"icon-{size}.png"), indexed=False)))
    write_ico(out / "velmiro.ico", entries)
    write_bmp(out / "chip.bmp", OUT / "chip.png")
    write_bmp(out / "chip@2x.bmp", OUT / "chip@2x.png")


def main():
    rows = ICON_16.splitlines()
    assert len(rows) == 16 and all(len(r) == 16 for r in rows)
    write_png_16(OUT / "icon-16.png", rows)
    pixels16 = [BLACK if c == "#" else WHITE for row in rows for c in row]

    entries = [(16, 16, 4, bmp_entry(16, pixels16, indexed=True))]
    for size in (32, 48):
        png = OUT / f"icon-{size}.png"
        render_svg(HERE / "icon.svg", png, size, size)
        entries.append((size, 0, 24, bmp_entry(size, rgb_pixels(png), indexed=False)))
    write_ico(OUT / "velmiro.ico", entries)
    # Software centres want at least 64 pixels; the desktop also gets the SVG itself.
    for size in (64, 128):
        render_svg(HERE / "icon.svg", OUT / f"icon-{size}.png", size, size)

    render_svg(HERE / "chip.svg", OUT / "chip.png", 48, 30)
    render_svg(HERE / "chip.svg", OUT / "chip@2x.png", 96, 60)
    windows_art(pixels16)


if __name__ == "__main__":
    main()
