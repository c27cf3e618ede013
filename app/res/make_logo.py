#!/usr/bin/env python3
"""Draws the maker's logo for the splash screen: an 8-bit BMP of 144 x 32
pixels whose colour table holds the colours it uses, white first: entry 0
stands for transparent, and the splash paints it in the button face. A BMP,
because Windows draws it without the picture decoders, which the splash, up
before anything else, should not wait to load.

The colours come from the 216-colour web cube (red * 36 + green * 6 + blue,
six levels each, white at 215) and 40 greys. ImageMagick draws the
picture; this script maps it onto the palette and writes the file itself, so
that the palette is exactly ours.

Run once by hand; the result is checked in beside this script, so the build
needs neither Python nor ImageMagick. server/make_banner.py uses the GIF
writer.
"""
import struct
import subprocess
import sys

LEVELS = [0, 51, 102, 153, 204, 255]
WHITE = 215


def palette():
    colours = [(LEVELS[r], LEVELS[g], LEVELS[b])
               for r in range(6) for g in range(6) for b in range(6)]
    colours += [(round(255 * i / 41),) * 3 for i in range(1, 41)]
    assert colours[WHITE] == (255, 255, 255) and len(colours) == 256
    return colours


def nearest(rgb, colours):
    return min(range(len(colours)),
               key=lambda i: sum((a - b) ** 2 for a, b in zip(rgb, colours[i])))


def render(width, height, draw):
    """Runs ImageMagick's convert with `draw` arguments; returns RGB rows."""
    ppm = subprocess.run(["convert", "-size", f"{width}x{height}", "xc:white", *draw,
                          "-depth", "8", "ppm:-"], check=True, capture_output=True).stdout
    # P6 header: magic, width, height, maximum, then the raw bytes.
    parts = ppm.split(maxsplit=4)
    data = parts[4]
    assert parts[0] == b"P6" and int(parts[1]) == width and int(parts[2]) == height
    return [[tuple(data[(y * width + x) * 3:(y * width + x) * 3 + 3]) for x in range(width)]
            for y in range(height)]


def lzw(indices, min_size=8):
    """GIF's variable-length LZW, starting a new table when it is full."""
    clear, end = 1 << min_size, (1 << min_size) + 1
    out = bytearray()
    acc = nbits = 0
    size = min_size + 1

    def put(code):
        nonlocal acc, nbits
        acc |= code << nbits
        nbits += size
        while nbits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            nbits -= 8

    table = {(i,): i for i in range(clear)}
    nxt = end + 1
    put(clear)
    word = (indices[0],)
    for k in indices[1:]:
        longer = word + (k,)
        if longer in table:
            word = longer
            continue
        put(table[word])
        if nxt < 4096:
            table[longer] = nxt
            nxt += 1
            # The reader widens its codes once its table passes the width.
            if nxt > (1 << size) and size < 12:
                size += 1
        else:
            put(clear)
            table = {(i,): i for i in range(clear)}
            nxt = end + 1
            size = min_size + 1
        word = (k,)
    put(table[word])
    put(end)
    if nbits:
        out.append(acc & 0xFF)
    return bytes(out)


def indexed(rows, colours):
    """The pixels, top row first, as indices into `colours`."""
    cache = {}
    indices = []
    for row in rows:
        for rgb in row:
            if rgb not in cache:
                cache[rgb] = nearest(rgb, colours)
            indices.append(cache[rgb])
    return indices


def write_bmp(path, rows, colours):
    """An uncompressed 8-bit BMP: rows bottom-up, each padded to 4 bytes. Its
    colour table holds only the colours the picture uses, white (transparent)
    first: the program carries 45 entries rather than 256."""
    height, width = len(rows), len(rows[0])
    indices = indexed(rows, colours)
    used = [WHITE] + sorted(set(indices) - {WHITE})
    index_of = {old: new for new, old in enumerate(used)}
    indices = [index_of[i] for i in indices]
    stride = (width + 3) // 4 * 4
    pixels = b"".join(bytes(indices[y * width:(y + 1) * width]) + bytes(stride - width)
                      for y in reversed(range(height)))
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in (colours[i] for i in used))
    offset = 14 + 40 + len(table)
    bmp = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    bmp += struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(pixels), 2835, 2835,
                       len(used), 0)
    with open(path, "wb") as f:
        f.write(bmp + table + pixels)


def write_gif(path, rows, colours, signature=b"GIF87a", transparent=None):
    height, width = len(rows), len(rows[0])
    indices = indexed(rows, colours)
    gif = bytearray(signature)
    # Logical screen: global colour table of 256 entries, 8 bits a colour.
    gif += struct.pack("<HHBBB", width, height, 0xF7, 0, 0)
    gif += b"".join(bytes(c) for c in colours)
    if transparent is not None:
        gif += struct.pack("<BBBBHBB", 0x21, 0xF9, 4, 0x01, 0, transparent, 0)
    gif += struct.pack("<BHHHHB", 0x2C, 0, 0, width, height, 0)
    data = lzw(indices)
    gif.append(8)
    for i in range(0, len(data), 255):
        block = data[i:i + 255]
        gif.append(len(block))
        gif += block
    gif += b"\x00\x3B"
    with open(path, "wb") as f:
        f.write(gif)


def logo():
    return render(144, 32, [
        "-fill", "#336699", "-draw", "roundrectangle 1,2 29,29 7,7",
        "-fill", "#FFCC00", "-draw", "polygon 8,22 15,7 22,22",
        "-font", "DejaVu-Sans-Bold", "-pointsize", "19",
        "-fill", "#333333", "-draw", "text 34,23 'Ostrabend'",
    ])


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "."
    write_bmp(f"{out}/logo.bmp", logo(), palette())
