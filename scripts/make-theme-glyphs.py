#!/usr/bin/env python3
"""Draws the "Ide" theme's glyphs of window buttons into one bitmap strip, app/res/TBXGlyphs.bmp
(resource TBXGLYPHS): 16-pixel cells side by side, black glyphs on white, white being the mask
colour. The theme paints each glyph's black pixels in the button's text colour.

  0 close (a cross)   1 maximise (a window)   2 minimise (a bar)   3 restore (two windows)

Run it from the worktree's root to remake the file."""
import importlib.util
import pathlib
import sys

_images = pathlib.Path(__file__).with_name("make-menu-images.py")
_found = importlib.util.spec_from_file_location("menu_images", _images)
menu_images = importlib.util.module_from_spec(_found)
_found.loader.exec_module(menu_images)

SIZE = menu_images.SIZE
INK = (0, 0, 0)
PAPER = (255, 255, 255)   # the mask colour


def cell():
    return [[PAPER] * SIZE for _ in range(SIZE)]


def window(img, x0, y0, x1, y1):
    """A window outline with a caption two pixels thick."""
    menu_images.frame(img, x0, y0, x1, y1, INK)
    menu_images.line(img, x0, y0 + 1, x1, y0 + 1, INK)


def close():
    img = cell()
    # 8 x 7, strokes two pixels wide, like the close cross of toolbars and dock panels
    rows = ["XX....XX", ".XX..XX.", "..XXXX..", "...XX...", "..XXXX..", ".XX..XX.", "XX....XX"]
    for y, row in enumerate(rows):
        for x, c in enumerate(row):
            if c == "X":
                img[4 + y][4 + x] = INK
    return img


def maximise():
    img = cell()
    window(img, 3, 3, 11, 10)
    return img


def minimise():
    img = cell()
    menu_images.fill(img, 4, 10, 9, 11, INK)
    return img


def restore():
    img = cell()
    window(img, 6, 3, 12, 8)
    menu_images.fill(img, 3, 6, 9, 11, PAPER)   # the front window hides what lies behind it
    window(img, 3, 6, 9, 11)
    return img


GLYPHS = [close, maximise, minimise, restore]


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else "."
    with open(f"{root}/app/res/TBXGlyphs.bmp", "wb") as f:
        f.write(menu_images.bmp([draw() for draw in GLYPHS]))


if __name__ == "__main__":
    main()
