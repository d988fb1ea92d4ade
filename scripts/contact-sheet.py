#!/usr/bin/python3
"""Lays the BMP files of a folder out as one contact-sheet PNG, in the order of a text file.

usage: contact-sheet.py <folder> <gbk text file> <out.png>
"""
import os
import sys

from PIL import Image, ImageDraw

folder, text_file, out = sys.argv[1:4]
with open(text_file, "rb") as f:
    text = f.read().split(b"\0")[0].decode("gbk", errors="replace")
names, seen = [], set()
for ch in text:
    path = os.path.join(folder, ch + ".bmp")
    if ch not in seen and os.path.isfile(path):
        seen.add(ch)
        names.append(path)
if not names:
    sys.exit("contact-sheet: no BMP files found")
tiles = [Image.open(p).convert("RGB") for p in names]
w = max(t.width for t in tiles)
h = max(t.height for t in tiles)
cols = min(12, len(tiles))
rows = (len(tiles) + cols - 1) // cols
gap = 4
sheet = Image.new("RGB", (cols * (w + gap) + gap, rows * (h + gap) + gap), (200, 200, 200))
for i, tile in enumerate(tiles):
    x = gap + (i % cols) * (w + gap)
    y = gap + (i // cols) * (h + gap)
    sheet.paste(tile, (x, y))
sheet.save(out)
print(f"contact-sheet: {len(tiles)} glyphs of {w} x {h} -> {out}")
