#!/usr/bin/env python3
"""Checks the CARDIDLIST bitmap built from resources/cardidlist.txt: the header the
image list loader relies on, the magenta corners of every picture, that every pixel
lands where the text puts it, and that malformed sources are refused."""

import os
import struct
import subprocess
import sys
import tempfile
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SCRIPT = os.path.join(ROOT, "resources", "draw_cardidlist.py")
SOURCE = os.path.join(ROOT, "resources", "cardidlist.txt")

WIDTH, HEIGHT, PICTURE_WIDTH = 144, 37, 36
MAGENTA = (255, 0, 255)


def draw(source_path, output_path):
    return subprocess.run([sys.executable, SCRIPT, source_path, output_path],
                          capture_output=True, text=True)


def read_bmp(path):
    """Returns (info, colours, pixels): header fields, the colour table as RGB tuples,
    and pixels[y][x] as colour-table indexes with y = 0 at the top."""
    with open(path, "rb") as stream:
        data = stream.read()
    magic, file_size, _, _, offset = struct.unpack_from("<2sIHHI", data, 0)
    (header_size, width, height, planes, bpp, compression, image_size,
     _, _, colours_used, _) = struct.unpack_from("<IiiHHIIiiII", data, 14)
    info = dict(magic=magic, file_size=file_size, actual_size=len(data), offset=offset,
                header_size=header_size, width=width, height=height, planes=planes,
                bpp=bpp, compression=compression, image_size=image_size,
                colours_used=colours_used)
    table_entries = colours_used or 256
    table_start = 14 + header_size
    colours = []
    for index in range(table_entries):
        blue, green, red, _ = data[table_start + 4 * index:table_start + 4 * index + 4]
        colours.append((red, green, blue))
    stride = (width + 3) & ~3
    rows = [data[offset + stride * row:offset + stride * row + width] for row in range(abs(height))]
    if height > 0:
        rows.reverse()  # stored bottom-up
    return info, colours, rows


def valid_source():
    palette = ".  255 0 255  background\nK  0 0 0  outline\n"
    picture = "\n".join("K" + "." * 34 + "K" for _ in range(37))
    return "palette\n" + palette + "".join(
        f"picture {n}\n{picture}\n" for n in range(4))


class CardImageStripTest(unittest.TestCase):
    def setUp(self):
        self.temp = tempfile.TemporaryDirectory()
        self.addCleanup(self.temp.cleanup)

    def build(self, source_text=None):
        source = SOURCE
        if source_text is not None:
            source = os.path.join(self.temp.name, "source.txt")
            with open(source, "w", encoding="ascii") as stream:
                stream.write(source_text)
        output = os.path.join(self.temp.name, "cardidlist.bmp")
        return draw(source, output), output

    def test_header_is_an_8_bit_bottom_up_strip(self):
        result, output = self.build()
        self.assertEqual(0, result.returncode, result.stderr)
        info, _, _ = read_bmp(output)
        self.assertEqual(b"BM", info["magic"])
        self.assertEqual(info["actual_size"], info["file_size"])
        self.assertEqual(40, info["header_size"])
        self.assertEqual((WIDTH, HEIGHT), (info["width"], info["height"]))
        self.assertEqual(1, info["planes"])
        self.assertEqual(8, info["bpp"])
        self.assertEqual(0, info["compression"])  # BI_RGB
        self.assertEqual(14 + 40 + 256 * 4, info["offset"])
        self.assertEqual(((WIDTH + 3) & ~3) * HEIGHT, info["image_size"])

    def test_corners_of_every_picture_are_magenta(self):
        _, output = self.build()
        _, colours, pixels = read_bmp(output)
        for picture in range(WIDTH // PICTURE_WIDTH):
            left = picture * PICTURE_WIDTH
            for x, y in ((left, 0), (left + PICTURE_WIDTH - 1, 0),
                         (left, HEIGHT - 1), (left + PICTURE_WIDTH - 1, HEIGHT - 1)):
                with self.subTest(picture=picture, x=x, y=y):
                    self.assertEqual(MAGENTA, colours[pixels[y][x]])

    def test_every_pixel_has_the_colour_of_its_character(self):
        # A picture source of one distinct pattern per picture, so that a swapped
        # picture, a flipped row order or a shifted palette shows up.
        palette = ".  255 0 255  background\nK  0 0 0  outline\nr  255 0 0  red\n" \
                  "g  0 128 0  green\n"
        pictures = []
        for n in range(4):
            rows = []
            for y in range(37):
                row = ["."] * 36
                row[n + y % 30] = "K"
                row[35 - n] = "r" if y < 18 else "g"
                rows.append("".join(row))
            pictures.append(rows)
        text = "palette\n" + palette + "".join(
            f"picture {n}\n" + "\n".join(rows) + "\n" for n, rows in enumerate(pictures))
        result, output = self.build(text)
        self.assertEqual(0, result.returncode, result.stderr)
        _, colours, pixels = read_bmp(output)
        expected = {".": MAGENTA, "K": (0, 0, 0), "r": (255, 0, 0), "g": (0, 128, 0)}
        for n, rows in enumerate(pictures):
            for y, row in enumerate(rows):
                for x, char in enumerate(row):
                    got = colours[pixels[y][n * PICTURE_WIDTH + x]]
                    if got != expected[char]:
                        self.fail(f"picture {n} at ({x}, {y}): expected {expected[char]} "
                                  f"for '{char}', got {got}")

    def test_malformed_sources_are_refused(self):
        good = valid_source()
        lines = good.splitlines()
        first_row = lines.index("picture 0") + 1
        rows = [
            ("row one pixel short", "\n".join(
                lines[:first_row] + [lines[first_row][:-1]] + lines[first_row + 1:]),
             "expected 36"),
            ("unknown character", "\n".join(
                lines[:first_row] + ["Z" + lines[first_row][1:]] + lines[first_row + 1:]),
             "'Z' is not in the palette"),
            ("picture one row short", "\n".join(
                lines[:first_row] + lines[first_row + 1:]), "rows, expected 37"),
            ("three pictures", good[:good.index("picture 3")], "expected 4"),
            ("pictures out of order", good.replace("picture 1", "picture 2", 1),
             "expected 'picture 1'"),
            ("no magenta", good.replace("255 0 255", "128 0 128"), "magenta"),
            ("colour out of range", good.replace("0 0 0", "0 256 0"), "0 to 255"),
            ("not a standard colour", good.replace("K  0 0 0", "K  0 0 1"),
             "16 standard colours"),
            ("character defined twice", good.replace("K  0 0 0", ".  0 0 0"), "twice"),
        ]
        for name, text, message in rows:
            with self.subTest(name):
                result, _ = self.build(text)
                self.assertEqual(1, result.returncode, result.stderr)
                self.assertIn(message, result.stderr)
        result, _ = self.build(good)
        self.assertEqual(0, result.returncode, result.stderr)


if __name__ == "__main__":
    unittest.main()
