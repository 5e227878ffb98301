#!/usr/bin/env python3
"""Draws every bitmap and the icon of Zorvel.

Run from the repository root:  python3 zorvel/resources/draw_artwork.py

Writes the image lists, image strips, the other compiled-in pictures and the icon into
zorvel/resources/ (compiled into the program by its resource script; the build stores the bitmaps
as PNG, made by compress_pictures.py), the pictures delivered beside zorvel.exe (About.bmp,
Manufacturer.bmp, Scheme0..4.bmp) into zorvel/resources/program/, then ARTWORK.md beside this
script: every file, its layout and what each image index shows.

Every picture is drawn with vector primitives on a canvas eight times larger than the result and
shrunk with area averaging, so edges are smooth while shapes placed on whole pixels stay crisp.
Strips and image lists then get a 1-bit transparency: the loaders take the bottom-left pixel as
the transparent colour, so every strip is keyed on pure magenta and each half-covered edge pixel
is blended with a light background colour instead of the key. The output is deterministic: the
same Pillow and FreeType produce the same bytes on every run.
"""

import math
import os
import struct
import sys
from pathlib import Path

try:
    from PIL import Image, ImageDraw, ImageEnhance, ImageFilter, ImageFont
except ImportError:
    # A python3 of its own (pyenv, venv) may shadow Debian's, which has Pillow (python3-pil).
    if os.path.exists("/usr/bin/python3") and os.path.realpath(sys.executable) != os.path.realpath("/usr/bin/python3"):
        os.execv("/usr/bin/python3", ["/usr/bin/python3", *sys.argv])
    sys.exit("draw_artwork: Pillow is missing; install python3-pil (scripts/setup does)")

RESOURCES = Path(__file__).resolve().parent
PROGRAM_DIR = RESOURCES / "program"

FONT_DIR = Path("/usr/share/fonts/truetype/dejavu")
FONTS = {"sans": FONT_DIR / "DejaVuSans.ttf", "bold": FONT_DIR / "DejaVuSans-Bold.ttf"}

SS = 8                    # supersampling factor of every canvas
KEY = (255, 0, 255)       # transparent colour of strips and image lists
FACE = (240, 240, 240)    # button face: what half-covered edge pixels are blended with

# Palette shared by all pictures, so that the icons look like one set.
INK = (44, 56, 72)
PAPER = (252, 252, 250)
BLUE = (30, 120, 215)
BLUE_DARK = (20, 80, 150)
BLUE_LIGHT = (160, 205, 245)
SKY = (80, 165, 235)
TEAL = (0, 145, 140)
GREEN = (40, 165, 75)
GREEN_DARK = (25, 115, 50)
RED = (215, 45, 40)
RED_DARK = (150, 25, 25)
ORANGE = (245, 145, 20)
ORANGE_DARK = (185, 90, 0)
YELLOW = (255, 205, 40)
BROWN = (196, 146, 88)
BROWN_DARK = (128, 88, 40)
GOLD = (230, 180, 40)
STEEL = (160, 170, 182)
STEEL_LIGHT = (212, 218, 226)
STEEL_DARK = (100, 110, 124)
MOON = (238, 236, 200)
MOON_DARK = (96, 92, 60)
BOARD = (30, 32, 36)          # housing of an LED board
BOARD_RIM = (84, 90, 100)
LED_RED = (255, 48, 36)
LED_GREEN = (70, 225, 95)
LED_AMBER = (255, 172, 20)
LED_UNLIT = (50, 26, 28)
CLEAR = (0, 0, 0, 0)

MAKER = "ЗОРВЕЛ"              # the maker as AppInfo shows it
MAKER_TAGLINE = "светодиодные табло"


def rgba(colour):
    return colour if len(colour) == 4 else (*colour, 255)


def font(kind, px):
    path = FONTS[kind]
    if not path.exists():
        sys.exit(f"draw_artwork: font {path} is missing; install fonts-dejavu-core (scripts/setup does)")
    return ImageFont.truetype(str(path), max(1, round(px)))


# ---------------------------------------------------------------------------------------------
# Canvas: drawing in the units of the final picture
# ---------------------------------------------------------------------------------------------

class Canvas:
    """An RGBA (or L, for masks) surface addressed in units of the design grid.

    One unit is `scale` pixels of the result; the surface itself is SS times larger. Coordinates
    are edges: rect(0, 0, 32, 32) covers a whole 32 x 32 icon. Outlines lie inside their shape.
    """

    def __init__(self, width, height, scale=1.0, mode="RGBA", ss=SS):
        self.width, self.height, self.scale, self.ss = width, height, scale, ss
        self.k = scale * ss
        self.img = Image.new(mode, (round(width * self.k), round(height * self.k)), 0)
        self.draw = ImageDraw.Draw(self.img)
        self.mode = mode

    def _ink(self, colour):
        if colour is None:
            return None
        return colour if self.mode == "L" else rgba(colour)

    def _px(self, v):
        return round(v * self.k)

    def _box(self, x0, y0, x1, y1):
        return [self._px(x0), self._px(y0), self._px(x1) - 1, self._px(y1) - 1]

    def _w(self, w):
        return max(1, round(w * self.k))

    def new_mask(self):
        return Canvas(self.width, self.height, self.scale, "L", self.ss)

    def rect(self, x0, y0, x1, y1, fill=None, line=None, w=1, r=0):
        box = self._box(x0, y0, x1, y1)
        args = dict(fill=self._ink(fill), outline=self._ink(line), width=self._w(w) if line else 0)
        if r:
            self.draw.rounded_rectangle(box, radius=self._px(r), **args)
        else:
            self.draw.rectangle(box, **args)

    def ellipse(self, x0, y0, x1, y1, fill=None, line=None, w=1):
        self.draw.ellipse(self._box(x0, y0, x1, y1), fill=self._ink(fill), outline=self._ink(line),
                          width=self._w(w) if line else 0)

    def circle(self, cx, cy, r, fill=None, line=None, w=1):
        self.ellipse(cx - r, cy - r, cx + r, cy + r, fill, line, w)

    def poly(self, points, fill=None, line=None, w=1):
        pts = [(self._px(x), self._px(y)) for x, y in points]
        self.draw.polygon(pts, fill=self._ink(fill), outline=self._ink(line), width=self._w(w) if line else 1)

    def stroke(self, points, colour, w=1, caps=True):
        """A polyline of width w with round joints and (optionally) round ends."""
        pts = [(self._px(x), self._px(y)) for x, y in points]
        self.draw.line(pts, fill=self._ink(colour), width=self._w(w), joint="curve")
        if caps:
            for x, y in (points[0], points[-1]):
                self.circle(x, y, w / 2, fill=colour)

    def arc(self, cx, cy, r, start, end, colour, w=1):
        """Arc of radius r (to the middle of the stroke); angles in degrees, clockwise from 3 o'clock."""
        o = r + w / 2
        self.draw.arc(self._box(cx - o, cy - o, cx + o, cy + o), start, end, fill=self._ink(colour), width=self._w(w))

    def pie(self, cx, cy, r, start, end, fill):
        self.draw.pieslice(self._box(cx - r, cy - r, cx + r, cy + r), start, end, fill=self._ink(fill))

    def text(self, x, y, s, px, colour, kind="bold", anchor="mm"):
        self.draw.text((self._px(x), self._px(y)), s, fill=self._ink(colour), font=font(kind, px * self.k), anchor=anchor)

    def text_width(self, s, px, kind="bold"):
        return font(kind, px * self.k).getlength(s) / self.k

    def shape(self, mask, fill, line=None, w=1):
        """Paints a shape given as a mask canvas, with an outline of width w around the inside."""
        if line:
            self.img.paste(rgba(line), (0, 0), mask.img)
            inner = mask.img.filter(ImageFilter.MinFilter(2 * self._w(w / 2) + 1))
            self.img.paste(rgba(fill), (0, 0), inner)
        else:
            self.img.paste(rgba(fill), (0, 0), mask.img)

    def place(self, drawing, x, y, size, unit=32):
        """Draws an icon function (designed on a unit x unit grid) into the box (x, y, size)."""
        sub = Canvas(unit, unit, self.scale * size / unit, ss=self.ss)
        drawing(sub)
        self.img.alpha_composite(sub.img, (self._px(x), self._px(y)))

    def shrink(self):
        """The picture at its final size (area averaging of the supersampled surface)."""
        size = (round(self.width * self.scale), round(self.height * self.scale))
        return self.img.resize(size, Image.BOX)


def render(drawing, width, height=None, scale=1):
    """Draws `drawing` on a fresh canvas and returns the supersampled RGBA surface."""
    c = Canvas(width, height or width, scale)
    drawing(c)
    return c.img


def shrink(hi, width, height):
    return hi.resize((width, height), Image.BOX)


# ---------------------------------------------------------------------------------------------
# States of a picture (on the supersampled surface) and the keyed, 24-bit output
# ---------------------------------------------------------------------------------------------

def _split(hi):
    r, g, b, a = hi.split()
    return Image.merge("RGB", (r, g, b)), a


def as_disabled(hi):
    """Grey and faded, keeping the shapes readable: luminance mapped into 118..235."""
    rgb, a = _split(hi)
    grey = rgb.convert("L").point(lambda v: 118 + v * 117 // 255)
    return Image.merge("RGBA", (grey, grey, grey, a))


def as_hot(hi):
    """Brighter and more saturated, for the hot toolbar list and highlighted frames."""
    rgb, a = _split(hi)
    rgb = ImageEnhance.Color(rgb).enhance(1.25)
    rgb = ImageEnhance.Brightness(rgb).enhance(1.12)
    return Image.merge("RGBA", (*rgb.split(), a))


def with_halo(hi, px=1):
    """Adds a white rim of `px` result pixels, so the picture stands out on a red highlight bar."""
    _, a = _split(hi)
    grown = a.filter(ImageFilter.MaxFilter(2 * px * SS + 1))
    halo = Image.new("RGBA", hi.size, (255, 255, 255, 255))
    halo.putalpha(grown)
    halo.alpha_composite(hi)
    return halo


def as_pressed(hi):
    """Moved one pixel right and down and a little darker: the 'pressed' fourth frame."""
    rgb, a = _split(hi)
    rgb = ImageEnhance.Brightness(rgb).enhance(0.88)
    out = Image.new("RGBA", hi.size, CLEAR)
    out.paste(Image.merge("RGBA", (*rgb.split(), a)), (SS, SS))
    return out


FOUR_STATES = (
    lambda hi: hi,                          # 0 normal
    as_disabled,                            # 1 disabled
    lambda hi: with_halo(as_hot(hi)),       # 2 highlighted (drawn on the red highlight bar)
    as_pressed,                             # 3 fourth: pressed / dropped down
)


def keyed(small, backdrop=FACE):
    """RGBA -> RGB on the key colour: pixels at least half covered are kept (blended with the
    backdrop); the rest become the key colour."""
    base = Image.new("RGB", small.size, backdrop)
    base.paste(small.convert("RGB"), (0, 0), small.getchannel("A"))
    solid = small.getchannel("A").point(lambda v: 255 if v >= 128 else 0)
    out = Image.composite(base, Image.new("RGB", small.size, KEY), solid)
    # A drawn pixel that happens to be the key colour would turn transparent.
    px = out.load()
    sp = solid.load()
    for y in range(out.height):
        for x in range(out.width):
            if sp[x, y] and px[x, y] == KEY:
                px[x, y] = (254, 0, 254)
    return out


def flat(small, backdrop=FACE):
    """RGBA -> RGB over a plain background (pictures without a key colour)."""
    base = Image.new("RGB", small.size, backdrop)
    base.paste(small.convert("RGB"), (0, 0), small.getchannel("A"))
    return base


def hstack(images):
    out = Image.new("RGB", (sum(i.width for i in images), max(i.height for i in images)), KEY)
    x = 0
    for i in images:
        out.paste(i, (x, 0))
        x += i.width
    return out


def four_frame_strip(drawing, size, backdrop=FACE, scale=1):
    """A strip of the four state frames of one picture (size x size each, times `scale`)."""
    hi = render(drawing, size, scale=scale)
    px = round(size * scale)
    return hstack([keyed(shrink(state(hi), px, px), backdrop) for state in FOUR_STATES])


# The program picks the size nearest to the display's scale: the pictures of the
# strips and image lists are drawn again at 1.5 and 2 times, into files named
# with the percent ("toolbar32_150.bmp"), so a large display never shows a
# stretched small picture.
SCALES = ((1, ""), (1.5, "_150"), (2, "_200"))


def scaled_name(name, suffix):
    stem, ext = name.rsplit(".", 1)
    return f"{stem}{suffix}.{ext}"


def scaled_layout(layout, scale):
    return layout if scale == 1 else f"{layout}, drawn at {scale:g} times"


class Output:
    """One written file and what it is for, for the table in ARTWORK.md."""

    def __init__(self, path, size, layout, use, items=()):
        self.path, self.size, self.layout, self.use, self.items = path, size, layout, use, items


written = []


def exact_palette(image):
    """The same picture as an 8-bit BMP with its own colours as the palette: a third of the size
    of 24 bits for the many small pictures of few colours, pixel for pixel the same."""
    colours = [colour for _, colour in image.getcolors(256)]
    index = {colour: i for i, colour in enumerate(colours)}
    indexed = Image.new("P", image.size)
    indexed.putpalette([channel for colour in colours for channel in colour])
    indexed.putdata([index[pixel] for pixel in image.getdata()])
    return indexed


def save_bmp(image, path, layout, use, items=(), key=True, palette=False):
    """Writes an 8-bit BMP when the picture has at most 256 colours, a 24-bit one otherwise; with
    `palette` an 8-bit one in any case (a quarter of the size, for the large pictures that have
    few colours, at the cost of merging close colours). A keyed picture must have the key colour in its
    bottom-left pixel, since that is what the loaders make transparent."""
    if key:
        require_key_corner(image, path.name)
    path.parent.mkdir(parents=True, exist_ok=True)
    image = image.convert("RGB")
    if palette:
        image = image.quantize(256, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    elif image.getcolors(256):
        image = exact_palette(image)
    image.save(path, "BMP")
    written.append(Output(path, image.size, layout, use, items))


def require_key_corner(image, name):
    if image.getpixel((0, image.height - 1)) != KEY:
        raise SystemExit(f"draw_artwork: {name}: the bottom-left pixel is not the key colour")


def write_ico(path, images, use):
    """A classic .ico with 32-bit BMP entries (colour with alpha, plus the 1-bit AND mask)."""
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    entries, blobs = b"", b""
    for im in images:
        w, h = im.size
        xor = b""
        mask = b""
        stride = ((w + 31) // 32) * 4
        for y in range(h - 1, -1, -1):                # bottom-up rows
            row_mask = bytearray(stride)
            for x in range(w):
                r, g, b, a = im.getpixel((x, y))
                xor += bytes((b, g, r, a))
                if a < 128:
                    row_mask[x // 8] |= 0x80 >> (x % 8)
            mask += bytes(row_mask)
        info = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
        blob = info + xor + mask
        entries += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
        blobs += blob
    path.write_bytes(header + entries + blobs)
    sizes = ", ".join(str(im.width) for im in images)
    written.append(Output(path, images[-1].size, f"{sizes} px, 32-bit with alpha", use))


# ---------------------------------------------------------------------------------------------
# Shared motifs
# ---------------------------------------------------------------------------------------------

# Seven-segment layout: a top, b top right, c bottom right, d bottom, e bottom left, f top left,
# g middle.
SEGMENTS = {
    "0": "abcdef", "1": "bc", "2": "abdeg", "3": "abcdg", "4": "bcfg", "5": "acdfg",
    "6": "acdefg", "7": "abc", "8": "abcdefg", "9": "abcdfg", "-": "g", "+": "g",
    "C": "adef", " ": "",
}


def led_text_width(s, dw, t, gap):
    widths = [t if ch in ":." else (dw * 3 // 4 if ch == "°" else dw) for ch in s]
    return sum(widths) + gap * (len(s) - 1)


def led_text(c, x, y, s, dw, dh, t, colour, gap=1, off=None, bevel=False):
    """Seven-segment text with its top-left corner at (x, y).

    Each digit is dw x dh with segments t thick. With `bevel` the segments get pointed ends
    (for large digits); otherwise they are plain bars that sit exactly on pixels, one pixel
    apart at the corners, and digits of 4 pixels or narrower get their corners filled, which
    turns them into a readable pixel font. `off` is the colour of unlit segments (None leaves
    them out).
    """
    mid = (dh - t) / 2
    corner = 0 if bevel else (t if dw <= 4 else t - 1)
    for ch in s:
        if ch in ":.":
            dots = [y + dh * 0.3 - t / 2, y + dh * 0.7 - t / 2] if ch == ":" else [y + dh - t]
            if not bevel:
                dots = [round(d) for d in dots]
            for dy in dots:
                c.rect(x, dy, x + t, dy + t, fill=colour)
            x += t + gap
            continue
        if ch == "°":
            ring = dw * 3 // 4
            if bevel:
                c.circle(x + ring / 2, y + ring / 2, ring / 2, line=colour, w=t * 0.8)
            else:
                c.rect(x, y, x + ring, y + ring, line=colour, w=t)
            x += ring + gap
            continue
        k = corner
        bars = {
            "a": (x + t - k, y, x + dw - t + k, y + t, "h"), "d": (x + t - k, y + dh - t, x + dw - t + k, y + dh, "h"),
            "g": (x + t - k, y + mid, x + dw - t + k, y + mid + t, "h"),
            "f": (x, y + t - k, x + t, y + mid + k, "v"), "b": (x + dw - t, y + t - k, x + dw, y + mid + k, "v"),
            "e": (x, y + mid + t - k, x + t, y + dh - t + k, "v"),
            "c": (x + dw - t, y + mid + t - k, x + dw, y + dh - t + k, "v"),
        }
        if ch == "+":      # a sign, not a digit: the middle bar crossed by one as long
            x0, y0, x1, y1, _ = bars["g"]
            if bevel:      # pointed ends would shrink a short cross to a diamond
                x0, x1 = x + t / 2, x + dw - t / 2
                bars["g"] = (x0, y0, x1, y1, "h")
            length = x1 - x0
            vx = x + (dw - t) / 2 if bevel else x + (dw - t) // 2
            vy = y0 + t / 2 - length / 2 if bevel else round(y0 + t / 2 - length / 2)
            bars = {"g": bars["g"], "v": (vx, vy, vx + t, vy + length, "v")}
            lit, unlit = "gv", None
        else:
            lit, unlit = SEGMENTS[ch], (None if ch == "-" else off)
        for name, (x0, y0, x1, y1, orient) in bars.items():
            colour_here = colour if name in lit else unlit
            if colour_here is None:
                continue
            if bevel:
                c.poly(_bevelled_bar(x0, y0, x1, y1, orient, t), fill=colour_here)
            else:
                c.rect(x0, y0, x1, y1, fill=colour_here)
        x += dw + gap
    return x


def _bevelled_bar(x0, y0, x1, y1, orient, t):
    h = t / 2
    g = t * 0.12
    if orient == "h":
        cy = (y0 + y1) / 2
        x0, x1 = x0 - h + g, x1 + h - g
        return [(x0, cy), (x0 + h, y0), (x1 - h, y0), (x1, cy), (x1 - h, y1), (x0 + h, y1)]
    cx = (x0 + x1) / 2
    y0, y1 = y0 - h + g, y1 + h - g
    return [(cx, y0), (x1, y0 + h), (x1, y1 - h), (cx, y1), (x0, y1 - h), (x0, y0 + h)]


def arrow_head(c, tip, direction, size, colour):
    """A filled triangle whose tip is at `tip`, pointing along `direction` ('up', 'down', ...)."""
    x, y = tip
    s = size
    pts = {
        "down": [(x, y), (x - s, y - s), (x + s, y - s)],
        "up": [(x, y), (x - s, y + s), (x + s, y + s)],
        "left": [(x, y), (x + s, y - s), (x + s, y + s)],
        "right": [(x, y), (x - s, y - s), (x - s, y + s)],
    }[direction]
    c.poly(pts, fill=colour)


def block_arrow(c, cx, y_from, y_to, colour, shaft=5, head=7):
    """A vertical block arrow from y_from to the tip at y_to."""
    down = y_to > y_from
    hy = y_to - head if down else y_to + head
    c.rect(cx - shaft / 2, min(y_from, hy), cx + shaft / 2, max(y_from, hy), fill=colour)
    c.poly([(cx - head, hy), (cx + head, hy), (cx, y_to)], fill=colour)


def curved_arrow(c, cx, cy, r, start, end, colour, w, head, at_start=False):
    """An arc from `start` to `end` degrees (clockwise) with an arrow head at `end` pointing on
    clockwise, or with `at_start` at `start` pointing back counter-clockwise."""
    c.arc(cx, cy, r, start, end, colour, w)
    a = math.radians(start if at_start else end)
    tip_x, tip_y = cx + r * math.cos(a), cy + r * math.sin(a)
    # Tangent along the direction of the head, then the head's base points.
    turn = -1 if at_start else 1
    tx, ty = -math.sin(a) * turn, math.cos(a) * turn
    nx, ny = math.cos(a), math.sin(a)
    front = (tip_x + tx * head, tip_y + ty * head)
    c.poly([front, (tip_x + nx * head, tip_y + ny * head), (tip_x - nx * head, tip_y - ny * head)], fill=colour)


def gear(c, cx, cy, r_out, r_in, hole, teeth, fill, line, w):
    pts = []
    step = 2 * math.pi / teeth
    for i in range(teeth):
        a = i * step
        for da, r in ((-0.30, r_in), (-0.17, r_out), (0.17, r_out), (0.30, r_in)):
            pts.append((cx + r * math.cos(a + da * step * 2), cy + r * math.sin(a + da * step * 2)))
    mask = c.new_mask()
    mask.poly(pts, fill=255)
    mask.circle(cx, cy, r_in, fill=255)
    mask.circle(cx, cy, hole, fill=0)
    c.shape(mask, fill, line, w)


def sun(c, cx, cy, r, ray_from, ray_to, fill=YELLOW, line=ORANGE_DARK, ray=ORANGE, w=1, ray_w=2):
    for i in range(8):
        a = math.radians(i * 45)
        c.stroke([(cx + ray_from * math.cos(a), cy + ray_from * math.sin(a)),
                  (cx + ray_to * math.cos(a), cy + ray_to * math.sin(a))], ray, ray_w)
    c.circle(cx, cy, r, fill=fill, line=line, w=w)


def crescent(c, cx, cy, r, fill=MOON, line=MOON_DARK, w=1):
    mask = c.new_mask()
    mask.circle(cx, cy, r, fill=255)
    mask.circle(cx + r * 0.55, cy - r * 0.35, r * 0.8, fill=0)
    c.shape(mask, fill, line, w)


def star(c, cx, cy, r, colour):
    c.poly([(cx, cy - r), (cx + r * 0.3, cy - r * 0.3), (cx + r, cy), (cx + r * 0.3, cy + r * 0.3),
            (cx, cy + r), (cx - r * 0.3, cy + r * 0.3), (cx - r, cy), (cx - r * 0.3, cy - r * 0.3)], fill=colour)


def clock_face(c, cx, cy, r, w, face=PAPER, rim=INK, hands=INK, ticks=True):
    c.circle(cx, cy, r, fill=face, line=rim, w=w)
    if ticks:
        for i in range(4):
            a = math.radians(i * 90)
            c.stroke([(cx + (r - w - r * 0.12) * math.cos(a), cy + (r - w - r * 0.12) * math.sin(a)),
                      (cx + (r - w - r * 0.02) * math.cos(a), cy + (r - w - r * 0.02) * math.sin(a))],
                     STEEL_DARK, w * 0.6, caps=False)
    c.stroke([(cx, cy), (cx, cy - r * 0.62)], hands, w * 0.8)            # minute hand at 12
    c.stroke([(cx, cy), (cx + r * 0.45, cy + r * 0.12)], hands, w * 0.9)  # hour hand near 3
    c.circle(cx, cy, w * 0.7, fill=RED)


def document(c, x0, y0, x1, y1, line, w=1, lines=True):
    c.rect(x0, y0, x1, y1, fill=PAPER, line=line, w=w)
    if lines:
        y = y0 + 3
        while y + 1 <= y1 - 2:
            c.rect(x0 + 2, y, x1 - 2, y + 1, fill=STEEL)
            y += 2.5


def led_board(c, x0, y0, x1, y1, text, dw, dh, t, colour=LED_RED, r=2, rim=BOARD_RIM, w=1, off=None, bevel=False):
    """A dark board housing with seven-segment text centred in it."""
    c.rect(x0, y0, x1, y1, fill=BOARD, line=rim, w=w, r=r)
    gap = max(1, round(t))
    width = led_text_width(text, dw, t, gap)
    led_text(c, round((x0 + x1 - width) / 2), round((y0 + y1 - dh) / 2), text, dw, dh, t, colour, gap, off, bevel)


def pc(c):
    """A desktop computer: monitor on a stand and a keyboard (32-unit grid)."""
    c.rect(2, 3, 30, 22, fill=STEEL_LIGHT, line=INK, w=1.5, r=2)
    c.rect(4.5, 5.5, 27.5, 19.5, fill=SKY)
    c.rect(6, 7, 16, 9, fill=(210, 235, 255))
    c.poly([(13, 22), (19, 22), (20, 26), (12, 26)], fill=STEEL_DARK)
    c.rect(7, 26, 25, 28.5, fill=INK, r=1)


# ---------------------------------------------------------------------------------------------
# Toolbar icons (32 x 32): the image lists ImageList32x32 / ...H / ...D, 17 images
# ---------------------------------------------------------------------------------------------

def icon_serial(c):
    c.rect(1.5, 7, 30.5, 21, fill=STEEL_LIGHT, line=STEEL_DARK, w=1.5, r=2)
    for x in (5, 27):
        c.circle(x, 14, 1.8, fill=STEEL_DARK)
    c.poly([(8, 9.5), (24, 9.5), (22.3, 18.5), (9.7, 18.5)], fill=INK)
    for i in range(5):
        c.circle(10.8 + i * 2.6, 12.3, 1.0, fill=GOLD)
    for i in range(4):
        c.circle(12.1 + i * 2.6, 15.9, 1.0, fill=GOLD)
    c.rect(11.5, 21, 20.5, 25, fill=STEEL, r=1)
    c.rect(14, 25, 18, 31, fill=BLUE_DARK)


def icon_usb(c):
    col = BLUE
    c.stroke([(16, 26), (16, 8)], col, 2.6, caps=False)
    c.poly([(16, 2), (21, 9), (11, 9)], fill=col)
    c.circle(16, 26.5, 3.4, fill=col)
    c.stroke([(16, 21), (9, 16.5), (9, 12)], col, 2.2)
    c.circle(9, 10.5, 2.6, fill=col)
    c.stroke([(16, 18), (23, 14), (23, 11)], col, 2.2)
    c.rect(20.5, 6.5, 25.5, 11.5, fill=col)


def icon_tcp(c):
    c.circle(16, 16, 13.5, fill=SKY, line=BLUE_DARK, w=1.5)
    light = (235, 246, 255)
    c.ellipse(10.5, 3.5, 21.5, 28.5, line=light, w=1.3)
    c.rect(15.35, 3, 16.65, 29, fill=light)
    c.rect(3, 15.35, 29, 16.65, fill=light)
    for y in (9.5, 22.5):
        half = math.sqrt(12.2 ** 2 - (y - 16) ** 2)
        c.rect(16 - half, y - 0.6, 16 + half, y + 0.6, fill=light)
    c.circle(16, 16, 13.5, line=BLUE_DARK, w=1.5)


def icon_gsm(c):
    c.rect(19, 1.5, 21.5, 7, fill=INK, r=1)
    c.rect(9, 5, 23, 30.5, fill=INK, r=3)
    c.rect(11, 8, 21, 17, fill=SKY, r=1)
    c.rect(12, 9, 17, 11, fill=(210, 235, 255))
    for row in range(3):
        for col in range(3):
            x, y = 11.5 + col * 3.5, 19.5 + row * 3.5
            c.rect(x, y, x + 2, y + 2, fill=STEEL_LIGHT)


def icon_radio(c):
    c.arc(16, 9, 6, 135, 225, BLUE, 2)
    c.arc(16, 9, 6, -45, 45, BLUE, 2)
    c.arc(16, 9, 11, 140, 220, BLUE, 2)
    c.arc(16, 9, 11, -40, 40, BLUE, 2)
    c.stroke([(16, 10), (9, 30)], INK, 2)
    c.stroke([(16, 10), (23, 30)], INK, 2)
    c.stroke([(12.4, 20), (19.6, 20)], INK, 1.6)
    c.stroke([(11, 25), (21, 25)], INK, 1.6)
    c.circle(16, 9, 3, fill=RED, line=RED_DARK, w=1)


def icon_settings(c):
    gear(c, 16, 16, 14.5, 11, 4.5, 8, STEEL, INK, 1.5)


def icon_help(c):
    c.circle(16, 16, 14, fill=BLUE, line=BLUE_DARK, w=1)
    c.text(16.3, 16.5, "?", 21, PAPER)


def icon_about(c):
    c.circle(16, 16, 14, fill=TEAL, line=(0, 100, 96), w=1)
    c.circle(16, 9, 2.2, fill=PAPER)
    c.rect(14, 13, 18, 24.5, fill=PAPER, r=0.5)


def icon_time(c):
    clock_face(c, 13, 19, 11.5, 2)
    sun(c, 25.5, 6.5, 3.6, 4.8, 6.2, ray_w=1.5)


def icon_network(c):
    for i, h in enumerate((7, 12, 17, 23)):
        x = 4 + i * 6.5
        c.rect(x, 29 - h, x + 5, 29, fill=GREEN, line=GREEN_DARK, w=1, r=0.8)


def _mini_board(c):
    led_board(c, 2.5, 2, 29.5, 14, "12:30", 3, 5, 1, r=2)


def icon_read(c):
    _mini_board(c)
    block_arrow(c, 16, 15.5, 30.5, BLUE, shaft=6, head=7.5)


def icon_write(c):
    _mini_board(c)
    block_arrow(c, 16, 30.5, 15.5, ORANGE, shaft=6, head=7.5)


def icon_calendar(c):
    c.rect(3.5, 5.5, 28.5, 29.5, fill=PAPER, line=INK, w=1.5, r=2)
    c.rect(3.5, 5.5, 28.5, 12, fill=RED, r=2)
    c.rect(3.5, 9, 28.5, 12, fill=RED)
    for x in (9, 21):
        c.rect(x, 2.5, x + 2.5, 8.5, fill=INK, r=1)
    for row in range(3):
        for col in range(4):
            x, y = 7 + col * 5, 14.5 + row * 4.5
            c.rect(x, y, x + 3, y + 3, fill=RED if (row, col) == (1, 2) else STEEL)


def icon_thermometer(c):
    c.rect(12.5, 2.5, 19.5, 24, fill=PAPER, line=INK, w=1.5, r=3.5)
    c.circle(16, 24.5, 5.8, fill=RED, line=INK, w=1.5)
    c.rect(14.6, 9, 17.4, 25, fill=RED)
    for y in (6, 10, 14, 18):
        c.rect(21, y, 24.5, y + 1.2, fill=INK)


def icon_brightness(c):
    sun(c, 16, 16, 7.5, 10.5, 14, ray_w=2.5)


def icon_board(c):
    for x in (8, 22):
        c.rect(x, 23, x + 2.5, 30.5, fill=STEEL_DARK)
    led_board(c, 1.5, 5, 30.5, 24, "12:30", 4, 9, 1, r=2.5, w=1.5)


def icon_interval(c):
    c.rect(13.5, 1.5, 18.5, 4.5, fill=INK, r=1)
    c.rect(15, 4, 17, 7, fill=INK)
    c.stroke([(25, 7.5), (27, 9.5)], INK, 2.2)
    c.circle(16, 18, 12.5, fill=PAPER, line=INK, w=2)
    c.pie(16, 18, 9.2, -90, 30, ORANGE)
    c.stroke([(16, 18), (23.9, 22.6)], INK, 1.6)
    c.stroke([(16, 18), (16, 8.8)], INK, 1.6)
    c.circle(16, 18, 1.6, fill=INK)


TOOLBAR = [
    # index, drawing, what the image stands for and where it is shown
    (0, icon_serial, "serial port, interface 0 (`tbInterface`, `ImageCOM`): a 9-pin connector"),
    (1, icon_usb, "USB adapter, interface 1 (`tbInterface`, `ImageFTD`): the USB trident"),
    (2, icon_tcp, "TCP, interface 2 (`tbInterface`, `ImageTCP`): a network globe"),
    (3, icon_gsm, "GSM modem, interface 3 (`tbInterface`, `ImageSIM`, `ImageCSD`): a handset"),
    (4, icon_radio, "radio module, interface 4 (`tbInterface`, `ImageRFM`): a mast with waves"),
    (5, icon_settings, "settings (`tbSett`): a gear"),
    (6, icon_help, "help (`tbHelp`): a question mark"),
    (7, icon_about, "about (`tbAbout`); its grey copy is the first picture of `ImageNet` (GSM window)"),
    (8, icon_time, "time and brightness (`tbTime`): a clock with a sun"),
    (9, icon_network, "GSM network (`ImageNet`): signal bars; the grey copy: network not found"),
    (10, icon_read, "spare: read the board (a board, an arrow out of it)"),
    (11, icon_write, "spare: write the board (a board, an arrow into it)"),
    (12, icon_calendar, "spare: date (a calendar)"),
    (13, icon_thermometer, "spare: temperature (a thermometer)"),
    (14, icon_brightness, "spare: brightness (a sun)"),
    (15, icon_board, "spare: the LED board"),
    (16, icon_interval, "interval (`ImageInterval`): a stopwatch"),
]


def draw_toolbar_lists():
    for scale, suffix in SCALES:
        draw_toolbar_list_set(scale, suffix)


def draw_toolbar_list_set(scale, suffix):
    px = round(32 * scale)
    his = [render(fn, 32, scale=scale) for _, fn, _ in TOOLBAR]
    items = [(i, meaning) for i, _, meaning in TOOLBAR] if scale == 1 else ()
    layout = scaled_layout(f"{len(TOOLBAR)} images of 32 x 32", scale)
    for name, state, use, listed in (
            ("toolbar32.bmp", lambda hi: hi, "`ImageList32x32`: toolbars, `ImageInterval`, settings pages, GSM window", items),
            ("toolbar32_hot.bmp", as_hot, "`ImageList32x32H`: hot toolbar buttons (brighter); indexes as toolbar32.bmp", ()),
            ("toolbar32_disabled.bmp", as_disabled, "`ImageList32x32D`: disabled and dimmed pictures (grey); indexes as toolbar32.bmp", ())):
        strip = hstack([keyed(shrink(state(hi), px, px)) for hi in his])
        save_bmp(strip, RESOURCES / scaled_name(name, suffix), layout, use, listed)


def draw_interface_lists():
    """ImageListGlInterface of the settings dialog: the five interface pictures as 4-frame strips."""
    for scale, suffix in SCALES:
        strip = hstack([four_frame_strip(fn, 32, scale=scale) for _, fn, _ in TOOLBAR[:5]])
        save_bmp(strip, RESOURCES / scaled_name("interfaces32.bmp", suffix),
                 scaled_layout("5 images, each a 4-frame strip of 32 x 32 (128 x 32)", scale),
                 "`ImageListGlInterface`: items of the settings dialog's interface list",
                 [(i, meaning) for i, _, meaning in TOOLBAR[:5]] if scale == 1 else ())


# ---------------------------------------------------------------------------------------------
# Mode pictures (ImageListZVL_Modes): an LED board showing what the mode shows
# ---------------------------------------------------------------------------------------------

def _mode_panel(c):
    c.rect(1, 3, 31, 29, fill=BOARD, line=BOARD_RIM, w=1, r=3)


def mode_time(c):
    _mode_panel(c)
    led_text(c, 4, 10, "12:30", 5, 11, 1, LED_RED, gap=1)


def mode_time_temperature(c):
    _mode_panel(c)
    led_text(c, 5, 6, "12:30", 4, 7, 1, LED_RED)
    led_text(c, 9, 18, "+21°", 4, 7, 1, LED_AMBER)


def mode_time_date_temperature(c):
    _mode_panel(c)
    led_text(c, 7, 5, "12:30", 3, 5, 1, LED_RED)
    led_text(c, 7, 13, "01.06", 3, 5, 1, LED_GREEN)
    led_text(c, 9, 21, "+21°", 3, 5, 1, LED_AMBER)


def mode_temperature(c):
    _mode_panel(c)
    led_text(c, 5, 9, "21°", 7, 14, 2, LED_AMBER, gap=2)


MODES = [
    ("mode1.bmp", mode_time, "`ImageListZVL_Modes` 0, «Время»: the time"),
    ("mode2.bmp", mode_time_temperature, "`ImageListZVL_Modes` 1, «Время/Температура»: time over temperature"),
    ("mode3.bmp", mode_time_date_temperature, "`ImageListZVL_Modes` 2, «Время/Дата/Температура»: time, date, temperature"),
    ("mode4.bmp", mode_temperature, "`ImageListZVL_Modes` 3, «Температура»: the temperature"),
]


# ---------------------------------------------------------------------------------------------
# Button glyphs (24 x 24), check marks, menu item pictures and system menu pictures (16 x 16)
# ---------------------------------------------------------------------------------------------

def glyph_read(c):
    led_board(c, 1, 1, 23, 11, "12:30", 3, 5, 1, r=1.5)
    block_arrow(c, 12, 12, 23, BLUE, shaft=4, head=5.5)


def glyph_write(c):
    led_board(c, 1, 1, 23, 11, "12:30", 3, 5, 1, r=1.5)
    block_arrow(c, 12, 23, 12, ORANGE, shaft=4, head=5.5)


def glyph_ok(c):
    c.stroke([(4, 12.5), (9.5, 18), (20, 6)], GREEN, 3.6)


def glyph_cancel(c):
    c.stroke([(5.5, 5.5), (18.5, 18.5)], RED, 3.6)
    c.stroke([(18.5, 5.5), (5.5, 18.5)], RED, 3.6)


def glyph_default(c):
    curved_arrow(c, 12, 12, 7.5, 50, 310, BLUE, 2.8, 3.8)
    c.circle(12, 12, 2, fill=BLUE_DARK)


GLYPHS24 = [
    ("glyph_read.bmp", glyph_read, "`SpeedButtonGet` «Прочитать»: a board, an arrow out of it"),
    ("glyph_write.bmp", glyph_write, "`SpeedButtonSet` «Установить»: a board, an arrow into it"),
    ("glyph_ok.bmp", glyph_ok, "`BitBtnOK` of every window: a green tick"),
    ("glyph_cancel.bmp", glyph_cancel, "`BitBtnCancel` «Отменить» (and «Отмена»): a red cross"),
    ("glyph_default.bmp", glyph_default, "`BitBtnDefault` «По умолчанию»: a reset arrow"),
]


def check_box(c, checked):
    c.rect(2, 2, 14, 14, fill=PAPER, line=INK, w=1, r=1.5)
    if checked:
        c.stroke([(4.6, 8.2), (7, 10.6), (11.6, 5.2)], BLUE_DARK, 2)


def menu_undo(c):
    curved_arrow(c, 8.5, 10, 5, 180, 360, BLUE, 1.8, 2.8, at_start=True)
    c.stroke([(13.5, 10), (13.5, 12.5)], BLUE, 1.8)


def menu_delete(c):
    c.stroke([(4, 4), (12, 12)], RED, 2.4)
    c.stroke([(12, 4), (4, 12)], RED, 2.4)


def menu_cut(c):
    c.stroke([(6.5, 10), (11, 1.5)], STEEL_DARK, 1.5)
    c.stroke([(9.5, 10), (5, 1.5)], STEEL_DARK, 1.5)
    c.circle(4.8, 12.2, 2.5, line=RED, w=1.4)
    c.circle(11.2, 12.2, 2.5, line=RED, w=1.4)


def menu_copy(c):
    document(c, 1.5, 1, 10.5, 12, INK)
    document(c, 5.5, 4, 14.5, 15, BLUE_DARK)


def menu_paste(c):
    c.rect(1.5, 2.5, 12.5, 15, fill=BROWN, line=BROWN_DARK, w=1, r=1)
    c.rect(4.5, 1, 9.5, 4.5, fill=STEEL_DARK, r=1)
    document(c, 6.5, 6, 14.5, 15, BLUE_DARK)


def menu_select_all(c):
    for i in range(0, 12, 2):
        for x0, y0 in ((2 + i, 2), (3 + i, 13), (2, 3 + i), (13, 2 + i)):
            c.rect(x0, y0, x0 + 1, y0 + 1, fill=INK)
    c.rect(5, 5, 11, 11, fill=BLUE_LIGHT, line=BLUE, w=1)


def menu_refresh(c):
    curved_arrow(c, 8, 8, 5, 195, 320, GREEN, 1.8, 2.8)
    curved_arrow(c, 8, 8, 5, 15, 140, GREEN, 1.8, 2.8)


def menu_settings(c):
    gear(c, 8, 8, 7.5, 5.2, 2.3, 8, STEEL, INK, 1)


def menu_default(c):
    curved_arrow(c, 8, 8, 5, 50, 310, BLUE, 1.8, 2.6)
    c.circle(8, 8, 1.3, fill=BLUE_DARK)


def menu_clock(c):
    clock_face(c, 8, 8, 6.8, 1.2, ticks=False)


MENU16 = [
    (0, menu_undo, "spare: undo"),
    (1, menu_delete, "spare: delete"),
    (2, menu_cut, "cut «Вырезать» (`miCut`, and the settings dialog's pop-up)"),
    (3, menu_copy, "copy «Копировать» (`miCopy`, and the settings dialog's pop-up)"),
    (4, menu_paste, "paste «Вставить» (`miPaste`, and the settings dialog's pop-up)"),
    (5, menu_select_all, "spare: select all"),
    (6, menu_refresh, "spare: refresh"),
    (7, menu_settings, "spare: settings"),
    (8, menu_default, "defaults «По умолчанию» (the settings dialog's pop-up)"),
    (9, menu_clock, "set the current date and time (`miSetCurrent`): a clock"),
]


def sys_restore(c):
    c.rect(5, 1, 15, 10, line=INK, w=1)
    c.rect(5, 1, 15, 3, fill=INK)
    c.rect(1, 6, 11, 15, fill=PAPER, line=INK, w=1)
    c.rect(1, 6, 11, 8, fill=BLUE)


def sys_move(c):
    c.rect(7, 3, 9, 13, fill=INK)
    c.rect(3, 7, 13, 9, fill=INK)
    for tip, d in (((8, 0.5), "up"), ((8, 15.5), "down"), ((0.5, 8), "left"), ((15.5, 8), "right")):
        arrow_head(c, tip, d, 3.5, INK)


def sys_minimize(c):
    c.rect(3, 11, 13, 14, fill=INK)


def sys_maximize(c):
    c.rect(2, 2, 14, 14, fill=PAPER, line=INK, w=1)
    c.rect(2, 2, 14, 5, fill=BLUE)
    c.rect(2, 2, 14, 14, line=INK, w=1)


def sys_close(c):
    c.stroke([(4, 4), (12, 12)], RED, 2.2)
    c.stroke([(12, 4), (4, 12)], RED, 2.2)


SYSMENU = [
    ("sys_restore.bmp", sys_restore, "`IDB_RESTORE`: two windows"),
    ("sys_move.bmp", sys_move, "`IDB_MOVE`: a four-way arrow"),
    ("sys_minimize.bmp", sys_minimize, "`IDB_MINIMIZE`: a bar"),
    ("sys_maximize.bmp", sys_maximize, "`IDB_MAXIMIZE`: a window"),
    ("sys_close.bmp", sys_close, "`IDB_CLOSE`: a red cross"),
]


def frames(size):
    return f"4 frames of {size} x {size}"


def draw_strips():
    for scale, suffix in SCALES:
        draw_strip_set(scale, suffix)


def draw_strip_set(scale, suffix):
    def save(strip, name, layout, use, items=()):
        save_bmp(strip, RESOURCES / scaled_name(name, suffix), scaled_layout(layout, scale), use,
                 items if scale == 1 else ())

    for name, fn, use in MODES:
        save(four_frame_strip(fn, 32, scale=scale), name, frames(32), use)
    for name, fn, use in GLYPHS24:
        save(four_frame_strip(fn, 24, scale=scale), name, frames(24), use)
    save(four_frame_strip(lambda c: check_box(c, True), 16, scale=scale), "check_checked.bmp", frames(16),
         "`ImageListGlChecked` picture 0: a ticked box (checked menu items)")
    save(four_frame_strip(lambda c: check_box(c, False), 16, scale=scale), "check_unchecked.bmp", frames(16),
         "`ImageListGlUnchecked` picture 0: an empty box (unchecked auto-check items)")
    save(hstack([four_frame_strip(fn, 16, scale=scale) for _, fn, _ in MENU16]), "menu16.bmp",
         f"{len(MENU16)} images, each a 4-frame strip of 16 x 16 (64 x 16)",
         "`ImageListGl16x16`: pictures of owner-drawn menu items", [(i, m) for i, _, m in MENU16])
    save(four_frame_strip(menu_copy, 16, scale=scale), "glyph_copy64.bmp", frames(16),
         "`ImageListGlStandart` of the about window, picture 0: copy (as menu16.bmp image 3)")
    for name, fn, use in SYSMENU:
        save(four_frame_strip(fn, 16, scale=scale), name, frames(16), use)


# ---------------------------------------------------------------------------------------------
# Pictures of the time and brightness dialog: the four parts of the day, the brightness icon
# ---------------------------------------------------------------------------------------------

PANEL_DAY = (255, 255, 0)       # the morning and day panels are yellow
PANEL_NIGHT = (50, 50, 50)      # the evening and night panels are dark grey


def _small_chevron(c, x, y, colour):
    c.stroke([(x, y - 3), (x + 3, y), (x, y + 3)], colour, 1.5)


def period_morning(c):
    crescent(c, 9.5, 16, 7.5)
    _small_chevron(c, 19.5, 16, STEEL_DARK)
    sun(c, 36.5, 16, 6, 8.3, 11, ray_w=2)


def period_day(c):
    sun(c, 16, 16, 7.5, 10.5, 14.5, ray_w=2.2)


def period_evening(c):
    sun(c, 13.5, 16, 6, 8.3, 11, ray_w=2)
    _small_chevron(c, 28, 16, STEEL_LIGHT)
    crescent(c, 40.5, 16, 7.5)


def period_night(c):
    crescent(c, 14, 17, 11, w=1.2)
    star(c, 25.5, 6.5, 4, MOON)
    star(c, 27, 16.5, 2.5, MOON)


def brightness_icon(c):
    for i in range(8):
        a = math.radians(i * 45)
        c.stroke([(16 + 11 * math.cos(a), 16 + 11 * math.sin(a)), (16 + 14 * math.cos(a), 16 + 14 * math.sin(a))], INK, 2.2)
    c.circle(16, 16, 8, fill=PAPER, line=INK, w=1.6)
    c.pie(16, 16, 8, -90, 90, INK)


PERIODS = [
    # file, drawing, width, the panel colour it sits on (its edges are blended with it), use
    ("period_morning.bmp", period_morning, 50, PANEL_DAY, "`ImageM` (yellow panel): moon turning into sun"),
    ("period_day.bmp", period_day, 32, PANEL_DAY, "`ImageA` (yellow panel): sun"),
    ("period_evening.bmp", period_evening, 50, PANEL_NIGHT, "`ImageE` (dark panel): sun turning into moon"),
    ("period_night.bmp", period_night, 32, PANEL_NIGHT, "`ImageN`, `ImageN1` (dark panel): moon and stars"),
    ("brightness32.bmp", brightness_icon, 32, FACE, "`ImageBright`: the brightness symbol"),
]


def draw_periods():
    for scale, suffix in SCALES:
        for name, fn, width, backdrop, use in PERIODS:
            hi = render(fn, width, 32, scale)
            small = shrink(hi, round(width * scale), round(32 * scale))
            save_bmp(keyed(small, backdrop), RESOURCES / scaled_name(name, suffix), scaled_layout("one picture", scale), use)


HOUR_PX = 30  # the time line's scale: hour h starts at 30 * h pixels


def draw_hours_scales():
    for scale, suffix in SCALES:
        draw_hours_scale(scale, suffix)


def draw_hours_scale(scale, suffix):
    """The hours under the time line, drawn pixel-exact (no supersampling): a rule along the top,
    a 2 px tick at 30 * h for h = 0..24, and the number h under each tick but the last; at 1.5
    and 2 times every measure is scaled and rounded to whole pixels, so ticks stay sharp."""
    hour, tick = round(HOUR_PX * scale), round(2 * scale)
    width, height = 24 * hour + tick, round(30 * scale)
    image = Image.new("RGB", (width, height), FACE)
    d = ImageDraw.Draw(image)
    d.rectangle([0, 0, width - 1, round(scale) - 1], fill=INK)
    digits = font("sans", round(12 * scale))
    for h in range(25):
        x = h * hour
        d.rectangle([x, 0, x + tick - 1, round(7 * scale) - 1], fill=INK)
        if h == 0:  # the first number would be cut at the picture's edge if centred
            d.text((x, round(8 * scale)), "0", font=digits, fill=INK, anchor="lt")
        elif h < 24:
            d.text((x + tick // 2, round(8 * scale)), str(h), font=digits, fill=INK, anchor="mt")
    save_bmp(image, RESOURCES / scaled_name("hours.bmp", suffix), scaled_layout("one picture", scale),
             f"`ImageHours`: the hours 0 to 23, {hour} px apart", key=False)


# ---------------------------------------------------------------------------------------------
# The program icon
# ---------------------------------------------------------------------------------------------

def program_icon(size):
    """An LED board on two legs showing a time; drawn separately per size so digits stay crisp."""
    c = Canvas(size, size)
    if size >= 48:
        for x in (12, 33):
            c.rect(x, 34, x + 3, 46, fill=STEEL_DARK)
        led_board(c, 1, 7, 47, 36, "12:30", 7, 15, 2, r=4, w=2, off=LED_UNLIT)
    elif size >= 32:
        for x in (8, 22):
            c.rect(x, 22, x + 2, 31, fill=STEEL_DARK)
        led_board(c, 0.5, 5, 31.5, 24, "12:30", 5, 11, 1, r=3, w=1, off=LED_UNLIT)
    else:
        for x in (4, 11):
            c.rect(x, 12, x + 1, 16, fill=STEEL_DARK)
        c.rect(0, 2, 16, 13, fill=BOARD, line=BOARD_RIM, w=1, r=1.5)
        led_text(c, 2, 4, "12", 4, 7, 1, LED_RED)    # the lit part of "12" is centred
    return c.shrink()


# ---------------------------------------------------------------------------------------------
# Maker's logo, the about picture and the connection schemes
# ---------------------------------------------------------------------------------------------

def logo_mark(c, cx, cy, r, dot):
    """Our maker's mark: a ring of eight LED dots with a brighter one at twelve o'clock."""
    for i in range(8):
        a = math.radians(i * 45 - 90)
        c.circle(cx + r * math.cos(a), cy + r * math.sin(a), dot, fill=LED_RED if i else ORANGE)
    c.circle(cx, cy, dot * 1.2, fill=LED_RED)


def draw_logo_strips():
    """IDB_ABOUT: four 120 x 24 frames of the maker's logo for the main window's system menu."""
    def logo(c):
        logo_mark(c, 12, 12, 7.5, 2)
        c.text(26, 12.5, MAKER, 13, INK, anchor="lm")
    for scale, suffix in SCALES:
        hi = render(logo, 120, 24, scale)
        # No white rim in the highlighted frame: the dark lettering reads well on the red bar.
        states = (FOUR_STATES[0], FOUR_STATES[1], as_hot, FOUR_STATES[3])
        strip = hstack([keyed(shrink(state(hi), round(120 * scale), round(24 * scale))) for state in states])
        save_bmp(strip, RESOURCES / scaled_name("sys_about.bmp", suffix), scaled_layout("4 frames of 120 x 24", scale),
                 "`IDB_ABOUT`: the maker's logo (about item of the system menu)")


def draw_manufacturer():
    c = Canvas(200, 38, ss=4)
    c.rect(0, 0, 200, 38, fill=FACE)
    logo_mark(c, 19, 19, 13, 2.2)
    c.text(40, 16, MAKER, 21, INK, anchor="lm")
    c.text(41, 30, MAKER_TAGLINE, 10, STEEL_DARK, kind="sans", anchor="lm")
    save_bmp(flat(c.shrink()), PROGRAM_DIR / "Manufacturer.bmp", "one picture", "`ImageManufacturer` of the about window: the maker's logo", key=False)


def draw_about():
    c = Canvas(200, 220, ss=4)
    c.rect(0, 0, 200, 220, fill=FACE)
    # Post and base.
    c.rect(91, 140, 109, 208, fill=STEEL, line=STEEL_DARK, w=1.5)
    c.rect(58, 205, 142, 214, fill=STEEL_DARK, r=3)
    # Housing with its screen.
    c.rect(6, 12, 194, 148, fill=BOARD, line=BOARD_RIM, w=3, r=8)
    c.rect(14, 20, 186, 140, fill=(12, 12, 14), r=4)
    dim_red, dim_green, dim_amber = (40, 16, 16), (14, 34, 18), (40, 30, 10)
    led_text(c, 25, 30, "12:30", 29, 50, 6, LED_RED, gap=7, off=dim_red, bevel=True)
    led_text(c, 27, 98, "01.06", 14, 28, 3.5, LED_GREEN, gap=4, off=dim_green, bevel=True)
    led_text(c, 112, 98, "+21°", 14, 28, 3.5, LED_AMBER, gap=4, off=dim_amber, bevel=True)
    # Mounting bolts.
    for x, y in ((14, 144), (186, 144), (14, 16), (186, 16)):
        c.circle(x, y, 1.8, fill=STEEL)
    save_bmp(flat(c.shrink()), PROGRAM_DIR / "About.bmp", "one picture", "`ImageAbout` of the about window: an LED board showing 12:30", key=False)


# A scheme is a row of devices joined by links, grouped by where they stand, with a title and a
# note. node: (drawing, label, sub-label); link: (kind "wire" or "air", label above, label below);
# group: (first node, last node, caption).
OPERATOR, SITE = "Рабочее место оператора", "Место установки табло"

SCHEMES = [
    dict(title="Подключение через COM порт",
         nodes=[(pc, "Компьютер", "COM порт"), (icon_board, "Табло", "контроллер табло")],
         links=[("wire", "кабель RS-232 (DB-9)", "длина до 15 м")],
         groups=[(0, 0, OPERATOR), (1, 1, SITE)],
         note="Номер COM порта и его скорость задаются в окне «Настройки»."),
    dict(title="Подключение через USB адаптер",
         nodes=[(pc, "Компьютер", "USB порт"), (icon_usb, "USB адаптер", "USB – RS-232"),
                (icon_board, "Табло", "контроллер табло")],
         links=[("wire", "кабель USB", "до 5 м"), ("wire", "RS-232", "до 15 м")],
         groups=[(0, 1, OPERATOR), (2, 2, SITE)],
         note="Драйвер USB адаптера устанавливается из окна «Настройки»."),
    dict(title="Подключение по сети TCP/IP",
         nodes=[(pc, "Компьютер", "сетевая карта"), (icon_tcp, "Сеть", "локальная / Интернет"),
                (icon_board, "Табло", "сетевой адаптер")],
         links=[("wire", "Ethernet", ""), ("wire", "Ethernet", "")],
         groups=[(0, 0, OPERATOR), (2, 2, SITE)],
         note="IP адрес и порт табло задаются в окне «Настройки»."),
    dict(title="Подключение через GSM модемы",
         nodes=[(pc, "Компьютер", "USB порт"), (icon_gsm, "Ведущий", "GSM модем"),
                (icon_network, "Сеть GSM", "канал CSD"), (icon_gsm, "Ведомый", "GSM модем"),
                (icon_board, "Табло", "контроллер")],
         links=[("wire", "USB", ""), ("air", "", ""), ("air", "", ""), ("wire", "RS-232", "")],
         groups=[(0, 1, OPERATOR), (3, 4, SITE)],
         note="Номера SIM карт ведомых модемов задаются в окне «Настройки»."),
    dict(title="Подключение через радиомодули",
         nodes=[(pc, "Компьютер", "USB порт"), (icon_radio, "Радиомодуль", "ведущий"),
                (icon_radio, "Радиомодуль", "у табло"), (icon_board, "Табло", "контроллер")],
         links=[("wire", "USB", ""), ("air", "", ""), ("wire", "RS-232", "")],
         groups=[(0, 1, OPERATOR), (2, 3, SITE)],
         note="Номер радиоканала и скорость задаются в окне «Настройки»."),
]


def _scheme_link(c, kind, x0, x1, cy, above, below):
    mid = (x0 + x1) / 2
    if kind == "wire":
        c.rect(x0, cy - 1.5, x1, cy + 1.5, fill=INK)
        for x in (x0, x1):
            c.rect(x - 3, cy - 4, x + 3, cy + 4, fill=STEEL_DARK, r=1)
    else:
        x = x0
        while x < x1:
            c.rect(x, cy - 1.25, min(x + 7, x1), cy + 1.25, fill=BLUE)
            x += 12
        c.rect(mid - 16, cy - 14, mid + 16, cy + 14, fill=(255, 255, 255))
        for r in (6, 12):
            c.arc(mid, cy, r, -40, 40, BLUE, 2)
            c.arc(mid, cy, r, 140, 220, BLUE, 2)
        c.circle(mid, cy, 2.5, fill=BLUE)
    for text, y, colour in ((above, cy - 24, INK), (below, cy + 24, STEEL_DARK)):
        if text:    # on a white ground, so that it may cross the border of a group
            half = c.text_width(text, 12, "sans") / 2 + 4
            c.rect(mid - half, y - 9, mid + half, y + 9, fill=(255, 255, 255), r=3)
            c.text(mid, y, text, 12, colour, kind="sans")


def fit(c, text, px, kind, width):
    if c.text_width(text, px, kind) > width:
        raise SystemExit(f"draw_artwork: the text {text!r} is wider than its {width:.0f} px")


def draw_scheme(index, title, nodes, links, groups, note):
    W, H = 600, 400
    c = Canvas(W, H, ss=4)
    c.rect(0, 0, W, H, fill=FACE)
    c.rect(6, 6, W - 6, H - 6, fill=(255, 255, 255), line=(200, 206, 214), w=1, r=8)
    c.text(W / 2, 34, title, 20, INK)
    c.rect(40, 56, W - 40, 57.5, fill=(220, 224, 230))

    icon, cy = 72, 182
    slot = (W - 40) / len(nodes)
    centres = [20 + slot * (i + 0.5) for i in range(len(nodes))]
    for first, last, caption in groups:
        x0, x1 = 20 + slot * first + 6, 20 + slot * (last + 1) - 6
        c.rect(x0, 72, x1, 296, fill=(244, 247, 251), line=(214, 220, 230), w=1, r=8)
        fit(c, caption, 11, "sans", x1 - x0 - 8)
        c.text((x0 + x1) / 2, 90, caption, 11, STEEL_DARK, kind="sans")
    for i, (kind, above, below) in enumerate(links):
        x0, x1 = centres[i] + icon / 2 + 6, centres[i + 1] - icon / 2 - 6
        _scheme_link(c, kind, x0, x1, cy, above, below)
    for x, (drawing, label, sub) in zip(centres, nodes):
        c.place(drawing, x - icon / 2, cy - icon / 2, icon)
        fit(c, label, 14, "bold", slot - 4)
        fit(c, sub, 12, "sans", slot - 4)
        c.text(x, cy + icon / 2 + 22, label, 14, INK)
        c.text(x, cy + icon / 2 + 41, sub, 12, STEEL_DARK, kind="sans")

    c.rect(40, 316, W - 40, 360, fill=(236, 244, 252), line=BLUE_LIGHT, w=1, r=6)
    c.place(icon_about, 52, 326, 24)
    fit(c, note, 13, "sans", W - 40 - 86 - 8)
    c.text(86, 338, note, 13, INK, kind="sans", anchor="lm")
    save_bmp(flat(c.shrink()), PROGRAM_DIR / f"Scheme{index}.bmp", "one picture, 8-bit",
             f"connection scheme of interface {index} (`tbInterface`): {title}", key=False, palette=True)


# ---------------------------------------------------------------------------------------------

def write_artwork_md():
    """ARTWORK.md: what every file holds, generated from the same tables the pictures come from."""
    def rel(path):
        return path.relative_to(RESOURCES).as_posix()

    lines = [
        "# Artwork",
        "",
        "Drawn by `draw_artwork.py` (run `python3 zorvel/resources/draw_artwork.py` from the repository",
        "root; it rewrites every file below and this table, byte for byte the same on every run).",
        "",
        "- Bitmaps are 8-bit BMP where a picture has at most 256 colours, 24-bit otherwise (the schemes",
        "  8-bit in any case). Keyed pictures have pure magenta (255, 0, 255) as background and in",
        "  their bottom-left pixel, the transparent colour the loaders take.",
        "- A 4-frame strip holds, left to right: normal, disabled (grey), highlighted (brighter, with a",
        "  white rim so that it stands out on the red highlight bar), fourth (pressed: one pixel right",
        "  and down, darker). An image list of strips puts the strips side by side, one per index.",
        "- Files under `program/` are delivered beside `zorvel.exe`; the others are compiled in: the",
        "  build turns each into a PNG of the same pixels (`compress_pictures.py`), which the program",
        "  decodes when it loads the picture.",
        "- Pictures named `_150` and `_200` are the same pictures drawn at 1.5 and 2 times, for",
        "  displays of 144 and 192 DPI and near; the program takes the size nearest to the display's.",
        f"- The maker shown in the about window and its logo is our own invention: {MAKER}.",
        "",
        "| File | Size | Layout | Used as |",
        "|---|---|---|---|",
    ]
    for out in written:
        lines.append(f"| `{rel(out.path)}` | {out.size[0]} x {out.size[1]} | {out.layout} | {out.use} |")
    for out in written:
        if out.items:
            lines += ["", f"## {rel(out.path)}", "", "| Index | Picture |", "|---|---|"]
            lines += [f"| {i} | {meaning} |" for i, meaning in out.items]
    path = RESOURCES / "ARTWORK.md"
    path.write_text("\n".join(lines) + "\n", encoding="utf-8")
    print(path.relative_to(RESOURCES.parent.parent))


def main():
    draw_toolbar_lists()
    draw_interface_lists()
    draw_strips()
    draw_periods()
    draw_hours_scales()
    draw_logo_strips()
    write_ico(RESOURCES / "zorvel.ico", [program_icon(s) for s in (16, 32, 48)],
              "program icon: an LED board showing a time")
    draw_manufacturer()
    draw_about()
    for i, scheme in enumerate(SCHEMES):
        draw_scheme(i, **scheme)
    for out in written:
        print(out.path.relative_to(RESOURCES.parent.parent))
    write_artwork_md()


if __name__ == "__main__":
    main()
