#!/usr/bin/env python3
"""Draws Quillnote's icon (a yellow note with a folded corner and a quill stroke) as a
32-bit .ico with 16, 32 and 48 pixel images. Run it to remake app/res/Quillnote.ico."""
import struct, sys

def pixel(x, y, n):
    s = n / 32.0
    fx, fy = x / s, y / s            # coordinates on a 32-pixel grid
    if fx < 3 or fx >= 29 or fy < 2 or fy >= 30:
        return (0, 0, 0, 0)
    fold = 8
    if fx + (30 - fy) > 26 + fold and fx > 29 - fold and fy > 30 - fold - 1:
        # the folded corner: cut off diagonally, its flap darker
        if fx - 29 + fold + (fy - 30 + fold) < fold * 1.0 + 0.5:
            pass
        return (0, 0, 0, 0) if fx + fy > 29 + 30 - fold * 0.5 else (0x40, 0xB0, 0xE0, 255)
    border = fx < 4 or fx >= 28 or fy < 3 or fy >= 29
    if border:
        return (0x20, 0x80, 0xB0, 255)
    # the quill's stroke: a dark blue diagonal line
    if abs((fx - 8) - (22 - fy) * 0.9) < 1.1 and 8 < fx < 24 and 7 < fy < 22:
        return (0x90, 0x40, 0x20, 255)
    for ly in (10, 15, 20, 25):
        if ly <= fy < ly + 1.2 and 7 <= fx < 24:
            return (0xA0, 0xA0, 0xA0, 255)
    return (0x99, 0xFF, 0xFF, 255)   # the default note colour (blue, green, red)

def image(n):
    rows = []
    for y in range(n - 1, -1, -1):   # bottom-up
        rows.append(b"".join(bytes(pixel(x, y, n)) for x in range(n)))
    xor = b"".join(rows)
    mask_row = ((n + 31) // 32) * 4
    andmask = b"\0" * (mask_row * n)
    header = struct.pack("<IiiHHIIiiII", 40, n, n * 2, 1, 32, 0, len(xor) + len(andmask), 0, 0, 0, 0)
    return header + xor + andmask

sizes = [16, 32, 48]
images = [image(n) for n in sizes]
out = struct.pack("<HHH", 0, 1, len(sizes))
offset = 6 + 16 * len(sizes)
for n, img in zip(sizes, images):
    out += struct.pack("<BBBBHHII", n, n, 0, 0, 1, 32, len(img), offset)
    offset += len(img)
out += b"".join(images)
open(sys.argv[1] if len(sys.argv) > 1 else "app/res/Quillnote.ico", "wb").write(out)
