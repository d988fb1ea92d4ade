#!/usr/bin/python3
"""Draws res/Pixnadel.ico: a white glyph tile with a pixel grid, 16 to 48 px."""
from PIL import Image, ImageDraw

def tile(size):
    img = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    d.rectangle([0, 0, size - 1, size - 1], fill=(255, 255, 255, 255), outline=(40, 70, 140, 255))
    # A blocky glyph (a cross in a box) on an 8 x 8 grid, as a glyph image would show it.
    cell = size / 8.0
    pattern = ["........",
               ".######.",
               ".#..#.#.",
               ".######.",
               ".#..#.#.",
               ".######.",
               "....#...",
               "........"]
    for y, row in enumerate(pattern):
        for x, c in enumerate(row):
            if c == "#":
                d.rectangle([int(x * cell), int(y * cell), int((x + 1) * cell) - 1, int((y + 1) * cell) - 1],
                            fill=(20, 20, 20, 255))
    return img

img = tile(48)
img.save("res/Pixnadel.ico", sizes=[(16, 16), (24, 24), (32, 32), (48, 48)])
