#!/usr/bin/env python3
"""Builds every icon and bitmap of Vellomir and the resource script for them.

    python3 tools/make_art.py            rewrite res/icons, res/bitmaps,
                                         res/art.rc and res/ArtIds.h
    python3 tools/make_art.py --check    rebuild in memory, verify, and fail
                                         when a committed file differs
    python3 tools/make_art.py --sheets DIR
                                         also write PNG contact sheets to DIR

The pictures are glyphs of the Noto Color Emoji font rendered at the font's
native bitmap size and scaled down, plus a few shapes drawn here (the note
card, its buttons, the power symbol, the upcoming-reminders title bar).  The
build never runs this script: its output is committed, so a build machine
needs neither Python nor the fonts.

Needs Debian's python3-pil, fonts-noto-color-emoji and fonts-dejavu-core.
The output is a pure function of those inputs: running it twice gives the same
bytes, and files whose content did not change are not touched.
"""

import argparse
import io
import os
import struct
import sys

try:
    from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont
except ImportError:
    # A pyenv or virtualenv python3 may shadow the system one that carries
    # Debian's python3-pil; fall back to the system interpreter once.
    if os.path.exists("/usr/bin/python3") and sys.executable != "/usr/bin/python3" \
            and not os.environ.get("VELLOMIR_ART_REEXEC"):
        os.environ["VELLOMIR_ART_REEXEC"] = "1"
        os.execv("/usr/bin/python3", ["/usr/bin/python3"] + sys.argv)
    sys.exit("make_art.py needs Pillow: apt-get install python3-pil")

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
RES = os.path.join(ROOT, "res")

EMOJI_FONT = "/usr/share/fonts/truetype/noto/NotoColorEmoji.ttf"
EMOJI_PPEM = 109  # the only size the font's colour bitmaps exist in
TEXT_FONT_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"

# Drawn shapes are painted this many times larger and then box-reduced, which
# antialiases them and keeps every output pixel a function of its own block.
SS = 4

# ---------------------------------------------------------------------------
# What each picture shows.  The order is the icon index stored in events.ini
# and birthdays.ini, so entries may be renamed but never reordered.

EVENT_ICONS = [
    ("alarm clock", "\u23F0"),      # 0: the icon of a new event
    ("calendar", "\U0001F4C5"),
    ("telephone", "\U0001F4DE"),
    ("pill", "\U0001F48A"),
    ("cake", "\U0001F370"),
    ("airplane", "\u2708"),
    ("car", "\U0001F697"),
    ("bell", "\U0001F514"),
    ("envelope", "\u2709"),
    ("house", "\U0001F3E0"),
    ("briefcase", "\U0001F4BC"),
    ("money", "\U0001F4B0"),
    ("shopping cart", "\U0001F6D2"),
    ("doctor", "\U0001FA7A"),
    ("tooth", "\U0001F9B7"),
    ("television", "\U0001F4FA"),
    ("music", "\U0001F3B8"),
    ("book", "\U0001F4DA"),
    ("coffee", "\u2615"),
    ("meal", "\U0001F372"),
    ("sport", "\u26BD"),
    ("gift", "\U0001F381"),
    ("key", "\U0001F511"),
    ("computer", "\U0001F4BB"),
    ("camera", "\U0001F4F7"),
    ("film", "\U0001F3AC"),
    ("fuel pump", "\u26FD"),
    ("train", "\U0001F682"),
    ("ship", "\U0001F6A2"),
    ("medicine", "\U0001F489"),
    ("dog", "\U0001F436"),
    ("cat", "\U0001F431"),
    ("flowers", "\U0001F490"),
    ("sun", "\u2600"),
    ("moon", "\U0001F319"),
    ("umbrella", "\u2614"),
    ("warning", "\u26A0"),
    ("star", "\u2B50"),
    ("heart", "\u2764"),
    ("done", "\u2705"),
    ("hourglass", "\u23F3"),
    ("memo", "\U0001F4DD"),
    ("pin", "\U0001F4CC"),
    ("repair", "\U0001F527"),
    ("idea", "\U0001F4A1"),
    ("bus", "\U0001F68C"),
    ("bicycle", "\U0001F6B2"),
    ("school", "\U0001F393"),
    ("bills", "\U0001F4B3"),
    ("plants", "\U0001F331"),
    ("rubbish", "\U0001F5D1"),
    ("games", "\U0001F3AE"),
    ("tickets", "\U0001F3AB"),
    ("bedtime", "\U0001F6CF"),
]

BIRTH_ICONS = [
    ("cake", "\U0001F382"),         # 0: the icon of a new birthday
    ("baby", "\U0001F476"),
    ("child", "\U0001F9D2"),
    ("boy", "\U0001F466"),
    ("girl", "\U0001F467"),
    ("man", "\U0001F468"),
    ("woman", "\U0001F469"),
    ("bearded man", "\U0001F9D4"),
    ("fair-haired person", "\U0001F471"),
    ("old man", "\U0001F474"),
    ("old woman", "\U0001F475"),
    ("friends", "\U0001F46B"),
    ("couple", "\U0001F491"),
    ("gift", "\U0001F381"),
    ("balloon", "\U0001F388"),
    ("party popper", "\U0001F389"),
    ("party face", "\U0001F973"),
    ("toast", "\U0001F942"),
    ("bouquet", "\U0001F490"),
    ("pet", "\U0001F43E"),
]

# Aries first, Pisces last: the index the tooltip's zodiac lookup returns.
ZODIAC_ICONS = [(name, chr(0x2648 + i)) for i, name in enumerate([
    "Aries", "Taurus", "Gemini", "Cancer", "Leo", "Virgo", "Libra",
    "Scorpio", "Sagittarius", "Capricorn", "Aquarius", "Pisces"])]

TOOLBAR_BUTTONS = ["new", "edit", "delete", "test", "options", "close"]

# ---------------------------------------------------------------------------
# Resource numbers.  IDI_APP must stay 1: Explorer shows the exe's icon with
# the lowest number.

IDI_APP = 1
IDI_SHUTDOWN = 2
IDI_EVENT_FIRST = 1000
IDI_BIRTH_FIRST = 1100
IDI_ZODIAC_FIRST = 1200
IDI_TB_FIRST = 1300
IDI_TB_DISABLED_FIRST = 1310
IDI_SIDEBAR_EVENTS = 1320
IDI_SIDEBAR_BIRTHDAYS = 1321
IDI_PIN_OFF = 1330
IDI_PIN_ON = 1331
IDB_NOTE_BODY = 1400
IDB_NOTE_CLOSE_UP = 1401
IDB_NOTE_CLOSE_DOWN = 1402
IDB_NOTE_ARROW_UP = 1403
IDB_NOTE_ARROW_DOWN = 1404
IDB_SHUTDOWN_HEADER = 1405
IDB_TOOLTIP_TITLE = 1406

# The note window: its client size, where its text and icon go, and where the
# two buttons sit on the card.  The buttons' own images carry the card's
# pixels around their rounded corners, so they are drawn opaque at exactly
# these places.
NOTE_W, NOTE_H = 389, 221
NOTE_TEXT_RECT = (80, 35, 340, 165)       # left, top, right, bottom
NOTE_ICON_POS = (42, 36)
NOTE_CLOSE_POS = (300, 180)
NOTE_CLOSE_SIZE = (61, 29)
NOTE_ARROW_POS = (361, 180)
NOTE_ARROW_SIZE = (21, 29)

# Colours of the note card.  The paper colour is the one flat colour of the
# whole text area, published so that the text control can paint its
# background to match.
NOTE_PAPER = (255, 252, 236)
NOTE_EDGE = (214, 176, 92)
NOTE_MARGIN_LINE = (236, 150, 140)
NOTE_BACK_TOP = (255, 231, 150)
NOTE_BACK_BOTTOM = (244, 198, 98)
NOTE_FOOTER = NOTE_BACK_BOTTOM
NOTE_FOOTER_TOP = 180

SHUTDOWN_HEADER_SIZE = 33
SHUTDOWN_HEADER_BACK = (255, 255, 255)

# The upcoming-reminders window: a borderless pop-up this wide at 96 DPI,
# framed by a one-pixel line in TOOLTIP_BORDER, its rows on the system's
# tooltip colour, which is usually this pale yellow.  Its title bar carries the date in dark bold type on the
# left and the pin button (16 x 16, 4 pixels from the right end) and is
# stretched to the window's width, and in both directions at higher DPI.
TOOLTIP_W = 270
TOOLTIP_TITLE_H = 25
TOOLTIP_BORDER = (240, 186, 104)
TOOLTIP_BACK = (255, 255, 225)
PIN_SIZES = (16, 24, 32)
# The sizes each picture is made in, one per display scale (100, 125, 150 and
# 200 %; at 175 % the program takes the 150 % one): list icons, pictures at 32
# (the sidebar), tool-bar pictures, and the program's icon (the notification
# area takes the small sizes, Explorer and the title bars the larger).  The
# 100 % sizes are classic DIB entries unless said otherwise; the others are
# PNG-compressed, which keeps the program small and which every Windows
# since Vista reads.
SMALL_SIZES = (16, 20, 24, 32)
LARGE_SIZES = (32, 40, 48, 64)
TOOLBAR_SIZES = (24, 30, 36, 48)
APP_SIZES = (16, 20, 24, 32, 40, 48, 64)
APP_CLASSIC = (16, 24, 32, 48)  # the sizes it always had, for older loaders
PIN_RIGHT_MARGIN = 4


# ---------------------------------------------------------------------------
# Pictures

class Emoji:
    """Renders emoji glyphs at the font's native size, cropped to their ink."""

    def __init__(self):
        self.font = ImageFont.truetype(EMOJI_FONT, EMOJI_PPEM)
        self.cache = {}

    def glyph(self, text):
        if text not in self.cache:
            canvas = Image.new("RGBA", (200, 200), (0, 0, 0, 0))
            ImageDraw.Draw(canvas).text((20, 20), text, font=self.font,
                                        embedded_color=True)
            # Ignore the faint outer fringe when finding the ink's extent,
            # so glyphs with soft shadows are centred on what one sees.
            ink = canvas.getchannel("A").point(lambda a: 255 if a > 24 else 0)
            box = ink.getbbox()
            if box is None:
                raise SystemExit("the emoji font has no picture for U+%04X"
                                 % ord(text[0]))
            self.cache[text] = canvas.crop(box)
        return self.cache[text]


def fit(picture, size, inner):
    """Scales `picture` to fit an `inner` square, centred on a transparent
    `size` square.  Pillow premultiplies alpha while resampling, so edges do
    not pick up the black of transparent pixels."""
    w, h = picture.size
    scale = inner / max(w, h)
    nw, nh = max(1, round(w * scale)), max(1, round(h * scale))
    small = picture.resize((nw, nh), Image.LANCZOS)
    out = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    out.alpha_composite(small, ((size - nw) // 2, (size - nh) // 2))
    return out


def crisp(icon):
    """A light unsharp mask on the colour channels only: the large downscale
    from the font's bitmaps leaves edges soft, which shows most at 16 px."""
    rgb = icon.convert("RGB").filter(ImageFilter.UnsharpMask(radius=0.8, percent=60, threshold=1))
    out = rgb.convert("RGBA")
    out.putalpha(icon.getchannel("A"))
    return out


def outlined(icon):
    """Lays a soft one-pixel dark rim around the picture's silhouette.  White
    and pale pictures (a tooth, an envelope, a plate) would otherwise vanish
    on a white list or the grey sidebar, above all at 16 x 16; on the
    colourful ones the rim only firms the edge, so every list gets it."""
    rim_alpha = icon.getchannel("A").filter(ImageFilter.MaxFilter(3))
    rim = Image.new("RGBA", icon.size, (70, 60, 50, 0))
    rim.putalpha(rim_alpha.point(lambda a: a * 90 // 255))
    rim.alpha_composite(icon)
    return rim


def icon_from_emoji(emoji, text, size, margin=1):
    return crisp(fit(emoji.glyph(text), size, size - 2 * margin))


def list_icon(emoji, text, size=32):
    """A square picture for the event and birthday lists and the sidebar."""
    return outlined(icon_from_emoji(emoji, text, size))


def supersampled(size, background=(0, 0, 0, 0)):
    return Image.new("RGBA", (size[0] * SS, size[1] * SS), background)


def reduce(big):
    return big.reduce(SS)


def disabled(icon):
    """The look of an unavailable tool-bar button: grey, lighter, fainter."""
    grey = icon.convert("LA").convert("RGBA")
    lighter = Image.blend(grey, Image.new("RGBA", icon.size, (236, 236, 236, 255)), 0.45)
    alpha = icon.getchannel("A").point(lambda a: a * 55 // 100)
    lighter.putalpha(alpha)
    return clean_transparent(lighter)


def clean_transparent(img):
    """Zeroes the colour of fully transparent pixels, so files do not carry
    invisible leftovers and compare byte for byte between runs."""
    img = img.copy()
    px = img.load()
    for y in range(img.height):
        for x in range(img.width):
            if px[x, y][3] == 0:
                px[x, y] = (0, 0, 0, 0)
    return img


def plus_badge(size):
    """A green disc with a white plus: marks the "new" tool-bar picture."""
    big = supersampled((size, size))
    d = ImageDraw.Draw(big)
    s = size * SS
    d.ellipse((0, 0, s - 1, s - 1), fill=(46, 160, 67, 255))
    d.ellipse((SS, SS, s - 1 - SS, s - 1 - SS), fill=(66, 186, 88, 255))
    bar = s * 0.16
    c = s / 2
    arm = s * 0.30
    d.rectangle((c - arm, c - bar / 2, c + arm, c + bar / 2), fill=(255, 255, 255, 255))
    d.rectangle((c - bar / 2, c - arm, c + bar / 2, c + arm), fill=(255, 255, 255, 255))
    return reduce(big)


def toolbar_icon(emoji, name, size=24):
    def at(n):  # a length of the 24-pixel design at this size
        return round(n * size / 24)
    if name == "new":
        page = fit(emoji.glyph("\U0001F4C4"), size, at(20))
        # Shift the page up and left (cropping past the edge pads with
        # transparency) to leave the lower right corner to the badge.
        out = page.crop((at(2), at(1), size + at(2), size + at(1)))
        out.alpha_composite(plus_badge(at(11)), (size - at(12), size - at(12)))
        return crisp(out)
    glyphs = {
        "edit": "\u270F",
        "delete": "\u274C",
        "test": "\u25B6",
        "options": "\u2699",
        "close": "\U0001F6AA",
    }
    return icon_from_emoji(emoji, glyphs[name], size)


def power_symbol(size, background=None):
    """A red disc with the white power sign (a broken ring and a bar)."""
    back = (0, 0, 0, 0) if background is None else background + (255,)
    big = supersampled((size, size), back)
    d = ImageDraw.Draw(big)
    s = size * SS
    pad = max(SS, round(s * 0.03))
    d.ellipse((pad, pad, s - 1 - pad, s - 1 - pad), fill=(178, 34, 34, 255))
    d.ellipse((pad + SS, pad + SS, s - 1 - pad - SS, s - 1 - pad - SS), fill=(222, 56, 48, 255))
    # Soft highlight on the upper half gives the disc a little depth.
    hl = Image.new("RGBA", big.size, (0, 0, 0, 0))
    ImageDraw.Draw(hl).ellipse((s * 0.18, s * 0.08, s * 0.82, s * 0.52), fill=(255, 255, 255, 54))
    big.alpha_composite(hl)
    c = s / 2
    r = s * 0.25
    width = max(SS * 2, round(s * 0.085))
    d = ImageDraw.Draw(big)
    d.arc((c - r, c - r + s * 0.03, c + r, c + r + s * 0.03), start=-52, end=232,
          fill=(255, 255, 255, 255), width=width)
    d.line((c, s * 0.18, c, c + s * 0.02), fill=(255, 255, 255, 255), width=width)
    # Round the bar's ends.
    for y in (s * 0.18, c + s * 0.02):
        d.ellipse((c - width / 2, y - width / 2, c + width / 2, y + width / 2),
                  fill=(255, 255, 255, 255))
    return reduce(big)


def app_icon(emoji, size):
    """The program's mark: the alarm clock of a new event on a rounded blue
    tile, so that the program itself does not look like one of its events."""
    big = supersampled((size, size))
    s = size * SS
    radius = s * 0.22
    mask = Image.new("L", big.size, 0)
    ImageDraw.Draw(mask).rounded_rectangle((0, 0, s - 1, s - 1), radius=radius, fill=255)
    tile = Image.new("RGBA", big.size)
    td = ImageDraw.Draw(tile)
    for y in range(s):
        td.line((0, y, s, y), fill=lerp((120, 196, 255), (30, 104, 196), y / s) + (255,))
    # A thin lighter rim inside the edge.
    rim = Image.new("L", big.size, 0)
    ImageDraw.Draw(rim).rounded_rectangle((0, 0, s - 1, s - 1), radius=radius,
                                          outline=110, width=max(SS, s // 24))
    tile.paste((255, 255, 255, 255), (0, 0), rim)
    big.paste(tile, (0, 0), mask)
    out = reduce(big)
    inner = size - 2 * max(2, round(size * 0.12))
    clock = fit(emoji.glyph("\u23F0"), size, inner)
    out.alpha_composite(clock, (0, max(0, round(size * 0.02))) if size >= 32 else (0, 0))
    return crisp(out)


# ---------------------------------------------------------------------------
# The note card and its buttons

def lerp(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def note_body_big():
    """The note's background, SS times larger than the window."""
    w, h = NOTE_W * SS, NOTE_H * SS
    big = Image.new("RGBA", (w, h))
    d = ImageDraw.Draw(big)
    # A warm backing that darkens downwards and is flat from the footer on,
    # so the buttons and the status line sit on one even colour.
    footer_top = NOTE_FOOTER_TOP * SS
    for y in range(h):
        t = min(1.0, y / footer_top)
        d.line((0, y, w, y), fill=lerp(NOTE_BACK_TOP, NOTE_BACK_BOTTOM, t) + (255,))
    # The card: a soft shadow, an edge, and flat paper.
    # The card spans the same columns as the buttons below it (to x = 380).
    card = (8 * SS, 8 * SS, 381 * SS - 1, 172 * SS - 1)
    shadow = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    ImageDraw.Draw(shadow).rounded_rectangle(
        (card[0] + SS, card[1] + 2 * SS, card[2] + SS, card[3] + 2 * SS),
        radius=10 * SS, fill=(120, 80, 20, 80))
    shadow = shadow.filter(ImageFilter.GaussianBlur(1.5 * SS))
    # Keep the footer flat: nothing of the shadow may reach it.
    shadow.paste((0, 0, 0, 0), (0, footer_top, w, h))
    big.alpha_composite(shadow)
    d = ImageDraw.Draw(big)
    d.rounded_rectangle(card, radius=10 * SS, fill=NOTE_EDGE + (255,))
    inner = (card[0] + SS, card[1] + SS, card[2] - SS, card[3] - SS)
    d.rounded_rectangle(inner, radius=9 * SS, fill=NOTE_PAPER + (255,))
    # A notebook margin line between the icon and the text.
    d.rectangle((77 * SS, card[1] + SS, 78 * SS - 1, card[3] - SS - 1),
                fill=NOTE_MARGIN_LINE + (255,))
    return big


def half_rounded(draw, box, radius, fill, round_left):
    """A rectangle rounded on its left or its right side only: the two
    halves of the split button meet along a straight edge."""
    x0, y0, x1, y1 = box
    draw.rounded_rectangle(box, radius=radius, fill=fill)
    mid = (x0 + x1) // 2
    if round_left:
        draw.rectangle((mid, y0, x1, y1), fill=fill)
    else:
        draw.rectangle((x0, y0, mid, y1), fill=fill)


def button_face(big, box, pressed, round_left):
    """Draws one half of the split Close/arrow button into `big` at `box`
    (SS-scaled).  Pressed: darker, sunken highlight, no drop shadow."""
    x0, y0, x1, y1 = box
    d = ImageDraw.Draw(big)
    r = 7 * SS
    if not pressed:
        sh = Image.new("RGBA", big.size, (0, 0, 0, 0))
        half_rounded(ImageDraw.Draw(sh), (x0, y0 + SS, x1, y1), r, (110, 70, 10, 90),
                     round_left)
        big.alpha_composite(sh)
        d = ImageDraw.Draw(big)
        y1 -= SS
    half_rounded(d, (x0, y0, x1, y1), r, (150, 104, 36, 255), round_left)
    # Pressed: the face turns darker and its light falls from below.
    top, bottom = ((255, 236, 190), (238, 196, 110)) if not pressed else \
        ((214, 164, 76), (240, 200, 126))
    face = Image.new("RGBA", big.size, (0, 0, 0, 0))
    fd = ImageDraw.Draw(face)
    fx0, fy0, fx1, fy1 = x0 + SS, y0 + SS, x1 - SS, y1 - SS
    for y in range(fy0, fy1 + 1):
        t = (y - fy0) / max(1, fy1 - fy0)
        fd.line((fx0, y, fx1, y), fill=lerp(top, bottom, t) + (255,))
    mask = Image.new("L", big.size, 0)
    half_rounded(ImageDraw.Draw(mask), (fx0, fy0, fx1, fy1), r - SS, 255, round_left)
    big.paste(face, (0, 0), mask)


def note_buttons_big(body_big, pressed_close, pressed_arrow):
    big = body_big.copy()
    cx, cy = NOTE_CLOSE_POS
    cw, ch = NOTE_CLOSE_SIZE
    ax, ay = NOTE_ARROW_POS
    aw, ah = NOTE_ARROW_SIZE
    close_box = (cx * SS, cy * SS, (cx + cw) * SS - 1, (cy + ch) * SS - 1)
    # The arrow's face leaves its last column to the card: the arrow control
    # may be one pixel narrower than its image and then cuts nothing off.
    arrow_box = (ax * SS, ay * SS, (ax + aw - 1) * SS - 1, (ay + ah) * SS - 1)
    button_face(big, close_box, pressed_close, True)
    button_face(big, arrow_box, pressed_arrow, False)
    d = ImageDraw.Draw(big)
    ink = (74, 46, 8, 255)
    # "Close", centred on its half; a pressed button moves its face content
    # one pixel right and down.
    font = ImageFont.truetype(TEXT_FONT_BOLD, 12 * SS)
    off = SS if pressed_close else 0
    tw = d.textlength("Close", font=font)
    tx = cx * SS + (cw * SS - tw) / 2 + off
    ty = cy * SS + (ch - 1) * SS / 2 + off
    d.text((tx, ty), "Close", font=font, fill=ink, anchor="lm")
    off = SS if pressed_arrow else 0
    mx = ax * SS + (aw - 1) * SS / 2 + off
    my = ay * SS + (ah - 1) * SS / 2 + off
    d.polygon([(mx - 4 * SS, my - 2 * SS), (mx + 4 * SS, my - 2 * SS), (mx, my + 3 * SS)], fill=ink)
    return big


def crop_big(big, pos, size):
    x, y = pos
    w, h = size
    return reduce(big.crop((x * SS, y * SS, (x + w) * SS, (y + h) * SS)))


def note_bitmaps():
    body_big = note_body_big()
    body = reduce(body_big).convert("RGB")
    up = note_buttons_big(body_big, False, False)
    close_down = note_buttons_big(body_big, True, False)
    arrow_down = note_buttons_big(body_big, False, True)
    return {
        "note_body": body,
        "note_close_up": crop_big(up, NOTE_CLOSE_POS, NOTE_CLOSE_SIZE).convert("RGB"),
        "note_close_down": crop_big(close_down, NOTE_CLOSE_POS, NOTE_CLOSE_SIZE).convert("RGB"),
        "note_arrow_up": crop_big(up, NOTE_ARROW_POS, NOTE_ARROW_SIZE).convert("RGB"),
        "note_arrow_down": crop_big(arrow_down, NOTE_ARROW_POS, NOTE_ARROW_SIZE).convert("RGB"),
    }


# ---------------------------------------------------------------------------
# The upcoming-reminders window: its title bar and pin button

# Cream at the top warming to a light orange: in the family of the window's
# border and of the tooltip yellow below, and light enough for dark bold
# type.  The bottom row is the border's colour, so the bar ends in a line that
# matches the frame.
TITLE_TOP = (255, 249, 230)
TITLE_BOTTOM = (252, 224, 170)
TITLE_LINE = TOOLTIP_BORDER

PUSHPIN = "\U0001F4CC"

# How much of the turned pin's length is shown: upright, the head and a stub
# of the needle; lying, all but the needle's tip.
PIN_SUNK_KEEP = 0.72
PIN_LOOSE_KEEP = 0.85


def tooltip_title():
    """The title bar: every column alike, so that stretching it to any width
    changes nothing but its width, and a plain vertical gradient, which
    stays smooth when it is stretched in height too."""
    w, h = TOOLTIP_W, TOOLTIP_TITLE_H
    img = Image.new("RGB", (w, h))
    d = ImageDraw.Draw(img)
    for y in range(h - 1):
        d.line((0, y, w, y), fill=lerp(TITLE_TOP, TITLE_BOTTOM, y / (h - 2)))
    d.line((0, h - 1, w, h - 1), fill=TITLE_LINE)
    return img


def ink_bbox(img):
    """The extent of what one sees, ignoring the faint outer fringe."""
    return img.getchannel("A").point(lambda a: 255 if a > 24 else 0).getbbox()


def pin_picture(emoji, pinned):
    """The pushpin at the font's native size.  The emoji leans at 45 degrees;
    pinned, it stands upright with most of its needle sunk in, which also
    leaves more of the square to its head; not pinned, it lies on its side
    with the needle out, a little shortened so that the head does not shrink
    to a few pixels at 16 x 16."""
    # Turned premultiplied, so that the edges do not pull in the black of
    # the transparent pixels around the glyph.
    turned = emoji.glyph(PUSHPIN).convert("RGBa").rotate(
        45 if pinned else -20, resample=Image.BICUBIC, expand=True).convert("RGBA")
    turned = turned.crop(ink_bbox(turned))
    w, h = turned.size
    if pinned:
        # The needle points down: keep the top.
        turned = turned.crop((0, 0, w, round(h * PIN_SUNK_KEEP)))
    else:
        # The needle points left and a little down: trim its tip.
        turned = turned.crop((round(w * (1 - PIN_LOOSE_KEEP)), 0, w, h))
    return turned.crop(ink_bbox(turned))


def faded(icon):
    """The look of the pin that is not pushed in: most of its colour gone
    and lighter, but still opaque so that it keeps a firm edge on the bar."""
    grey = icon.convert("LA").convert("RGBA")
    pale = Image.blend(grey, icon, 0.45)
    pale = Image.blend(pale, Image.new("RGBA", icon.size, (255, 255, 255, 255)), 0.08)
    pale.putalpha(icon.getchannel("A"))
    return clean_transparent(pale)


def pin_icons(emoji, pinned):
    picture = pin_picture(emoji, pinned)
    icons = [crisp(fit(picture, size, size - 2)) for size in PIN_SIZES]
    return icons if pinned else [faded(i) for i in icons]


# ---------------------------------------------------------------------------
# File formats

def png_bytes(img):
    """A PNG of the picture with nothing but its pixels (no time, no
    metadata), so the same picture gives the same bytes."""
    out = io.BytesIO()
    img.save(out, format="PNG", optimize=True)
    return out.getvalue()


def ico_bytes(images, classic=None):
    """An ICO file.  The entries whose width is in `classic` (all when it is
    None) are classic DIBs: 32 bits per pixel with straight (not
    premultiplied) alpha, bottom-up rows, then the 1-bit AND mask; the others
    are PNG-compressed, a third of the size or less, which Windows before
    Vista cannot read."""
    entries = []
    for img in images:
        img = clean_transparent(img.convert("RGBA"))
        w, h = img.size
        if not (1 <= w <= 256 and 1 <= h <= 256):
            raise ValueError("icon entries are 1..256 pixels")
        if classic is not None and w not in classic:
            entries.append((w, h, png_bytes(img)))
            continue
        px = img.load()
        xor = bytearray()
        for y in range(h - 1, -1, -1):
            for x in range(w):
                r, g, b, a = px[x, y]
                xor += bytes((b, g, r, a))
        # The mask hides what alpha would mostly hide, for code paths that
        # draw the icon without its alpha channel.
        stride = ((w + 31) // 32) * 4
        mask = bytearray()
        for y in range(h - 1, -1, -1):
            row = bytearray(stride)
            for x in range(w):
                if px[x, y][3] < 128:
                    row[x // 8] |= 0x80 >> (x % 8)
            mask += row
        header = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 32, 0,
                             len(xor) + len(mask), 0, 0, 0, 0)
        entries.append((w, h, header + bytes(xor) + bytes(mask)))
    out = bytearray(struct.pack("<HHH", 0, 1, len(entries)))
    offset = 6 + 16 * len(entries)
    for w, h, data in entries:
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, _, data in entries:
        out += data
    return bytes(out)


def bmp_bytes(img):
    """A plain BMP: 24 bits per pixel, uncompressed, bottom-up rows padded to
    four bytes."""
    img = img.convert("RGB")
    w, h = img.size
    stride = (w * 3 + 3) & ~3
    px = img.load()
    data = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for x in range(w):
            r, g, b = px[x, y]
            row += bytes((b, g, r))
        row += bytes(stride - len(row))
        data += row
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 3780, 3780, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(data), 0, 0, 14 + len(info))
    return head + info + bytes(data)


# ---------------------------------------------------------------------------
# Readers used by the self-check: written independently of the writers above
# so that a fault in one is not mirrored by the other.

def read_ico(data):
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if reserved != 0 or kind != 1 or count == 0:
        raise ValueError("not an icon file")
    result = []
    for i in range(count):
        bw, bh, colours, res, planes, bits, size, offset = \
            struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        w, h = bw or 256, bh or 256
        dib = data[offset:offset + size]
        if len(dib) != size:
            raise ValueError("entry %d runs past the end" % i)
        if dib[:8] == b"\x89PNG\r\n\x1a\n":
            img = Image.open(io.BytesIO(dib))
            img.load()
            if img.mode != "RGBA" or img.size != (w, h) or (colours, res, planes, bits) != (0, 0, 1, 32):
                raise ValueError("entry %d is not a %dx%d RGBA PNG" % (i, w, h))
            result.append(img)
            continue
        (hsize, dw, dh, dplanes, dbits, comp) = struct.unpack_from("<IiiHHI", dib, 0)
        if (hsize, dw, dh, dplanes, dbits, comp) != (40, w, 2 * h, 1, 32, 0):
            raise ValueError("entry %d is not a 32-bit DIB of %dx%d" % (i, w, h))
        if (colours, res, planes, bits) != (0, 0, 1, 32):
            raise ValueError("entry %d has a wrong directory record" % i)
        xor_len = w * h * 4
        mask_stride = ((w + 31) // 32) * 4
        if size != 40 + xor_len + mask_stride * h:
            raise ValueError("entry %d has the wrong size" % i)
        img = Image.new("RGBA", (w, h))
        px = img.load()
        for row in range(h):
            y = h - 1 - row
            for x in range(w):
                b, g, r, a = dib[40 + (row * w + x) * 4:40 + (row * w + x) * 4 + 4]
                px[x, y] = (r, g, b, a)
                bit = dib[40 + xor_len + row * mask_stride + x // 8] >> (7 - x % 8) & 1
                if bit != (1 if a < 128 else 0):
                    raise ValueError("entry %d: mask disagrees with alpha at %d,%d" % (i, x, y))
        result.append(img)
    return result


def read_bmp(data):
    magic, file_size, _, _, offset = struct.unpack_from("<2sIHHI", data, 0)
    hsize, w, h, planes, bits, comp = struct.unpack_from("<IiiHHI", data, 14)
    if magic != b"BM" or file_size != len(data) or hsize != 40 or h <= 0:
        raise ValueError("not a plain bottom-up BMP")
    if (planes, bits, comp) != (1, 24, 0):
        raise ValueError("not an uncompressed 24-bit BMP")
    stride = (w * 3 + 3) & ~3
    if offset + stride * h != len(data):
        raise ValueError("BMP pixel data has the wrong size")
    img = Image.new("RGB", (w, h))
    px = img.load()
    for row in range(h):
        base = offset + row * stride
        for x in range(w):
            b, g, r = data[base + 3 * x:base + 3 * x + 3]
            px[x, h - 1 - row] = (r, g, b)
    return img


# ---------------------------------------------------------------------------
# Everything the script writes, as {path relative to res/: bytes}

def build():
    emoji = Emoji()
    files = {}
    icons = []      # (resource id, path relative to res/, what it shows)
    bitmaps = []

    def add_icon(rid, rel, images, what, classic=None):
        files[rel] = ico_bytes(images, classic)
        icons.append((rid, rel, what))

    def scaled_icon(rid, rel, make, sizes, what):
        """A picture made anew at each size (never a resampled copy), its
        100 % size first and classic."""
        add_icon(rid, rel, [make(n) for n in sizes], what, (sizes[0],))

    add_icon(IDI_APP, "icons/app.ico", [app_icon(emoji, s) for s in APP_SIZES],
             "the program", APP_CLASSIC)
    add_icon(IDI_SHUTDOWN, "icons/shutdown.ico", [power_symbol(s) for s in (16, 32)],
             "the shutdown countdown window")
    # The event and birthday pictures: 32 x 32 as always (the editors, the
    # picker, the notes), and the list sizes of each scale. These 74 icons
    # are most of the artwork: all their entries are PNG, which loads as fast
    # (the loading, not the decompressing, is what takes the time) and keeps
    # the program under 2 MB.
    def list_sizes(text):
        return [list_icon(emoji, text, n) for n in SMALL_SIZES]
    for i, (what, text) in enumerate(EVENT_ICONS):
        add_icon(IDI_EVENT_FIRST + i, "icons/events/event%02d.ico" % i,
                 list_sizes(text), "event: " + what, ())
    for i, (what, text) in enumerate(BIRTH_ICONS):
        add_icon(IDI_BIRTH_FIRST + i, "icons/birthdays/birth%02d.ico" % i,
                 list_sizes(text), "birthday: " + what, ())
    for i, (what, text) in enumerate(ZODIAC_ICONS):
        add_icon(IDI_ZODIAC_FIRST + i, "icons/zodiac/zod%02d.ico" % i,
                 [icon_from_emoji(emoji, text, 32)], "zodiac: " + what, ())
    toolbar = {name: [toolbar_icon(emoji, name, n) for n in TOOLBAR_SIZES]
               for name in TOOLBAR_BUTTONS}
    for i, name in enumerate(TOOLBAR_BUTTONS):
        add_icon(IDI_TB_FIRST + i, "icons/toolbar/%s.ico" % name, toolbar[name],
                 "tool bar: " + name, TOOLBAR_SIZES[:1])
    for i, name in enumerate(TOOLBAR_BUTTONS):
        add_icon(IDI_TB_DISABLED_FIRST + i, "icons/toolbar/%s_d.ico" % name,
                 [disabled(img) for img in toolbar[name]], "tool bar: " + name + ", disabled",
                 TOOLBAR_SIZES[:1])
    scaled_icon(IDI_SIDEBAR_EVENTS, "icons/sidebar/events.ico",
                lambda n: list_icon(emoji, "\U0001F4C5", n), LARGE_SIZES, "sidebar: events")
    scaled_icon(IDI_SIDEBAR_BIRTHDAYS, "icons/sidebar/birthdays.ico",
                lambda n: list_icon(emoji, "\U0001F382", n), LARGE_SIZES, "sidebar: birthdays")
    add_icon(IDI_PIN_OFF, "icons/tooltip/pin_off.ico", pin_icons(emoji, False),
             "upcoming reminders: not pinned")
    add_icon(IDI_PIN_ON, "icons/tooltip/pin_on.ico", pin_icons(emoji, True),
             "upcoming reminders: pinned")

    note = note_bitmaps()
    for rid, name in ((IDB_NOTE_BODY, "note_body"), (IDB_NOTE_CLOSE_UP, "note_close_up"),
                      (IDB_NOTE_CLOSE_DOWN, "note_close_down"),
                      (IDB_NOTE_ARROW_UP, "note_arrow_up"),
                      (IDB_NOTE_ARROW_DOWN, "note_arrow_down")):
        rel = "bitmaps/%s.bmp" % name
        files[rel] = bmp_bytes(note[name])
        bitmaps.append((rid, rel, name.replace("_", " ")))
    header = power_symbol(SHUTDOWN_HEADER_SIZE, SHUTDOWN_HEADER_BACK).convert("RGB")
    files["bitmaps/shutdown_header.bmp"] = bmp_bytes(header)
    bitmaps.append((IDB_SHUTDOWN_HEADER, "bitmaps/shutdown_header.bmp", "shutdown header"))
    files["bitmaps/tooltip_title.bmp"] = bmp_bytes(tooltip_title())
    bitmaps.append((IDB_TOOLTIP_TITLE, "bitmaps/tooltip_title.bmp",
                    "upcoming reminders: title bar"))

    files["ArtIds.h"] = art_ids_h().encode("ascii")
    files["art.rc"] = art_rc(icons, bitmaps).encode("ascii")
    return files


def art_ids_h():
    def rgb(name, c):
        return ["#define %s_R %d" % (name, c[0]), "#define %s_G %d" % (name, c[1]),
                "#define %s_B %d" % (name, c[2])]

    lines = [
        "/* Resource numbers and placement of Vellomir's artwork.",
        "   Generated by tools/make_art.py; edit that script, not this file.",
        "   Plain #defines so that both windres and C++ can read them. */",
        "#ifndef VELLOMIR_ART_IDS_H",
        "#define VELLOMIR_ART_IDS_H",
        "",
        "/* Explorer shows the exe's icon with the lowest number. */",
        "#define IDI_APP %d" % IDI_APP,
        "#define IDI_SHUTDOWN %d" % IDI_SHUTDOWN,
        "",
        "/* 32 x 32 icons; an icon index i is resource FIRST + i. */",
        "#define IDI_EVENT_FIRST %d" % IDI_EVENT_FIRST,
        "#define EVENT_ICON_COUNT %d" % len(EVENT_ICONS),
        "#define IDI_BIRTH_FIRST %d" % IDI_BIRTH_FIRST,
        "#define BIRTH_ICON_COUNT %d" % len(BIRTH_ICONS),
        "/* Aries first, Pisces last. */",
        "#define IDI_ZODIAC_FIRST %d" % IDI_ZODIAC_FIRST,
        "#define ZODIAC_ICON_COUNT %d" % len(ZODIAC_ICONS),
        "",
        "/* 24 x 24 tool-bar icons, then the same in their disabled look. */",
    ]
    for i, name in enumerate(TOOLBAR_BUTTONS):
        lines.append("#define IDI_TB_%s %d" % (name.upper(), IDI_TB_FIRST + i))
    for i, name in enumerate(TOOLBAR_BUTTONS):
        lines.append("#define IDI_TB_%s_D %d" % (name.upper(), IDI_TB_DISABLED_FIRST + i))
    lines += [
        "",
        "/* 32 x 32 sidebar pictures. */",
        "#define IDI_SIDEBAR_EVENTS %d" % IDI_SIDEBAR_EVENTS,
        "#define IDI_SIDEBAR_BIRTHDAYS %d" % IDI_SIDEBAR_BIRTHDAYS,
        "",
        "/* Opaque 24-bit bitmaps of the note window (%d x %d) and the countdown's"
        % (NOTE_W, NOTE_H),
        "   header picture (%d x %d). */" % (SHUTDOWN_HEADER_SIZE, SHUTDOWN_HEADER_SIZE),
        "#define IDB_NOTE_BODY %d" % IDB_NOTE_BODY,
        "#define IDB_NOTE_CLOSE_UP %d" % IDB_NOTE_CLOSE_UP,
        "#define IDB_NOTE_CLOSE_DOWN %d" % IDB_NOTE_CLOSE_DOWN,
        "#define IDB_NOTE_ARROW_UP %d" % IDB_NOTE_ARROW_UP,
        "#define IDB_NOTE_ARROW_DOWN %d" % IDB_NOTE_ARROW_DOWN,
        "#define IDB_SHUTDOWN_HEADER %d" % IDB_SHUTDOWN_HEADER,
        "",
        "/* Client position of the note's buttons: their images carry the card's",
        "   pixels around their rounded corners and fit only here. */",
        "#define NOTE_CLOSE_X %d" % NOTE_CLOSE_POS[0],
        "#define NOTE_CLOSE_Y %d" % NOTE_CLOSE_POS[1],
        "#define NOTE_CLOSE_W %d" % NOTE_CLOSE_SIZE[0],
        "#define NOTE_CLOSE_H %d" % NOTE_CLOSE_SIZE[1],
        "#define NOTE_ARROW_X %d" % NOTE_ARROW_POS[0],
        "#define NOTE_ARROW_Y %d" % NOTE_ARROW_POS[1],
        "#define NOTE_ARROW_W %d" % NOTE_ARROW_SIZE[0],
        "#define NOTE_ARROW_H %d" % NOTE_ARROW_SIZE[1],
        "",
        "/* The flat paper colour of the note's whole text area (%d,%d to %d,%d):"
        % NOTE_TEXT_RECT,
        "   the text control paints its background in it to look transparent. */",
    ]
    lines += rgb("NOTE_PAPER", NOTE_PAPER)
    lines += [
        "/* The flat colour of the note's footer strip (y >= %d, left of the" % NOTE_FOOTER_TOP,
        "   buttons), where a status line can sit. */",
    ]
    lines += rgb("NOTE_FOOTER", NOTE_FOOTER)
    lines += [
        "/* The countdown header picture's background: paint the header band in",
        "   it so that the picture blends in. */",
    ]
    lines += rgb("SHUTDOWN_HEADER_BACK", SHUTDOWN_HEADER_BACK)
    lines += [
        "",
        "/* The upcoming-reminders window: its title bar (%d x %d, an opaque"
        % (TOOLTIP_W, TOOLTIP_TITLE_H),
        "   24-bit bitmap to stretch to the window's width) and the two pictures",
        "   of its pin button, not pinned and pinned (%s and %d pixels). */"
        % (", ".join(str(n) for n in PIN_SIZES[:-1]), PIN_SIZES[-1]),
        "#define IDB_TOOLTIP_TITLE %d" % IDB_TOOLTIP_TITLE,
        "#define IDI_PIN_OFF %d" % IDI_PIN_OFF,
        "#define IDI_PIN_ON %d" % IDI_PIN_ON,
        "",
        "#endif",
        "",
    ]
    return "\n".join(lines)


def art_rc(icons, bitmaps):
    lines = [
        "// Vellomir's artwork.  Generated by tools/make_art.py; edit that script,",
        "// not this file.  Numbers are written out literally (see ArtIds.h for",
        "// their names); file names are relative to this folder.",
        '#include "ArtIds.h"',
        "",
    ]
    for rid, rel, what in icons:
        lines.append('%d ICON "%s"  // %s' % (rid, rel, what))
    lines.append("")
    for rid, rel, what in bitmaps:
        lines.append('%d BITMAP "%s"  // %s' % (rid, rel, what))
    lines.append("")
    return "\n".join(lines)


# ---------------------------------------------------------------------------
# Self-check of what build() made

def expect(cond, message):
    if not cond:
        raise SystemExit("make_art.py: check failed: " + message)


def verify(files):
    def icon_sizes(rel):
        return [img.size for img in read_ico(files[rel])]

    expect(len(EVENT_ICONS) == 54, "54 event icons")
    expect(len(BIRTH_ICONS) == 20, "20 birthday icons")
    expect(len(ZODIAC_ICONS) == 12, "12 zodiac icons")
    expect(EVENT_ICONS[0][0] == "alarm clock", "a new event's icon is the alarm clock")
    for group in (EVENT_ICONS, BIRTH_ICONS, TOOLBAR_BUTTONS):
        names = [g if isinstance(g, str) else g[0] for g in group]
        expect(len(set(names)) == len(names), "names within a set are unique")
    for group in (EVENT_ICONS, BIRTH_ICONS, ZODIAC_ICONS):
        glyphs = [g[1] for g in group]
        expect(len(set(glyphs)) == len(glyphs), "pictures within a set are distinct")

    expect(icon_sizes("icons/app.ico") == [(n, n) for n in APP_SIZES],
           "app.ico has 16, 20, 24, 32, 40, 48 and 64 px entries")
    expect(icon_sizes("icons/shutdown.ico") == [(16, 16), (32, 32)],
           "shutdown.ico has 16 and 32 px entries")
    for rel in ("icons/tooltip/pin_off.ico", "icons/tooltip/pin_on.ico"):
        expect(icon_sizes(rel) == [(n, n) for n in PIN_SIZES],
               rel + " has 16, 24 and 32 px entries")
    rels = [r for r in files if r.startswith("icons/")]
    for rel in rels:
        imgs = read_ico(files[rel])
        for img in imgs:
            alpha = img.getchannel("A")
            if not rel.endswith("_d.ico"):
                # (A thin picture at 16 px may peak just short of 255.)
                expect(alpha.getextrema()[1] >= 250, rel + " has opaque pixels")
            if rel.startswith("icons/app") or rel.startswith("icons/shutdown"):
                continue
            # A pixel's breathing space on every side, so neighbours in a
            # list or the picker grid never touch.
            w, h = img.size
            ring = [alpha.getpixel((x, y)) for x in range(w) for y in range(h)
                    if x in (0, w - 1) or y in (0, h - 1)]
            expect(max(ring) < 128, rel + " keeps its border clear")
        def has(sizes):
            return [i.size for i in imgs] == [(n, n) for n in sizes]
        if rel.startswith(("icons/events/", "icons/birthdays/")):
            expect(has(SMALL_SIZES), rel + " has the list sizes 16, 20, 24 and 32")
        if rel.startswith("icons/zodiac/"):
            expect(has((32,)), rel + " is one 32 x 32 entry")
        if rel.startswith("icons/sidebar/"):
            expect(has(LARGE_SIZES), rel + " has 32, 40, 48 and 64 px entries")
        if rel.startswith("icons/toolbar/"):
            expect(has(TOOLBAR_SIZES), rel + " has 24, 30, 36 and 48 px entries")
    expect(len([r for r in rels if r.startswith("icons/toolbar/")]) == 12, "12 tool-bar icons")

    # Disabled tool-bar pictures are grey and fainter than the normal ones.
    for name in TOOLBAR_BUTTONS:
        for normal, faded in zip(read_ico(files["icons/toolbar/%s.ico" % name]),
                                 read_ico(files["icons/toolbar/%s_d.ico" % name])):
            r, g, b, a = faded.split()
            expect(ImageChops.difference(r, g).getextrema()[1] <= 1 and
                   ImageChops.difference(g, b).getextrema()[1] <= 1, name + "_d is grey")
            expect(a.getextrema()[1] < normal.getchannel("A").getextrema()[1], name + "_d is fainter")
    # The whole artwork stays small: the program must fit in 2 MB.
    total = sum(len(data) for rel, data in files.items() if rel.startswith(("icons/", "bitmaps/")))
    expect(total <= 1400 * 1024, "the artwork is %d KB, more than 1400 KB" % (total // 1024))

    sizes = {"note_body": (NOTE_W, NOTE_H), "note_close_up": NOTE_CLOSE_SIZE,
             "note_close_down": NOTE_CLOSE_SIZE, "note_arrow_up": NOTE_ARROW_SIZE,
             "note_arrow_down": NOTE_ARROW_SIZE,
             "shutdown_header": (SHUTDOWN_HEADER_SIZE, SHUTDOWN_HEADER_SIZE),
             "tooltip_title": (TOOLTIP_W, TOOLTIP_TITLE_H)}
    bmps = {name: read_bmp(files["bitmaps/%s.bmp" % name]) for name in sizes}
    for name, size in sizes.items():
        expect(bmps[name].size == size, "%s.bmp is %dx%d" % ((name,) + size))

    body = bmps["note_body"]
    # The text area is one flat colour, the one the header publishes.
    l, t, r, b = NOTE_TEXT_RECT
    expect(body.crop((l, t, r, b)).getcolors(1) == [((r - l) * (b - t), NOTE_PAPER)],
           "the note's text area is flat paper")
    # The icon place is paper too, so any icon sits on a calm ground.
    ix, iy = NOTE_ICON_POS
    expect(body.crop((ix, iy, ix + 32, iy + 32)).getcolors(1) == [(32 * 32, NOTE_PAPER)],
           "the note's icon place is flat paper")
    # The footer is flat where a status line would go.
    expect(body.crop((0, NOTE_FOOTER_TOP, NOTE_CLOSE_POS[0], NOTE_H)).getcolors(1) is not None,
           "the footer is flat")
    expect(body.getpixel((20, 190)) == NOTE_FOOTER, "the footer colour is as published")
    # The buttons blend: their corner pixels equal the body pixels under them,
    # and they differ from the body elsewhere.
    for name, pos in (("note_close_up", NOTE_CLOSE_POS), ("note_close_down", NOTE_CLOSE_POS),
                      ("note_arrow_up", NOTE_ARROW_POS), ("note_arrow_down", NOTE_ARROW_POS)):
        img = bmps[name]
        w, h = img.size
        under = body.crop((pos[0], pos[1], pos[0] + w, pos[1] + h))
        left_corner = name.startswith("note_close")
        cx = 0 if left_corner else w - 2
        for y in (0, h - 1):
            expect(img.getpixel((cx, y)) == under.getpixel((cx, y)),
                   name + " corner matches the card")
        expect(ImageChops.difference(img, under).getbbox() is not None, name + " is visible")
    for name in ("note_arrow_up", "note_arrow_down"):
        img = bmps[name]
        x = NOTE_ARROW_POS[0] + NOTE_ARROW_SIZE[0] - 1
        last = img.crop((NOTE_ARROW_SIZE[0] - 1, 0, NOTE_ARROW_SIZE[0], NOTE_ARROW_SIZE[1]))
        expect(last.tobytes() == body.crop((x, NOTE_ARROW_POS[1], x + 1, NOTE_ARROW_POS[1]
                                            + NOTE_ARROW_SIZE[1])).tobytes(),
               name + " leaves its last column to the card")
    expect(bmps["note_close_up"].tobytes() != bmps["note_close_down"].tobytes(),
           "the pressed close button looks different")
    expect(bmps["note_arrow_up"].tobytes() != bmps["note_arrow_down"].tobytes(),
           "the pressed arrow looks different")
    expect(bmps["shutdown_header"].getpixel((0, 0)) == SHUTDOWN_HEADER_BACK,
           "the header picture's corner is the published background")

    # The title bar stretches to any width without a seam: all its columns
    # are alike.  Above its bottom line it stays light enough for dark bold
    # type, and the line is darker than the row above it.
    title = bmps["tooltip_title"]
    w, h = title.size
    first = title.crop((0, 0, 1, h)).resize((w, h), Image.NEAREST)
    expect(ImageChops.difference(title, first).getbbox() is None,
           "the title bar's columns are alike")

    def luma(c):
        return (299 * c[0] + 587 * c[1] + 114 * c[2]) // 1000

    rows = [title.getpixel((0, y)) for y in range(h)]
    expect(min(luma(c) for c in rows[:-1]) >= 200, "the title bar is light behind the text")
    expect(luma(rows[-1]) < luma(rows[-2]) - 15, "the title bar ends in a darker line")

    # Pinned and not pinned tell apart at every size: one stands, the other
    # lies, and the one that is not pinned has lost most of its colour.
    def chroma(img):
        px = [p for p in img.getdata() if p[3] >= 128]
        return sum(max(p[:3]) - min(p[:3]) for p in px) / max(1, len(px))

    pins_off = read_ico(files["icons/tooltip/pin_off.ico"])
    pins_on = read_ico(files["icons/tooltip/pin_on.ico"])
    for off, on in zip(pins_off, pins_on):
        n = on.size[0]
        l, t, r, b = ink_bbox(on)
        expect(b - t > r - l, "the pinned pin stands at %d px" % n)
        l, t, r, b = ink_bbox(off)
        expect(r - l > b - t, "the unpinned pin lies at %d px" % n)
        expect(chroma(off) < 0.6 * chroma(on), "the unpinned pin is faded at %d px" % n)

    # Every file is named by the resource script, once, with a unique number.
    rc = files["art.rc"].decode("ascii")
    ids = {}
    for line in rc.splitlines():
        parts = line.split()
        if len(parts) >= 3 and parts[1] in ("ICON", "BITMAP"):
            rel = parts[2].strip('"')
            expect(rel in files, rel + " named in art.rc exists")
            expect(int(parts[0]) not in ids, "resource %s is unique" % parts[0])
            ids[int(parts[0])] = rel
    named = set(ids.values())
    expect(named == {r for r in files if r.startswith(("icons/", "bitmaps/"))},
           "art.rc names every picture")
    expect(ids[IDI_APP] == "icons/app.ico" and min(ids) == IDI_APP, "the app icon is number 1")
    for i in range(len(EVENT_ICONS)):
        expect(ids[IDI_EVENT_FIRST + i] == "icons/events/event%02d.ico" % i, "event ids")
    for i in range(len(BIRTH_ICONS)):
        expect(ids[IDI_BIRTH_FIRST + i] == "icons/birthdays/birth%02d.ico" % i, "birthday ids")
    for i in range(len(ZODIAC_ICONS)):
        expect(ids[IDI_ZODIAC_FIRST + i] == "icons/zodiac/zod%02d.ico" % i, "zodiac ids")
    expect(ids[IDI_PIN_OFF] == "icons/tooltip/pin_off.ico" and
           ids[IDI_PIN_ON] == "icons/tooltip/pin_on.ico", "pin ids")
    expect(ids[IDB_TOOLTIP_TITLE] == "bitmaps/tooltip_title.bmp", "title bar id")
    # The ranges do not run into each other.
    expect(IDI_EVENT_FIRST + len(EVENT_ICONS) <= IDI_BIRTH_FIRST, "event range")
    expect(IDI_BIRTH_FIRST + len(BIRTH_ICONS) <= IDI_ZODIAC_FIRST, "birthday range")
    expect(IDI_ZODIAC_FIRST + len(ZODIAC_ICONS) <= IDI_TB_FIRST, "zodiac range")

    # The header's numbers agree with the script.
    defines = {}
    for line in files["ArtIds.h"].decode("ascii").splitlines():
        parts = line.split()
        if len(parts) == 3 and parts[0] == "#define":
            defines[parts[1]] = int(parts[2])
    for name, rid in (("IDI_TB_NEW", 1300), ("IDI_TB_CLOSE", 1305), ("IDI_TB_NEW_D", 1310),
                      ("IDI_TB_CLOSE_D", 1315), ("IDI_SIDEBAR_EVENTS", 1320),
                      ("IDB_SHUTDOWN_HEADER", 1405), ("EVENT_ICON_COUNT", 54),
                      ("BIRTH_ICON_COUNT", 20), ("ZODIAC_ICON_COUNT", 12),
                      ("NOTE_CLOSE_X", 300), ("NOTE_CLOSE_Y", 180), ("NOTE_ARROW_X", 361),
                      ("IDI_PIN_OFF", 1330), ("IDI_PIN_ON", 1331),
                      ("IDB_TOOLTIP_TITLE", 1406)):
        expect(defines.get(name) == rid, "%s is %d" % (name, rid))
        if name.startswith(("IDI_", "IDB_")):
            expect(rid in ids, name + " is in art.rc")


# ---------------------------------------------------------------------------
# Contact sheets, for looking at the results

def contact_sheets(files, folder):
    os.makedirs(folder, exist_ok=True)
    sets = [
        ("events", ["icons/events/event%02d.ico" % i for i in range(len(EVENT_ICONS))]),
        ("birthdays", ["icons/birthdays/birth%02d.ico" % i for i in range(len(BIRTH_ICONS))]),
        ("zodiac", ["icons/zodiac/zod%02d.ico" % i for i in range(len(ZODIAC_ICONS))]),
        ("toolbar", ["icons/toolbar/%s.ico" % n for n in TOOLBAR_BUTTONS] +
         ["icons/toolbar/%s_d.ico" % n for n in TOOLBAR_BUTTONS]),
        ("other", ["icons/sidebar/events.ico", "icons/sidebar/birthdays.ico",
                   "icons/app.ico", "icons/shutdown.ico"]),
    ]
    for name, rels in sets:
        # Each cell: the largest entry at 1x and 2x on a light ground, the
        # 16 px reduction on light and on the grey of a sidebar.
        cols = 9
        cell_w, cell_h = 150, 80
        rows = (len(rels) + cols - 1) // cols
        sheet = Image.new("RGB", (cols * cell_w, rows * cell_h), (250, 250, 250))
        d = ImageDraw.Draw(sheet)
        for k, rel in enumerate(rels):
            x, y = (k % cols) * cell_w, (k // cols) * cell_h
            imgs = read_ico(files[rel])
            big = imgs[-1]
            s = big.size[0]
            sheet.paste(big, (x + 4, y + 4), big)
            twice = big.resize((s * 2, s * 2), Image.NEAREST)
            sheet.paste(twice, (x + 8 + s, y + 4), twice)
            small = big.resize((16, 16), Image.LANCZOS)
            sheet.paste(small, (x + 12 + 3 * s, y + 4), small)
            d.rectangle((x + 12 + 3 * s, y + 24, x + 12 + 3 * s + 15, y + 39), fill=(171, 171, 171))
            sheet.paste(small, (x + 12 + 3 * s, y + 24), small)
            d.text((x + 4, y + cell_h - 14), os.path.basename(rel), fill=(0, 0, 0))
        sheet.save(os.path.join(folder, name + ".png"))
    # The note as the window will show it, and its buttons pressed.
    body = read_bmp(files["bitmaps/note_body.bmp"])
    views = []
    for close, arrow in (("up", "up"), ("down", "up"), ("up", "down")):
        v = body.copy()
        v.paste(read_bmp(files["bitmaps/note_close_%s.bmp" % close]), NOTE_CLOSE_POS)
        v.paste(read_bmp(files["bitmaps/note_arrow_%s.bmp" % arrow]), NOTE_ARROW_POS)
        views.append(v)
    sheet = Image.new("RGB", (NOTE_W * 2 + 10, NOTE_H * 2 + 10), (255, 255, 255))
    sheet.paste(views[0], (0, 0))
    sheet.paste(views[1], (NOTE_W + 10, 0))
    sheet.paste(views[2], (0, NOTE_H + 10))
    header = read_bmp(files["bitmaps/shutdown_header.bmp"])
    sheet.paste(header.resize((99, 99), Image.NEAREST), (NOTE_W + 20, NOTE_H + 20))
    sheet.paste(header, (NOTE_W + 130, NOTE_H + 20))
    sheet.save(os.path.join(folder, "note.png"))
    sheet.resize((sheet.width * 2, sheet.height * 2), Image.NEAREST).save(
        os.path.join(folder, "note_x2.png"))

    # The upcoming-reminders window at 100, 150 and 200 percent, the title
    # bar stretched as the window does and each pin on it, with a sample
    # date where the window writes its own; then the bar's right end with
    # the 16 px pins four times larger.
    bar = read_bmp(files["bitmaps/tooltip_title.bmp"])
    pins = [read_ico(files["icons/tooltip/pin_%s.ico" % state]) for state in ("off", "on")]
    plain = os.path.join(os.path.dirname(TEXT_FONT_BOLD), "DejaVuSans.ttf")
    views = []
    for scale in (1, 1.5, 2):
        for k in range(2):
            w, th = round(TOOLTIP_W * scale), round(TOOLTIP_TITLE_H * scale)
            v = Image.new("RGB", (w, th + round(38 * scale)), TOOLTIP_BACK)
            v.paste(bar.resize((w, th), Image.BILINEAR), (0, 0))
            n = round(16 * scale)
            pin = [i for i in pins[k] if i.size[0] == n][0]
            v.paste(pin, (w - round(PIN_RIGHT_MARGIN * scale) - n, (th - 1 - n) // 2), pin)
            d = ImageDraw.Draw(v)
            d.text((round(6 * scale), (th - 1) / 2), "Tuesday, 14 May 2024", anchor="lm",
                   fill=(32, 24, 16), font=ImageFont.truetype(TEXT_FONT_BOLD, round(11 * scale)))
            body = ImageFont.truetype(plain, round(11 * scale))
            for j, line in enumerate(("09:30  Dentist", "18:00  Call Anna")):
                d.text((round(8 * scale), th + round((6 + 15 * j) * scale)), line,
                       fill=(0, 0, 0), font=body)
            d.rectangle((0, 0, w - 1, v.height - 1), outline=TOOLTIP_BORDER)
            views.append(v)
    sheet = Image.new("RGB", (2 * views[-1].width + 30, sum(v.height for v in views[::2])
                              + 40), (255, 255, 255))
    y = 10
    for i in range(0, len(views), 2):
        sheet.paste(views[i], (10, y))
        sheet.paste(views[i + 1], (20 + views[-1].width, y))
        y += views[i].height + 10
    sheet.save(os.path.join(folder, "tooltip.png"))
    end = Image.new("RGB", (60 * 4 * 2 + 10, TOOLTIP_TITLE_H * 4), (255, 255, 255))
    for k in range(2):
        v = bar.crop((TOOLTIP_W - 60, 0, TOOLTIP_W, TOOLTIP_TITLE_H))
        pin = pins[k][0]
        v.paste(pin, (60 - PIN_RIGHT_MARGIN - 16, (TOOLTIP_TITLE_H - 1 - 16) // 2), pin)
        end.paste(v.resize((240, TOOLTIP_TITLE_H * 4), Image.NEAREST), (k * 250, 0))
    end.save(os.path.join(folder, "tooltip_pins_x4.png"))


# ---------------------------------------------------------------------------

def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--check", action="store_true",
                        help="verify the committed files instead of writing them")
    parser.add_argument("--sheets", metavar="DIR", help="write PNG contact sheets to DIR")
    args = parser.parse_args()

    files = build()
    verify(files)
    if args.sheets:
        contact_sheets(files, args.sheets)

    stale = []
    for rel in sorted(files):
        path = os.path.join(RES, rel)
        try:
            with open(path, "rb") as f:
                same = f.read() == files[rel]
        except FileNotFoundError:
            same = False
        if same:
            continue
        stale.append(rel)
        if not args.check:
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(files[rel])
    if args.check:
        if stale:
            print("out of date: " + ", ".join(stale))
            return 1
        print("artwork up to date: %d files" % len(files))
        return 0
    print("wrote %d of %d files" % (len(stale), len(files)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
