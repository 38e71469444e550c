#!/usr/bin/python3
"""Draws the window's artwork into app/resources/.

The folder button's glyphs (up, pressed, disabled), the glyphs of the play
and delete buttons, the three placeholder thumbnails (JPEG, as the library
pane expects) and the copy animation (a strip of frames, 272 x 60 each).
Run with the system's Python and Pillow: /usr/bin/python3 tools/make-artwork.py
"""
import math
import os

from PIL import Image, ImageDraw

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "app", "resources")

FACE = (240, 240, 240)
FOLDER = (236, 190, 74)
FOLDER_DARK = (176, 128, 32)
FOLDER_OPEN = (250, 214, 120)
PAPER = (255, 255, 255)
INK = (40, 40, 40)
BLUE = (46, 98, 196)


def folder(draw, x, y, w, h, body, edge, open_=False):
    """A folder seen from the front, optionally with its flap open."""
    tab_w = w * 2 // 5
    draw.rectangle([x, y, x + tab_w, y + h // 5], fill=body, outline=edge)
    draw.rectangle([x, y + h // 6, x + w, y + h], fill=body, outline=edge)
    if open_:
        skew = w // 5
        draw.polygon([(x + skew, y + h * 2 // 5), (x + w + skew // 2, y + h * 2 // 5),
                      (x + w - skew // 2, y + h), (x, y + h)], fill=FOLDER_OPEN, outline=edge)


def folder_glyphs():
    for name, body, edge, open_ in (("folder-up", FOLDER, FOLDER_DARK, False),
                                    ("folder-down", FOLDER, FOLDER_DARK, True),
                                    ("folder-disabled", (200, 200, 200), (150, 150, 150), False)):
        img = Image.new("RGBA", (18, 18), (0, 0, 0, 0))
        d = ImageDraw.Draw(img)
        folder(d, 1, 3, 15, 12, body, edge, open_)
        if name == "folder-down":
            # A page peeking out: the library is open.
            d.rectangle([5, 1, 12, 7], fill=PAPER, outline=INK)
        img.save(os.path.join(OUT, name + ".png"))


def button_glyphs():
    play = Image.new("RGBA", (16, 16), (0, 0, 0, 0))
    d = ImageDraw.Draw(play)
    d.polygon([(4, 2), (13, 8), (4, 14)], fill=(40, 150, 60), outline=(20, 90, 30))
    play.save(os.path.join(OUT, "play.png"))

    delete = Image.new("RGBA", (16, 16), (0, 0, 0, 0))
    d = ImageDraw.Draw(delete)
    d.line([(3, 3), (12, 12)], fill=(200, 30, 30), width=3)
    d.line([(12, 3), (3, 12)], fill=(200, 30, 30), width=3)
    delete.save(os.path.join(OUT, "delete.png"))


def placeholders():
    # A missing or unreadable picture: a torn frame with a question mark.
    img = Image.new("RGB", (17, 16), (236, 236, 236))
    d = ImageDraw.Draw(img)
    d.rectangle([0, 0, 16, 15], outline=(128, 128, 128))
    d.arc([5, 2, 11, 8], 180, 90, fill=(180, 40, 40), width=2)
    d.line([(8, 8), (8, 10)], fill=(180, 40, 40), width=2)
    d.point([(8, 13)], fill=(180, 40, 40))
    img.save(os.path.join(OUT, "placeholder-missing.jpg"), quality=95)

    # A video without thumbnail: a piece of film.
    img = Image.new("RGB", (32, 32), (60, 60, 70))
    d = ImageDraw.Draw(img)
    for y in range(2, 32, 6):
        d.rectangle([2, y, 5, y + 2], fill=(230, 230, 230))
        d.rectangle([26, y, 29, y + 2], fill=(230, 230, 230))
    d.rectangle([8, 6, 23, 25], fill=(120, 170, 230))
    d.polygon([(13, 11), (20, 16), (13, 21)], fill=PAPER)
    img.save(os.path.join(OUT, "placeholder-video.jpg"), quality=95)

    # A music file: a pair of notes.
    img = Image.new("RGB", (32, 32), (250, 246, 230))
    d = ImageDraw.Draw(img)
    d.ellipse([5, 20, 13, 27], fill=INK)
    d.ellipse([18, 17, 26, 24], fill=INK)
    d.line([(12, 23), (12, 6)], fill=INK, width=2)
    d.line([(25, 20), (25, 3)], fill=INK, width=2)
    d.polygon([(12, 6), (25, 3), (25, 7), (12, 10)], fill=INK)
    img.save(os.path.join(OUT, "placeholder-music.jpg"), quality=95)


def copy_animation(frames=32, w=272, h=60):
    """A page flying from one folder into the other, frame by frame, stacked."""
    strip = Image.new("RGB", (w, h * frames), FACE)
    for i in range(frames):
        frame = Image.new("RGB", (w, h), FACE)
        d = ImageDraw.Draw(frame)
        folder(d, 14, 22, 48, 32, FOLDER, FOLDER_DARK, open_=True)
        folder(d, w - 62, 22, 48, 32, FOLDER, FOLDER_DARK, open_=True)
        t = i / frames
        x = 38 + t * (w - 100)
        y = 30 - math.sin(t * math.pi) * 26
        tilt = math.sin(t * math.pi * 2) * 4
        page = [(x, y + tilt), (x + 18, y - tilt), (x + 18, y + 22 - tilt), (x, y + 22 + tilt)]
        d.polygon(page, fill=PAPER, outline=INK)
        for k in range(3):
            d.line([(x + 3, y + 6 + k * 5), (x + 15, y + 6 + k * 5)], fill=BLUE)
        strip.paste(frame, (0, i * h))
    strip.save(os.path.join(OUT, "copy-animation.png"))


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    folder_glyphs()
    button_glyphs()
    placeholders()
    copy_animation()
