#!/usr/bin/python3
"""Draws the editor's three pictures, next to this script:

  background.png           275 x 120 RGB   (resource 120)
  buttons_highlighted.png  188 x 28  RGBA  (resource 103)
  buttons_normal.png       188 x 28  RGBA  (resource 102)

Everything is drawn at four times the size and reduced with a box filter on premultiplied
colour, which gives clean anti-aliased edges and text. The button faces sit at x = 40 i in
the strips (28 x 28 each, transparent between them); the editor draws them at
x = 44 + 40 i, y = 54, so the background keeps that row free of anything important.

Run with /usr/bin/python3 (PIL and the DejaVu fonts of fonts-dejavu-core).
"""

import os

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
FONTS = "/usr/share/fonts/truetype/dejavu/"
SCALE = 4

EDITOR_SIZE = (275, 120)
STRIP_SIZE = (188, 28)
FACE = 28
FACE_PITCH = 40
BUTTON_LEFT, BUTTON_TOP = 44, 54
LABELS = ["2x", "4x", "8x", "16x", "32x"]

TURQUOISE = (64, 224, 208)


def font(name, pixels):
    return ImageFont.truetype(FONTS + name, round(pixels * SCALE))


def s(value):
    """Editor pixels to drawing pixels."""
    return round(value * SCALE)


def reduce(image):
    """Box-filters a drawing down to editor pixels without dark fringes at soft edges."""
    width, height = image.size[0] // SCALE, image.size[1] // SCALE
    if image.mode == "RGB":
        return image.resize((width, height), Image.BOX)
    small = image.convert("RGBa").resize((width, height), Image.BOX).convert("RGBA")
    # Fully transparent pixels carry no colour.
    clear = Image.new("RGBA", small.size, (0, 0, 0, 0))
    return Image.composite(small, clear, small.getchannel("A").point(lambda a: 255 if a else 0))


def vertical_gradient(size, top, bottom):
    width, height = size
    gradient = Image.new("RGB", (1, height))
    for y in range(height):
        t = y / max(height - 1, 1)
        gradient.putpixel((0, y), tuple(round(a + (b - a) * t) for a, b in zip(top, bottom)))
    return gradient.resize((width, height))


def rounded_mask(size, box, radius):
    mask = Image.new("L", size, 0)
    ImageDraw.Draw(mask).rounded_rectangle(box, radius=radius, fill=255)
    return mask


def text_width(text, typeface, tracking=0):
    return sum(typeface.getlength(c) for c in text) + tracking * (len(text) - 1)


def draw_text(draw, x, baseline, text, typeface, fill, tracking=0):
    """Draws text left-aligned on a baseline, with extra space between the letters."""
    for c in text:
        draw.text((x, baseline), c, font=typeface, fill=fill, anchor="ls")
        x += typeface.getlength(c) + tracking
    return x


def draw_centred(draw, centre_x, baseline, text, typeface, fill, tracking=0):
    draw_text(draw, centre_x - text_width(text, typeface, tracking) / 2, baseline, text,
              typeface, fill, tracking)


# --- button faces ----------------------------------------------------------------------

class FaceStyle:
    def __init__(self, rim, top, bottom, bevel, label, label_shadow, glow=None):
        self.rim = rim                     # the dark outline
        self.top, self.bottom = top, bottom
        self.bevel = bevel                 # (colour, alpha) of the lit upper edge
        self.label = label
        self.label_shadow = label_shadow   # (colour, alpha, offset in editor pixels)
        self.glow = glow                   # (colour, alpha) of a soft light in the middle


NORMAL = FaceStyle(rim=(14, 15, 17), top=(88, 93, 98), bottom=(52, 55, 59),
                   bevel=((255, 255, 255), 70), label=(214, 218, 222),
                   label_shadow=((0, 0, 0), 150, 1))
HIGHLIGHTED = FaceStyle(rim=(8, 40, 38), top=(118, 240, 228), bottom=(24, 168, 156),
                        bevel=((255, 255, 255), 120), label=(6, 44, 42),
                        label_shadow=((200, 255, 250), 110, 1),
                        glow=((180, 255, 246), 70))


def face(label, style):
    size = (s(FACE), s(FACE))
    radius = s(5)
    outline = rounded_mask(size, (0, 0, size[0] - 1, size[1] - 1), radius)
    inner_box = (s(1), s(1), size[0] - 1 - s(1), size[1] - 1 - s(1))
    inner = rounded_mask(size, inner_box, radius - s(1))

    picture = Image.new("RGBA", size, (0, 0, 0, 0))
    picture.paste(Image.new("RGBA", size, style.rim + (255,)), (0, 0), outline)
    fill = vertical_gradient(size, style.top, style.bottom).convert("RGBA")
    picture.paste(fill, (0, 0), inner)

    if style.glow:
        colour, alpha = style.glow
        glow = Image.new("L", size, 0)
        ImageDraw.Draw(glow).ellipse((s(4), s(6), size[0] - s(4), size[1] - s(2)), fill=alpha)
        glow = ImageChops.multiply(glow.filter(ImageFilter.GaussianBlur(s(4))), inner)
        picture = Image.composite(Image.new("RGBA", size, colour + (255,)), picture, glow)

    # A lit upper edge: one pixel just inside the rim, fading out down the sides.
    colour, alpha = style.bevel
    bevel = Image.new("L", size, 0)
    ImageDraw.Draw(bevel).rounded_rectangle(inner_box, radius=radius - s(1), outline=255,
                                            width=s(1))
    fade = vertical_gradient(size, (alpha,) * 3, (0,) * 3).convert("L")
    fade = fade.point(lambda v: v if v > alpha * 0.55 else 0)
    bevel = ImageChops.multiply(bevel, fade)
    picture = Image.composite(Image.new("RGBA", size, colour + (255,)), picture, bevel)

    digits, suffix = label[:-1], label[-1]
    digit_face = font("DejaVuSans-Bold.ttf", 11)
    suffix_face = font("DejaVuSans-Bold.ttf", 8.5)
    gap = s(0.4)
    width = digit_face.getlength(digits) + gap + suffix_face.getlength(suffix)
    x = (size[0] - width) / 2
    baseline = s(18.5)
    shadow_colour, shadow_alpha, offset = style.label_shadow
    for dy, colour, alpha in ((s(offset) * 0.75, shadow_colour, shadow_alpha),
                              (0, style.label, 255)):
        layer = Image.new("L", size, 0)
        draw = ImageDraw.Draw(layer)
        draw.text((x, baseline + dy), digits, font=digit_face, fill=alpha, anchor="ls")
        draw.text((x + digit_face.getlength(digits) + gap, baseline + dy), suffix,
                  font=suffix_face, fill=alpha, anchor="ls")
        picture = Image.composite(Image.new("RGBA", size, colour + (255,)), picture, layer)
    # Nothing outside the outline, whatever the layers above did.
    picture.putalpha(ImageChops.multiply(picture.getchannel("A"), outline))
    return picture


def strip(style):
    picture = Image.new("RGBA", (s(STRIP_SIZE[0]), s(STRIP_SIZE[1])), (0, 0, 0, 0))
    for i, label in enumerate(LABELS):
        picture.paste(face(label, style), (s(FACE_PITCH * i), 0))
    return reduce(picture)


# --- background ------------------------------------------------------------------------

def background():
    width, height = s(EDITOR_SIZE[0]), s(EDITOR_SIZE[1])
    picture = vertical_gradient((width, height), (9, 10, 11), (0, 0, 0))
    draw = ImageDraw.Draw(picture)
    centre = width / 2

    # Title: the maker's initials in turquoise, the name in light grey.
    initials, name = "QM", "Velvetine"
    initials_face = font("DejaVuSans-Bold.ttf", 16)
    name_face = font("DejaVuSans.ttf", 16)
    space = s(5)
    title_width = text_width(initials, initials_face) + space + text_width(name, name_face, s(0.3))
    x = centre - title_width / 2
    baseline = s(24)
    x = draw_text(draw, x, baseline, initials, initials_face, TURQUOISE)
    draw_text(draw, x + space, baseline, name, name_face, (226, 229, 232), s(0.3))

    # A hairline under the title that fades out to both sides.
    line = Image.new("L", (width, s(1)), 0)
    for xx in range(width):
        t = 1 - abs(xx - centre) / (width * 0.42)
        line.putpixel((xx, 0), max(0, round(150 * min(1, t * 1.6))))
    picture.paste(Image.new("RGB", (width, s(1)), TURQUOISE), (0, s(32)), line)

    # The panel the buttons sit in, with the caption on its upper part.
    panel = (s(BUTTON_LEFT - 8), s(38), s(BUTTON_LEFT + 4 * FACE_PITCH + FACE + 8) - 1,
             s(BUTTON_TOP + FACE + 7) - 1)
    draw.rounded_rectangle(panel, radius=s(7), fill=(17, 19, 21), outline=(36, 39, 42),
                           width=s(1))
    draw.line((panel[0] + s(7), panel[3], panel[2] - s(7), panel[3]), fill=(44, 48, 52),
              width=s(1))

    caption_face = font("DejaVuSans-Bold.ttf", 7.5)
    draw_centred(draw, s(BUTTON_LEFT + (4 * FACE_PITCH + FACE) / 2), s(49), "OVERSAMPLING",
                 caption_face, (150, 158, 164), s(1.6))

    footer_face = font("DejaVuSans.ttf", 7)
    draw_centred(draw, centre, s(108), "STEREO  \u00b7  MINIMUM-PHASE  FIR", footer_face,
                 (84, 90, 96), s(1.1))
    return reduce(picture)


def save(picture, name):
    picture.save(os.path.join(HERE, name), optimize=True)


def main():
    save(background(), "background.png")
    save(strip(HIGHLIGHTED), "buttons_highlighted.png")
    save(strip(NORMAL), "buttons_normal.png")


if __name__ == "__main__":
    main()
