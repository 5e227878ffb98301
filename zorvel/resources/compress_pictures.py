#!/usr/bin/env python3
"""Turns the bitmaps compiled into the program into PNG files for the resource script.

    compress_pictures.py OUT_DIR PICTURE.bmp...

Each bitmap drawn by draw_artwork.py becomes OUT_DIR/<name>.png with the same pixels: indexed
over exactly its own colours (1, 2, 4 or 8 bits a pixel, the fewest that hold them) when it has
at most 256, 24-bit colour otherwise. The build runs this; the program decodes each picture when
it loads it. As PNG the pictures take less than an eighth of the room they take as bitmaps.

Pillow reads the bitmaps and checks the result, but the PNG is written here: Pillow's writer
filters every row of a colour picture adaptively, which for flat artwork on a key colour costs
over half as much room again as leaving the rows unfiltered, as this writer does.
"""

import os
import struct
import sys
import zlib
from pathlib import Path

try:
    from PIL import Image
except ImportError:
    # A python3 of its own (pyenv, venv) may shadow Debian's, which has Pillow (python3-pil).
    if os.path.exists("/usr/bin/python3") and os.path.realpath(sys.executable) != os.path.realpath("/usr/bin/python3"):
        os.execv("/usr/bin/python3", ["/usr/bin/python3", *sys.argv])
    sys.exit("compress_pictures: Pillow is missing; install python3-pil (scripts/setup does)")

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"
COLOUR_TYPE_RGB, COLOUR_TYPE_INDEXED = 2, 3


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def png(width, height, bits, colour_type, rows, palette=b""):
    """A PNG of the packed rows, every row with filter type 0 (none). No gamma or colour-space
    chunks: the decoder must hand back the stored values unchanged."""
    header = struct.pack(">IIBBBBB", width, height, bits, colour_type, 0, 0, 0)
    squeezer = zlib.compressobj(9, zlib.DEFLATED, 15, 9)
    data = squeezer.compress(b"".join(b"\0" + row for row in rows)) + squeezer.flush()
    return (PNG_SIGNATURE + chunk(b"IHDR", header) + (chunk(b"PLTE", palette) if palette else b"")
            + chunk(b"IDAT", data) + chunk(b"IEND", b""))


def split_rows(packed, height):
    stride = len(packed) // height
    return [packed[y * stride:(y + 1) * stride] for y in range(height)]


def encode(image):
    """The picture as PNG bytes: indexed over its own colours, the most frequent first, when it
    has at most 256 of them."""
    width, height = image.size
    colours = image.getcolors(256)
    if not colours:
        return png(width, height, 8, COLOUR_TYPE_RGB, split_rows(image.tobytes(), height))
    colours = [colour for _, colour in sorted(colours, key=lambda c: (-c[0], c[1]))]
    index = {colour: i for i, colour in enumerate(colours)}
    indexed = Image.new("P", image.size)
    indexed.putdata([index[pixel] for pixel in image.getdata()])
    bits = next(b for b in (1, 2, 4, 8) if len(colours) <= 1 << b)
    packed = indexed.tobytes("raw", "P" if bits == 8 else f"P;{bits}")
    palette = bytes(channel for colour in colours for channel in colour)
    return png(width, height, bits, COLOUR_TYPE_INDEXED, split_rows(packed, height), palette)


def compress(source, target):
    image = Image.open(source).convert("RGB")
    target.write_bytes(encode(image))
    with Image.open(target) as back:
        if back.convert("RGB").tobytes() != image.tobytes():
            sys.exit(f"compress_pictures: {target.name} does not hold the pixels of {source.name}")


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    for name in sys.argv[2:]:
        source = Path(name)
        compress(source, out / (source.stem + ".png"))


if __name__ == "__main__":
    main()
