#!/usr/bin/env python3
"""Draws the window's button pictures and the handheld picture as XPM text files.

Run from this directory after changing a drawing; the build only reads the XPM files.
"""

import math


def blank(size):
    return [[" "] * size for _ in range(size)]


def rect(img, x0, y0, x1, y1, c):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            img[y][x] = c


def frame(img, x0, y0, x1, y1, c):
    for x in range(x0, x1 + 1):
        img[y0][x] = img[y1][x] = c
    for y in range(y0, y1 + 1):
        img[y][x0] = img[y][x1] = c


def disc(img, cx, cy, r, fill, edge):
    for y in range(len(img)):
        for x in range(len(img)):
            d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
            if d <= r - 1:
                img[y][x] = fill
            elif d <= r:
                img[y][x] = edge


def line(img, x0, y0, x1, y1, c):
    steps = max(abs(x1 - x0), abs(y1 - y0)) * 2 + 1
    for i in range(steps + 1):
        t = i / steps
        img[round(y0 + (y1 - y0) * t)][round(x0 + (x1 - x0) * t)] = c


def write(name, img, colours):
    size = len(img)
    used = sorted({c for row in img for c in row})
    with open(name + ".xpm", "w", encoding="ascii") as f:
        f.write("/* XPM */\n")
        f.write(f"static const char* const {name}_xpm[] = {{\n")
        f.write(f'"{size} {size} {len(used)} 1",\n')
        for c in used:
            f.write(f'"{c} c {"None" if c == " " else colours[c]}",\n')
        rows = ["".join(r) for r in img]
        f.write(",\n".join(f'"{r}"' for r in rows))
        f.write("};\n")


INK = {".": "#000000", "w": "#FFFFFF", "y": "#F2C744", "o": "#C8962A", "b": "#2050C8",
       "g": "#30A040", "l": "#9FD0F0", "r": "#C83030", "k": "#7A4A1E", "s": "#A8A8A8",
       "d": "#505050", "e": "#204020", "h": "#70C070"}


def folder():
    img = blank(16)
    rect(img, 2, 3, 6, 4, "o")
    frame(img, 1, 3, 7, 5, ".")
    rect(img, 2, 6, 13, 12, "y")
    frame(img, 1, 5, 14, 13, ".")
    line(img, 2, 6, 13, 6, "o")
    return img


def info():
    img = blank(16)
    disc(img, 8, 8, 7.5, "b", ".")
    rect(img, 7, 3, 8, 4, "w")
    rect(img, 7, 6, 8, 11, "w")
    rect(img, 6, 12, 9, 12, "w")
    return img


def globe():
    img = blank(16)
    disc(img, 8, 8, 7.5, "l", "b")
    line(img, 1, 8, 14, 8, "b")
    line(img, 8, 1, 8, 14, "b")
    for y in range(16):
        for x in range(16):
            if abs(math.hypot((x + 0.5 - 8) / 3.5, (y + 0.5 - 8) / 7.2) - 1) < 0.12:
                img[y][x] = "b"
    line(img, 3, 4, 12, 4, "g")
    line(img, 3, 12, 12, 12, "g")
    return img


def sheet_check():
    img = blank(16)
    rect(img, 3, 1, 12, 14, "w")
    frame(img, 2, 0, 13, 15, ".")
    for y in (3, 5, 7):
        line(img, 4, y, 11, y, "s")
    line(img, 4, 10, 6, 12, "g")
    line(img, 6, 12, 11, 7, "g")
    line(img, 5, 10, 7, 12, "g")
    line(img, 7, 12, 12, 7, "g")
    return img


def door():
    img = blank(16)
    frame(img, 3, 0, 12, 15, ".")
    rect(img, 4, 1, 11, 14, "k")
    rect(img, 9, 7, 10, 8, "y")
    line(img, 3, 15, 12, 15, ".")
    return img


def handheld():
    img = blank(32)
    rect(img, 3, 2, 28, 29, "s")
    for x, y in ((3, 2), (28, 2), (3, 29), (28, 29)):
        img[y][x] = " "
    frame(img, 4, 1, 27, 1, ".")
    frame(img, 4, 30, 27, 30, ".")
    line(img, 2, 3, 2, 28, ".")
    line(img, 29, 3, 29, 28, ".")
    for x, y in ((3, 2), (28, 2), (3, 29), (28, 29)):
        img[y][x] = "."
    rect(img, 7, 4, 24, 15, "d")
    rect(img, 9, 6, 22, 13, "e")
    rect(img, 11, 8, 14, 11, "h")
    rect(img, 17, 9, 20, 11, "h")
    rect(img, 8, 21, 9, 26, ".")
    rect(img, 6, 23, 11, 24, ".")
    disc(img, 22.5, 21.5, 2, "r", ".")
    disc(img, 25.5, 25.5, 2, "r", ".")
    line(img, 13, 27, 18, 27, "d")
    return img


if __name__ == "__main__":
    write("load", folder(), INK)
    write("version", info(), INK)
    write("language", globe(), INK)
    write("crc", sheet_check(), INK)
    write("close", door(), INK)
    write("handheld", handheld(), INK)
