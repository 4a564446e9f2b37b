#!/usr/bin/env python3
"""Draws Quillnote's 16-pixel menu images into two bitmap strips (24-bit BMP, magenta where an
image is transparent), which the program loads into its image lists:

  app/res/TrayMenuImages.bmp  the tray menu's images, added after the tray icon: new note (1),
                              settings (2)
  app/res/EditorImages.bmp    the note window's images 0..19: undo (0), cut (1), copy (2),
                              paste (3), delete (4), print (5), underline (6), bold (7),
                              italic (8), font colour (9), centre (10), left justify (11),
                              right justify (12), bullets (13), strikeout (15), font (16),
                              new note (17), mail (18), post (19); cell 14 is unused and stays
                              blank

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


def pattern(img, x0, y0, rows, colour):
    """Paints the '#' cells of rows, the first row's first cell at (x0, y0)."""
    for dy, row in enumerate(rows):
        for dx, cell in enumerate(row):
            if cell == "#":
                img[y0 + dy][x0 + dx] = colour


def sheet(img, x0, y0, x1, y1):
    """A white sheet with a dark border and a few lines of text."""
    fill(img, x0, y0, x1, y1, WHITE)
    frame(img, x0, y0, x1, y1, OUTLINE)
    for y in range(y0 + 2, y1 - 1, 2):
        line(img, x0 + 2, y, x1 - 2, y, TEXT_LINE)


LETTER_A = ("...###...",
            "...###...",
            "..##.##..",
            "..##.##..",
            "..##.##..",
            ".##...##.",
            ".#######.",
            ".#######.",
            "##.....##",
            "##.....##")


def undo():
    img = blank()
    cx, cy = 8.5, 8.5

    def inside(x, y):
        # The shaft: a half ring on the right joined to a straight piece along the top.
        r = math.hypot(x - cx, y - cy)
        if x >= cx and 3.0 <= r <= 6.3:
            return True
        if 5 <= x < cx and 2 <= y <= 5:
            return True
        # The head, pointing left with its tip at (1, 3.5).
        return 1 <= x <= 5 and abs(y - 3.5) <= x - 0.5
    outline_shape(img, inside, BLUE, BLUE_EDGE)
    return img


def cut():
    img = blank()
    line(img, 4, 0, 10, 9, GREY_DARK)    # the blades
    line(img, 5, 0, 11, 9, GREY)
    line(img, 11, 0, 5, 9, GREY_DARK)
    line(img, 10, 0, 4, 9, GREY)
    img[5][7] = img[5][8] = OUTLINE       # the screw

    for x0 in (1, 9):                     # the finger rings
        pattern(img, x0, 10, (".####.",
                              "#....#",
                              "#....#",
                              "#....#",
                              "#....#",
                              ".####."), RED_EDGE)
        pattern(img, x0, 10, ("......",
                              ".####.",
                              ".#..#.",
                              ".#..#.",
                              ".####.",
                              "......"), RED)
    return img


def copy():
    img = blank()
    sheet(img, 1, 1, 9, 11)
    sheet(img, 6, 4, 14, 14)
    return img


def paste():
    img = blank()
    fill(img, 1, 2, 11, 14, FOLD)        # the board
    frame(img, 1, 2, 11, 14, NOTE_EDGE)
    fill(img, 4, 1, 8, 3, GREY)           # the clip
    frame(img, 4, 1, 8, 3, OUTLINE)
    sheet(img, 6, 6, 14, 15)
    return img


def underline():
    img = blank()
    pattern(img, 3, 1, ("###....###",
                        ".##....##.",
                        ".##....##.",
                        ".##....##.",
                        ".##....##.",
                        ".##....##.",
                        ".##....##.",
                        ".##....##.",
                        "..##..##..",
                        "...####..."), OUTLINE)
    fill(img, 2, 13, 13, 14, BLUE_EDGE)
    return img


def bold():
    img = blank()
    pattern(img, 3, 2, ("########..",
                        "###...###.",
                        "###...###.",
                        "###...###.",
                        "###..###..",
                        "#######...",
                        "###...###.",
                        "###....###",
                        "###....###",
                        "###....###",
                        "###...###.",
                        "########.."), OUTLINE)
    return img


def italic():
    img = blank()
    pattern(img, 3, 2, ("....######",
                        "......##..",
                        "......##..",
                        ".....##...",
                        ".....##...",
                        ".....##...",
                        "....##....",
                        "....##....",
                        "....##....",
                        "...##.....",
                        "...##.....",
                        "######...."), OUTLINE)
    return img


def font_colour():
    img = blank()
    pattern(img, 3, 1, LETTER_A, OUTLINE)
    fill(img, 1, 12, 14, 14, RED)
    frame(img, 1, 12, 14, 14, RED_EDGE)
    return img


def align(where):
    img = blank()
    for i, y in enumerate((2, 5, 8, 11, 14)):
        width = 14 if i % 2 == 0 else 10
        x0 = {"left": 1, "right": 15 - width, "centre": 1 + (14 - width) // 2}[where]
        fill(img, x0, y - 1, x0 + width - 1, y - 1, BLUE_EDGE)
    return img


def centre():
    return align("centre")


def left_justify():
    return align("left")


def right_justify():
    return align("right")


def bullets():
    img = blank()
    for y in (2, 7, 12):
        fill(img, 1, y, 3, y + 2, BLUE)
        frame(img, 1, y, 3, y + 2, BLUE_EDGE)
        line(img, 6, y + 1, 14, y + 1, OUTLINE)
    return img


def strikeout():
    img = blank()
    pattern(img, 4, 2, (".######.",
                        "##....##",
                        "##......",
                        "##......",
                        ".##.....",
                        "..####..",
                        ".....##.",
                        "......##",
                        "......##",
                        "......##",
                        "##....##",
                        ".######."), OUTLINE)
    fill(img, 1, 7, 14, 8, RED)
    return img


def font():
    img = blank()
    pattern(img, 0, 3, LETTER_A + ("##.....##", "##.....##"), OUTLINE)
    pattern(img, 10, 8, (".###.",
                         "....#",
                         ".####",
                         "#...#",
                         "#..##",
                         ".##.#"), BLUE_EDGE)
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
EDITOR = {0: undo, 1: cut, 2: copy, 3: paste, 4: delete, 5: print_, 6: underline, 7: bold,
          8: italic, 9: font_colour, 10: centre, 11: left_justify, 12: right_justify, 13: bullets,
          15: strikeout, 16: font, 17: new_note, 18: mail, 19: post}


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else "."
    with open(f"{root}/app/res/TrayMenuImages.bmp", "wb") as f:
        f.write(bmp([draw() for draw in TRAY_MENU]))
    editor = [EDITOR[i]() if i in EDITOR else blank() for i in range(20)]
    with open(f"{root}/app/res/EditorImages.bmp", "wb") as f:
        f.write(bmp(editor))


if __name__ == "__main__":
    main()
