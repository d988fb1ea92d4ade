#!/usr/bin/python3
"""Peer of glyph_bench: the same glyph files made with Pillow.

Each GB2312 character is drawn black on white in WenQuanYi Micro Hei at
48 pixels (regular: the face has no bold, and Pillow has no synthetic bold
but a stroke, which thickens differently), centred in 80 x 80, and saved as a
24-bit BMP; the 16 x 16 pass draws it again and scales it down (box filter,
an area average as HALFTONE is) before saving.
    glyph_peer.py <output folder> [count=2000]
Run with Debian's /usr/bin/python3 (python3-pil).
"""
import os
import sys
import time

from PIL import Image, ImageDraw, ImageFont

FONT = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"


def gb2312_characters(count):
    out = []
    for row in range(0xB0, 0xF8):
        for cell in range(0xA1, 0xFF):
            if row == 0xD7 and cell >= 0xFA:
                continue
            if len(out) == count:
                return out
            out.append(bytes([row, cell]).decode("gbk"))
    return out


def export_all(characters, font, folder, size):
    os.makedirs(folder, exist_ok=True)
    wall, cpu = time.perf_counter(), time.process_time()
    for c in characters:
        image = Image.new("RGB", (80, 80), (255, 255, 255))
        ImageDraw.Draw(image).text((40, 40), c, font=font, fill=(0, 0, 0), anchor="mm")
        if size != 80:
            image = image.resize((size, size), Image.BOX)
        image.save(os.path.join(folder, c + ".bmp"), "BMP")
    n = len(characters)
    return (time.perf_counter() - wall) * 1000 / n, (time.process_time() - cpu) * 1000 / n


def main():
    out = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 2000
    characters = gb2312_characters(count)
    font = ImageFont.truetype(FONT, 48)
    for label, size in (("80x80", 80), ("16x16", 16)):
        wall, cpu = export_all(characters, font, os.path.join(out, str(size)), size)
        files = len([f for f in os.listdir(os.path.join(out, str(size))) if f.endswith(".bmp")])
        print(f"Pillow {label}: {len(characters)} glyphs, {files} files, {wall:.3f} ms/glyph wall, {cpu:.3f} ms/glyph CPU")
        print(f"RESULT peer {label} {wall:.4f} {cpu:.4f}")


if __name__ == "__main__":
    main()
