#!/usr/bin/env python3
"""Generate Pictoria's bitmap artwork into resources/.

Everything is drawn here as pixel art (character grids plus a few small
drawing routines) and written as PNG using only the standard library, so the
output is the same on every run.  Re-run after editing a drawing:

    python3 scripts/make_artwork.py               # writes resources/...
    python3 scripts/make_artwork.py --preview DIR  # also writes enlarged copies

The enlarged copies are only for looking at the drawings; they are not part of
the build.
"""

import argparse
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
RESOURCES = os.path.normpath(os.path.join(HERE, "..", "resources"))

CLEAR = (0, 0, 0, 0)


# ---------------------------------------------------------------------------
# Images and PNG output
# ---------------------------------------------------------------------------

class Image:
    """A small RGBA image, stored row by row."""

    def __init__(self, width, height, fill=CLEAR):
        self.width = width
        self.height = height
        self.px = [[fill] * width for _ in range(height)]

    def get(self, x, y):
        return self.px[y][x]

    def set(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.px[y][x] = colour

    def copy(self):
        out = Image(self.width, self.height)
        out.px = [row[:] for row in self.px]
        return out


def _chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def png_bytes(img, alpha=True):
    """Encode as 8-bit truecolour PNG (colour type 6 with alpha, 2 without)."""
    raw = bytearray()
    for row in img.px:
        raw.append(0)  # filter: none
        for r, g, b, a in row:
            raw.extend((r, g, b, a) if alpha else (r, g, b))
    header = struct.pack(">IIBBBBB", img.width, img.height, 8, 6 if alpha else 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n"
            + _chunk(b"IHDR", header)
            + _chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + _chunk(b"IEND", b""))


def write_png(path, img, alpha=True):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    data = png_bytes(img, alpha)
    with open(path, "wb") as f:
        f.write(data)


# ---------------------------------------------------------------------------
# Drawing helpers
# ---------------------------------------------------------------------------

def rgb(r, g, b, a=255):
    return (r, g, b, a)


# Colours shared by most drawings; each drawing may add its own letters.
BASE = {
    ".": CLEAR,
    "K": rgb(0, 0, 0),
    "k": rgb(64, 64, 64),
    "G": rgb(128, 128, 128),
    "g": rgb(192, 192, 192),
    "h": rgb(224, 224, 224),
    "W": rgb(255, 255, 255),
}


def from_grid(grid, palette, width=None, height=None):
    """Build an image from rows of characters; '.' is transparent."""
    pal = dict(BASE)
    pal.update(palette)
    h = height or len(grid)
    w = width or len(grid[0])
    if len(grid) != h:
        raise ValueError("grid has %d rows, expected %d" % (len(grid), h))
    img = Image(w, h)
    for y, row in enumerate(grid):
        if len(row) != w:
            raise ValueError("row %d is %d wide, expected %d: %r" % (y, len(row), w, row))
        for x, ch in enumerate(row):
            img.set(x, y, pal[ch])
    return img


def paste(dst, src, ox=0, oy=0):
    """Draw src over dst; fully transparent source pixels are skipped."""
    for y in range(src.height):
        for x in range(src.width):
            c = src.get(x, y)
            if c[3]:
                dst.set(x + ox, y + oy, c)
    return dst


def scale(img, factor):
    """Exact nearest-neighbour enlargement by an integer factor."""
    out = Image(img.width * factor, img.height * factor)
    for y in range(out.height):
        src_row = img.px[y // factor]
        out.px[y] = [src_row[x // factor] for x in range(out.width)]
    return out


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(len(a)))


# ---------------------------------------------------------------------------
# Toolbar (16 x 16)
# ---------------------------------------------------------------------------

NEW = [
    "................",
    "..KKKKKKKK......",
    "..KWWWWWWKK.....",
    "..KWWWWWWKgK....",
    "..KWWWWWWKhgK...",
    "..KWWWWWWKKKKK..",
    "..KWWWWWWWWWhK..",
    "..KWWWWWWWWWhK..",
    "..KWWWWWWWWWhK..",
    "..KWWWWWWWWWhK..",
    "..KWWWWWWWWWhK..",
    "..KWWWWWWWWWhK..",
    "..KWWWWWWWWWhK..",
    "..KhhhhhhhhhhK..",
    "..KKKKKKKKKKKK..",
    "................",
]

OPEN_PAL = {
    "L": rgb(255, 246, 190),  # highlight
    "Y": rgb(232, 184, 48),   # back of the folder
    "y": rgb(255, 220, 96),   # front flap
    "D": rgb(176, 124, 16),   # shade
}
OPEN = [
    "................",
    "................",
    ".KKKK...........",
    "KLLLLK..........",
    "KLYYYYKKKKKKK...",
    "KLYYYYYYYYYYYK..",
    "KLYYYYYYYYYYYK..",
    "KLYYKKKKKKKKKKKK",
    "KLYKLLLLLLLLLLyK",
    "KLYKLyyyyyyyyyK.",
    "KYKLyyyyyyyyyyK.",
    "KYKLyyyyyyyyyK..",
    "KKLyyyyyyyyyDK..",
    "KKyyyyyyyyyyDK..",
    "KKKKKKKKKKKKKK..",
    "................",
]

SAVE_PAL = {
    "b": rgb(40, 84, 184),    # disk body
    "c": rgb(96, 140, 224),   # body highlight
    "n": rgb(20, 40, 110),    # body shade
    "S": rgb(204, 208, 216),  # shutter
    "s": rgb(150, 156, 168),  # shutter shade
    "l": rgb(170, 190, 230),  # label ruling
}
SAVE = [
    "................",
    ".KKKKKKKKKKKKKK.",
    ".KcKWWWWWWWWKbK.",
    ".KcKWllllllWKbK.",
    ".KcKWWWWWWWWKbK.",
    ".KcKWllllllWKbK.",
    ".KcKWWWWWWWWKbK.",
    ".KcbKKKKKKKKbbK.",
    ".Kcbbbbbbbbbbbn.",
    ".KcbSSSSSSSSbnK.",
    ".KcbSSKKSSSsbnK.",
    ".KcbSSKKSSSsbnK.",
    ".KcbSSKKSSSsbnK.",
    ".KbbSsssssssbnK.",
    ".KKKKKKKKKKKKKK.",
    "................",
]

IMPORT_PAL = {
    "c": rgb(150, 206, 255),  # sky
    "C": rgb(200, 232, 255),  # sky, lighter
    "Y": rgb(255, 216, 0),    # sun
    "E": rgb(64, 176, 64),    # hill
    "e": rgb(24, 120, 40),    # far hill
    "A": rgb(40, 170, 40),    # arrow
    "a": rgb(120, 220, 110),  # arrow highlight
}
IMPORT_PICTURE = [
    "................",
    "................",
    "....KKKKKKKKKKKK",
    "....KCCCCCCCCCCK",
    "....KCCCCCCCYYCK",
    "....KcccccccYYcK",
    "....KccccccccceK",
    "....KcccccccceeK",
    "....KcccceccceeK",
    "....KccceeeeeeeK",
    "....KcEEEeeeeEEK",
    "....KEEEEEEEEEEK",
    "....KEEEEEEEEEEK",
    "....KKKKKKKKKKKK",
    "................",
    "................",
]
IMPORT_ARROW = [
    "................",
    "................",
    "................",
    "................",
    ".....K..........",
    ".....KK.........",
    "KKKKKKaK........",
    "KaaaaaaAK.......",
    "KAAAAAAAAK......",
    "KAAAAAAAK.......",
    "KKKKKKAK........",
    ".....KK.........",
    ".....K..........",
    "................",
    "................",
    "................",
]

BRUSH_PAL = {
    "r": rgb(200, 40, 32),    # handle
    "R": rgb(250, 110, 90),   # handle highlight
    "d": rgb(130, 20, 16),    # handle shade
    "S": rgb(210, 214, 222),  # ferrule
    "s": rgb(130, 136, 150),  # ferrule shade
    "t": rgb(214, 176, 104),  # bristles
    "B": rgb(40, 100, 230),   # paint on the tip
    "b": rgb(110, 160, 255),  # paint highlight
}
BRUSH = [
    ".............KK.",
    "............KRdK",
    "...........KRrdK",
    "..........KRrdK.",
    ".........KRrdK..",
    "........KRrdK...",
    ".......KSSsK....",
    "......KSSsK.....",
    ".....KttttK.....",
    "....KttttK......",
    "...KbBBtK.......",
    "..KbBBBK........",
    ".KbBBBK.........",
    ".KBBBK..........",
    "..KK............",
    "................",
]

DROPPER_PAL = {
    "r": rgb(210, 40, 40),    # rubber bulb
    "R": rgb(255, 120, 110),  # bulb highlight
    "d": rgb(130, 16, 16),    # bulb shade
    "S": rgb(190, 196, 206),  # collar
    "w": rgb(220, 240, 255),  # glass
    "B": rgb(40, 110, 230),   # liquid
}
DROPPER = [
    "...........KKK..",
    "..........KRrrK.",
    ".........KRrrrdK",
    ".......KKKrrrrdK",
    "......KSSKrrrdK.",
    ".......KSSKddK..",
    "......KwKSSKK...",
    ".....KwBBKSK....",
    "....KwBBBKK.....",
    "...KwBBBK.......",
    "..KwBBBK........",
    "..KBBBK.........",
    ".KBBK...........",
    ".KK.............",
    "K...............",
    "................",
]

FILL_PAL = {
    "g": rgb(196, 200, 210),  # bucket
    "h": rgb(236, 238, 244),  # bucket highlight
    "G": rgb(132, 138, 152),  # bucket shade
    "P": rgb(40, 110, 230),   # paint
    "p": rgb(120, 170, 255),  # paint highlight
}
FILL = [
    "................",
    ".........KKK....",
    "........K...K...",
    ".......KPK...K..",
    "......KPphK...K.",
    ".....KPphhhK..K.",
    "....KPpgghhhK.K.",
    "...KPpgggghhhK..",
    "..KPKGGgggghK...",
    "..KPKKGGgggK....",
    "..KPK.KGGgK.....",
    ".KPpPK.KGK......",
    ".KPPPK..K.......",
    "..KKK...........",
    "................",
    "................",
]

REPLACE_PAL = {
    "r": rgb(220, 40, 40),
    "R": rgb(255, 130, 120),
    "b": rgb(40, 90, 220),
    "B": rgb(120, 170, 255),
    "A": rgb(0, 128, 0),
}
REPLACE = [
    "................",
    ".KKKKKK.........",
    ".KRRRRK.........",
    ".KRrrrK.AAAA....",
    ".KRrrrK.....A...",
    ".KRrrrK.....A...",
    ".KKKKKK...AAAAA.",
    "...A.......AAA..",
    "..AAA.......A...",
    ".AAAAA...KKKKKK.",
    "...A.....KBBBBK.",
    "...A.....KBbbbK.",
    "....AAAA.KBbbbK.",
    ".........KBbbbK.",
    ".........KKKKKK.",
    "................",
]

GAMMA_PAL = {
    "O": rgb(240, 150, 0),    # rays
    "Y": rgb(255, 224, 48),   # bright half
    "L": rgb(255, 250, 200),  # bright half highlight
    "N": rgb(56, 60, 100),    # dark half
    "n": rgb(90, 96, 140),    # dark half rim light
}
GAMMA = [
    ".......OO.......",
    ".......OO.......",
    "..O.........O...",
    "...O.KKKKKK.O...",
    "....KLLYNNNK....",
    "...KLLYYNNNnK...",
    "OO.KLYYYNNNnK.OO",
    "OO.KYYYYNNNnK.OO",
    "...KYYYYNNNnK...",
    "...KYYYYNNNnK...",
    "....KYYYNNnK....",
    "...O.KKKKKK.O...",
    "..O.........O...",
    ".......OO.......",
    ".......OO.......",
    "................",
]

GRID_PAL = {
    "L": rgb(60, 70, 110),    # grid lines
    "a": rgb(255, 255, 255),
    "b": rgb(255, 200, 160),
    "c": rgb(120, 170, 240),
}
GRID = [
    "................",
    "................",
    "..LLLLLLLLLLLLL.",
    "..LaaaLaaaLbbbL.",
    "..LaaaLaaaLbbbL.",
    "..LaaaLaaaLbbbL.",
    "..LLLLLLLLLLLLL.",
    "..LaaaLcccLaaaL.",
    "..LaaaLcccLaaaL.",
    "..LaaaLcccLaaaL.",
    "..LLLLLLLLLLLLL.",
    "..LbbbLaaaLaaaL.",
    "..LbbbLaaaLaaaL.",
    "..LbbbLaaaLaaaL.",
    "..LLLLLLLLLLLLL.",
    "................",
]

ABOUT_PAL = {
    "D": rgb(16, 48, 140),    # rim
    "B": rgb(40, 96, 210),
    "b": rgb(80, 140, 240),   # lit side
    "l": rgb(150, 190, 255),  # highlight
}
ABOUT = [
    "................",
    ".....DDDDDD.....",
    "...DDlllbbBDD...",
    "..DllbbWWbbBBD..",
    "..DlbbbWWbbBBD..",
    ".DlbbbbbbbbBBBD.",
    ".DlbbbWWWbbBBBD.",
    ".DbbbbbWWbBBBBD.",
    ".DbbbbbWWbBBBBD.",
    ".DbbbbbWWBBBBBD.",
    ".DbbbbbWWBBBBBD.",
    "..DbbbWWWWBBBD..",
    "..DbbBBBBBBBBD..",
    "...DDBBBBBBDD...",
    ".....DDDDDD.....",
    "................",
]

SWAP = [
    "................",
    "................",
    "................",
    "............K...",
    "............KK..",
    ".......KKKKKKKK.",
    "......KKKKKKKKK.",
    ".....KK.....KK..",
    ".....KK.....K...",
    ".....KK.........",
    ".....KK.........",
    ".....KK.........",
    "...KKKKKK.......",
    "....KKKK........",
    ".....KK.........",
    "................",
]


def toolbar_images():
    return {
        "new": from_grid(NEW, {}),
        "open": from_grid(OPEN, OPEN_PAL),
        "save": from_grid(SAVE, SAVE_PAL),
        "import": paste(from_grid(IMPORT_PICTURE, IMPORT_PAL),
                        from_grid(IMPORT_ARROW, IMPORT_PAL)),
        "brush": from_grid(BRUSH, BRUSH_PAL),
        "selector": from_grid(DROPPER, DROPPER_PAL),
        "fill": from_grid(FILL, FILL_PAL),
        "replace": from_grid(REPLACE, REPLACE_PAL),
        "gamma": from_grid(GAMMA, GAMMA_PAL),
        "grid": from_grid(GRID, GRID_PAL),
        "about": from_grid(ABOUT, ABOUT_PAL),
    }


# ---------------------------------------------------------------------------
# Eyedropper mouse cursor (32 x 32, hot spot at 9, 23)
# ---------------------------------------------------------------------------

HOT_X, HOT_Y = 9, 23


def eyedropper_cursor():
    """Black-outlined white dropper lying along the up-right diagonal.

    Each pixel is placed by its distance along the diagonal from the hot spot
    (``a``, in half-pixel steps, so that neighbouring diagonals differ by one)
    and across it (``p``).  The white body is outlined in black afterwards.
    """
    black, white = rgb(0, 0, 0), rgb(255, 255, 255)
    img = Image(32, 32)
    body, collar = set(), set()

    for y in range(32):
        for x in range(32):
            a = (x - HOT_X) + (HOT_Y - y)
            p = (x - HOT_X) - (HOT_Y - y)
            if 2 <= a <= 11 and p == 0:                       # nozzle
                body.add((x, y))
            elif 12 <= a <= 21 and abs(p) <= 1:              # glass barrel
                body.add((x, y))
            elif 22 <= a <= 24 and abs(p) <= 3:              # collar
                collar.add((x, y))
            elif a >= 25 and ((a - 31.0) / 6.5) ** 2 + (p / 3.2) ** 2 <= 1.0:
                body.add((x, y))                             # rubber bulb

    solid = body | collar
    outline = set()
    for (x, y) in solid:
        for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
            n = (x + dx, y + dy)
            if n not in solid:
                outline.add(n)
    for (x, y) in body:
        img.set(x, y, white)
    for (x, y) in collar | outline:
        img.set(x, y, black)

    # Tiny cross-hair on the point, the centre pixel being the hot spot.  The
    # arms that stick out from under the dropper get a white edge so they
    # still show on dark colours.
    arms = [(HOT_X, HOT_Y), (HOT_X - 1, HOT_Y), (HOT_X - 2, HOT_Y),
            (HOT_X, HOT_Y + 1), (HOT_X, HOT_Y + 2), (HOT_X, HOT_Y - 1), (HOT_X + 1, HOT_Y)]
    for (x, y) in arms:
        img.set(x, y, black)
    for (x, y) in arms:
        for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
            n = (x + dx, y + dy)
            if img.get(*n)[3] == 0:
                img.set(n[0], n[1], white)
    return img


# ---------------------------------------------------------------------------
# Application icon
# ---------------------------------------------------------------------------

ICON_PAL = {
    "o": rgb(232, 184, 72),   # frame, lit
    "O": rgb(168, 112, 32),   # frame, shaded
    "c": rgb(196, 226, 255),  # background
    "d": rgb(160, 200, 240),  # background grid
    "H": rgb(120, 72, 32),    # hair
    "I": rgb(160, 100, 48),   # hair highlight
    "s": rgb(255, 212, 170),  # skin
    "n": rgb(232, 170, 128),  # skin shade
    "p": rgb(255, 170, 160),  # cheeks
    "E": rgb(32, 40, 80),     # eyes
    "m": rgb(200, 60, 60),    # mouth
    "C": rgb(48, 112, 208),   # shirt
    "D": rgb(24, 72, 160),    # shirt shade
}

# The portrait inside the 16 pixel icon; '.' becomes the gridded background.
ICON16_FACE = [
    "............",
    "....KKKK....",
    "..KKHHHHKK..",
    ".KHHIIHHHHK.",
    ".KHssssssHK.",
    ".KssEssEssK.",
    ".KpsssssspK.",
    ".KsssmmsssK.",
    "..KssssssK..",
    "...KKssKK...",
    ".KKCCnnCDKK.",
    "KCCCCCCCCDDK",
]

# The portrait inside the 32 pixel icon; '.' becomes the gridded background.
ICON32_FACE = [
    "..........................",
    "..........................",
    ".........KKKKKKKK.........",
    ".......KKHHHHHHHHKK.......",
    "......KHHHIIIIHHHHHK......",
    ".....KHHHIIHHHHHHHHHK.....",
    ".....KHHIHHHHHHHHHHHK.....",
    ".....KHHHHssssssHHHHK.....",
    ".....KHHsssssssssHHHK.....",
    ".....KHHssssssssssHHK.....",
    ".....KHsssssssssssHHK.....",
    ".....KHssEEsssEEssnHK.....",
    ".....KHssEEsssEEssnHK.....",
    ".....KHsssssssssssnHK.....",
    ".....KHspssssnsspsnHK.....",
    "......KsssssssssssnK......",
    "......KssssmmmmssnK.......",
    ".......KsssssssssnK.......",
    "........KKsssssnKK........",
    "..........KsssnK..........",
    "..........KnnnnK..........",
    "....KKKKKKKsssnKKKKKKK....",
    "...KCCCCCCCKssKCCCCCCDK...",
    "..KCCCCCCCCCKKCCCCCCCDDK..",
    ".KCCCCCCCCCCCCCCCCCCCCDDK.",
    ".KCCCCCCCCCCCCCCCCCCCCCDK.",
]


def framed_portrait(size, face, bevel):
    """A portrait in a gilt frame over a background with a pixel grid.

    ``bevel`` is how many frame rings lie inside the black edge: with one ring
    the frame is lit on the top and left and shaded on the bottom and right,
    with two the outer ring is lit and the inner one shaded.
    """
    pal = dict(BASE)
    pal.update(ICON_PAL)
    img = Image(size, size)
    last = size - 1
    for y in range(size):
        for x in range(size):
            ring = min(x, y, last - x, last - y)
            if ring == 0:
                img.set(x, y, pal["K"])
            elif ring <= bevel:
                if bevel == 1:
                    lit = (x == 1 or y == 1) and x < last - 1
                else:
                    lit = ring == 1
                img.set(x, y, pal["o"] if lit else pal["O"])
    inner = size - 2 * (bevel + 1)
    if len(face) != inner:
        raise ValueError("portrait has %d rows, expected %d" % (len(face), inner))
    for y, row in enumerate(face):
        if len(row) != inner:
            raise ValueError("portrait row is %d wide: %r" % (len(row), row))
        for x, ch in enumerate(row):
            if ch == ".":
                colour = pal["d"] if (x % 4 == 1 or y % 4 == 1) else pal["c"]
            else:
                colour = pal[ch]
            img.set(x + bevel + 1, y + bevel + 1, colour)
    return img


def icon_images():
    small = framed_portrait(16, ICON16_FACE, 1)
    big = framed_portrait(32, ICON32_FACE, 2)
    return {
        16: small,
        32: big,
        48: scale(small, 3),
        64: scale(big, 2),
        128: scale(big, 4),
        256: scale(big, 8),
    }


# ---------------------------------------------------------------------------
# About box background (320 x 240, opaque)
# ---------------------------------------------------------------------------

def about_background():
    top = (245, 248, 255)
    bottom = (40, 80, 170)
    img = Image(320, 240)
    for y in range(240):
        t = y / 239.0
        base = mix(top, bottom, t)
        dot = mix(base, (0, 0, 40), 0.07)
        row = [base + (255,)] * 320
        if y % 4 == 1:
            for x in range(1, 320, 4):
                row[x] = dot + (255,)
        img.px[y] = row
    return img


# ---------------------------------------------------------------------------

def preview(images, directory):
    """Write 8x enlarged copies of the small drawings plus a contact sheet."""
    os.makedirs(directory, exist_ok=True)
    for name, img in images.items():
        if img.width <= 32:
            write_png(os.path.join(directory, name.replace("/", "_")), scale(img, 8))
    small = [(n, i) for n, i in images.items() if i.width <= 32]
    cell = 8 * 32 + 8
    cols = 4
    rows = (len(small) + cols - 1) // cols
    sheet = Image(cols * cell * 2, rows * cell, rgb(212, 208, 200))
    for k, (name, img) in enumerate(small):
        big = scale(img, 8)
        for half, bg in enumerate((rgb(212, 208, 200), rgb(255, 255, 255))):
            ox = (k % cols) * cell * 2 + half * cell + 4
            oy = (k // cols) * cell + 4
            for y in range(big.height):
                for x in range(big.width):
                    sheet.set(ox + x, oy + y, bg)
            paste(sheet, big, ox, oy)
    write_png(os.path.join(directory, "sheet.png"), sheet)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--preview", metavar="DIR",
                        help="also write 8x enlarged copies into DIR")
    args = parser.parse_args()

    images = {}
    for name, img in toolbar_images().items():
        images["toolbar/%s.png" % name] = img
    images["swap.png"] = from_grid(SWAP, {})
    images["cursors/eyedropper.png"] = eyedropper_cursor()
    for size, img in icon_images().items():
        images["icons/pictoria-%d.png" % size] = img

    for name, img in images.items():
        write_png(os.path.join(RESOURCES, name), img)
    write_png(os.path.join(RESOURCES, "about", "background.png"), about_background(), alpha=False)

    if args.preview:
        preview(images, args.preview)


if __name__ == "__main__":
    main()
