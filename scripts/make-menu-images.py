#!/usr/bin/env python3
"""Draws Quillnote's 16-pixel menu images into two bitmap strips (24-bit BMP, magenta where an
image is transparent), which the program loads into its image lists:

  app/res/TrayMenuImages.bmp  the tray menu's images, added after the tray icon: new note (1),
                              settings (2)
  app/res/EditorImages.bmp    the note window's images 0..19 (delete 4, print 5, new note 17,
                              mail 18, post 19); a cell whose image is not drawn yet stays blank

Run it from the worktree's root to remake both files."""
import math
import struct
import sys

SIZE = 16
MASK = (255, 0, 255)

# Colours, as (red, green, blue).
OUTLINE = (64, 64, 64)
NOTE = (255, 255, 153)          # the default note colour
NOTE_EDGE = (176, 128, 32)
FOLD = (230, 200, 90)
TEXT_LINE = (150, 150, 150)
GREEN = (0, 160, 0)
GREEN_EDGE = (0, 96, 0)
RED = (220, 30, 30)
RED_EDGE = (140, 0, 0)
GREY = (192, 192, 192)
GREY_DARK = (112, 112, 112)
WHITE = (255, 255, 255)
BLUE = (60, 120, 210)
BLUE_EDGE = (20, 60, 140)
SKY = (200, 225, 255)


def blank():
    return [[None] * SIZE for _ in range(SIZE)]


def fill(img, x0, y0, x1, y1, colour):
    """Fills the rectangle from (x0, y0) to (x1, y1), both corners included."""
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            img[y][x] = colour


def frame(img, x0, y0, x1, y1, colour):
    for x in range(x0, x1 + 1):
        img[y0][x] = img[y1][x] = colour
    for y in range(y0, y1 + 1):
        img[y][x0] = img[y][x1] = colour


def line(img, x0, y0, x1, y1, colour):
    steps = max(abs(x1 - x0), abs(y1 - y0))
    for i in range(steps + 1):
        x = x0 + round((x1 - x0) * i / steps) if steps else x0
        y = y0 + round((y1 - y0) * i / steps) if steps else y0
        img[y][x] = colour


def outline_shape(img, inside, body, edge):
    """Paints the pixels for which inside(x, y) holds: edge where a neighbour is outside."""
    for y in range(SIZE):
        for x in range(SIZE):
            if not inside(x, y):
                continue
            border = any(not (0 <= x + dx < SIZE and 0 <= y + dy < SIZE and inside(x + dx, y + dy))
                         for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
            img[y][x] = edge if border else body


def plus(img, cx, cy):
    """A green plus of 7 x 7 pixels centred at (cx, cy), outlined."""
    def inside(x, y):
        dx, dy = abs(x - cx), abs(y - cy)
        return (dx <= 1 and dy <= 3) or (dy <= 1 and dx <= 3)
    outline_shape(img, inside, GREEN, GREEN_EDGE)


def new_note():
    img = blank()
    # The sheet with its top right corner folded down.
    fill(img, 1, 1, 12, 14, NOTE)
    frame(img, 1, 1, 12, 14, NOTE_EDGE)
    for i in range(4):
        for x in range(12 - 3 + i, 13):
            img[1 + i][x] = None
    line(img, 9, 1, 12, 4, NOTE_EDGE)
    fill(img, 9, 2, 9, 4, FOLD)
    fill(img, 10, 3, 10, 4, FOLD)
    img[4][11] = FOLD
    line(img, 9, 4, 12, 4, NOTE_EDGE)
    line(img, 9, 1, 9, 4, NOTE_EDGE)
    for y in (4, 7, 10):
        line(img, 3, y, 7 if y == 4 else 9, y, TEXT_LINE)
    plus(img, 12, 12)
    return img


def settings():
    img = blank()
    c = 7.5

    def inside(x, y):
        r = math.hypot(x - c, y - c)
        angle = math.atan2(y - c, x - c)
        if r < 2.0:
            return False  # the hole
        return r <= 5.2 or (r <= 7.6 and math.cos(6 * angle) > -0.1)
    outline_shape(img, inside, GREY, GREY_DARK)
    return img


def delete():
    img = blank()

    def inside(x, y):
        if not (1 <= x <= 14 and 1 <= y <= 14):
            return False
        return abs(x - y) <= 2 or abs(x + y - 15) <= 2
    outline_shape(img, inside, RED, RED_EDGE)
    return img


def print_():
    img = blank()
    fill(img, 4, 1, 11, 6, WHITE)        # the paper going in
    frame(img, 4, 1, 11, 6, OUTLINE)
    fill(img, 1, 6, 14, 11, GREY)        # the printer
    frame(img, 1, 6, 14, 11, OUTLINE)
    line(img, 2, 10, 13, 10, GREY_DARK)
    img[8][12] = GREEN
    fill(img, 4, 10, 11, 14, WHITE)      # the printed page
    frame(img, 4, 10, 11, 14, OUTLINE)
    line(img, 6, 12, 9, 12, TEXT_LINE)
    return img


def mail():
    img = blank()
    fill(img, 1, 3, 14, 12, WHITE)
    frame(img, 1, 3, 14, 12, OUTLINE)
    line(img, 2, 4, 7, 8, OUTLINE)       # the flap
    line(img, 13, 4, 8, 8, OUTLINE)
    line(img, 2, 11, 6, 8, GREY)
    line(img, 13, 11, 9, 8, GREY)
    return img


def post():
    img = blank()

    def bubble(x, y):
        if 1 <= x <= 14 and 2 <= y <= 10:
            corner = (x in (1, 14)) and (y in (2, 10))
            return not corner
        return (y == 11 and 4 <= x <= 6) or (y == 12 and 4 <= x <= 5) or (y == 13 and x == 4)
    outline_shape(img, bubble, SKY, BLUE_EDGE)
    for x in (4, 7, 10):
        fill(img, x, 6, x + 1, 7, BLUE)
    return img


def bmp(images):
    """A bottom-up 24-bit BMP with the images side by side."""
    width, height = SIZE * len(images), SIZE
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for img in images:
            for x in range(SIZE):
                r, g, b = img[y][x] or MASK
                row += bytes((b, g, r))
        row += b"\0" * (stride - len(row))
        rows.append(bytes(row))
    pixels = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return header + info + pixels


TRAY_MENU = [new_note, settings]
EDITOR = {4: delete, 5: print_, 17: new_note, 18: mail, 19: post}


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else "."
    with open(f"{root}/app/res/TrayMenuImages.bmp", "wb") as f:
        f.write(bmp([draw() for draw in TRAY_MENU]))
    editor = [EDITOR[i]() if i in EDITOR else blank() for i in range(20)]
    with open(f"{root}/app/res/EditorImages.bmp", "wb") as f:
        f.write(bmp(editor))


if __name__ == "__main__":
    main()
