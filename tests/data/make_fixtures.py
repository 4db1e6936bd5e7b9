#!/usr/bin/env python3
"""Writes the picture fixtures of tests/picture_test.cpp. Run once; the results are committed.

The PNG variants are encoded here with zlib alone, byte by byte, so that the program's decoder is
checked against an encoder that shares nothing with it; ImageMagick (/usr/bin/convert) makes the
interlaced PNG and the JPEG, BMP, ICO and TIFF files.
"""
import struct
import subprocess
import zlib

CONVERT = "/usr/bin/convert"

# Straight (not premultiplied) RGBA, 4 x 2: opaque, half, fully transparent and faint pixels.
RGBA = [
    [(255, 0, 0, 255), (0, 255, 0, 128), (0, 0, 255, 0), (255, 255, 255, 255)],
    [(0, 0, 0, 255), (200, 100, 50, 200), (10, 20, 30, 64), (255, 128, 0, 255)],
]
GREY_ALPHA = [
    [(0, 255), (255, 128), (100, 0), (255, 255)],
    [(50, 255), (200, 200), (20, 64), (128, 255)],
]


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))


def png(width, height, depth, colour_type, rows, extra=b""):
    header = struct.pack(">IIBBBBB", width, height, depth, colour_type, 0, 0, 0)
    raw = b"".join(b"\x00" + row for row in rows)  # filter type 0 on every row
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + extra +
            chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def write(name, data):
    with open(name, "wb") as file:
        file.write(data)


def main():
    write("rgba.png", png(4, 2, 8, 6, [bytes(v for p in row for v in p) for row in RGBA]))
    write("rgba16.png", png(4, 2, 16, 6, [b"".join(struct.pack(">H", v * 257)
                                                    for p in row for v in p) for row in RGBA]))
    write("grey_alpha.png",
          png(4, 2, 8, 4, [bytes(v for p in row for v in p) for row in GREY_ALPHA]))
    palette = [p for row in RGBA for p in row]
    extra = (chunk(b"PLTE", bytes(v for p in palette for v in p[:3])) +
             chunk(b"tRNS", bytes(p[3] for p in palette)))
    write("palette.png", png(4, 2, 8, 3, [bytes(range(4)), bytes(range(4, 8))], extra))
    # A header that declares 10000 x 10000 pixels over next to no data.
    write("huge.png", png(10000, 10000, 8, 0, [bytes(10)]))
    # Within the size limits, but far too short for 4000 x 4000 pixels.
    write("short.png", png(4000, 4000, 8, 0, [bytes(10)]))

    subprocess.run([CONVERT, "rgba.png", "-interlace", "PNG", "PNG32:interlaced.png"], check=True)
    subprocess.run([CONVERT, "rgba.png", "-alpha", "off", "BMP3:opaque.bmp"], check=True)
    subprocess.run([CONVERT, "rgba.png", "icon.ico"], check=True)
    subprocess.run([CONVERT, "rgba.png", "-type", "TrueColorAlpha", "-compress", "LZW", "picture.tif"],
                   check=True)
    # Solid 16 x 16 blocks of red, green, blue and white, so that JPEG's loss stays small.
    blocks = ["-size", "16x16", "xc:#FF0000", "xc:#00FF00", "xc:#0000FF", "xc:#FFFFFF", "+append"]
    subprocess.run([CONVERT, *blocks, "-quality", "95", "blocks.jpg"], check=True)
    subprocess.run([CONVERT, *blocks, "-quality", "95", "-interlace", "JPEG",
                    "blocks_progressive.jpg"], check=True)
    subprocess.run([CONVERT, *blocks, "-quality", "95", "-colorspace", "CMYK", "blocks_cmyk.jpg"],
                   check=True)


if __name__ == "__main__":
    main()
