#!/usr/bin/env python3
"""Builds the CARDIDLIST bitmap from its text source.

Usage: draw_cardidlist.py SOURCE.txt OUTPUT.bmp

The source holds a palette and four pictures drawn as rows of characters:

    palette
    .  255   0 255  background, transparent in the image list
    K    0   0   0  outline
    picture 0  card going into a card reader
    <37 rows of 36 characters, one character per pixel>
    picture 1  ...

Lines starting with '#' and blank lines between sections are ignored. A palette
entry is one printable character (not '#') followed by red, green and blue
(0 to 255, one of the 16 standard Windows colours) and an optional description. The pictures are numbered 0 to 3 and
must appear in that order; every pixel character must be in the palette.

The output is the 144 x 37 image list strip: the four pictures side by side,
8 bits per pixel with a 256-entry colour table, BITMAPINFOHEADER, bottom-up rows
padded to 4 bytes. Only the standard library is used.
"""

import struct
import sys

PICTURE_WIDTH = 36
PICTURE_HEIGHT = 37
PICTURE_COUNT = 4
STRIP_WIDTH = PICTURE_WIDTH * PICTURE_COUNT
BITS_PER_PIXEL = 8
COLOUR_TABLE_ENTRIES = 256
FILE_HEADER_SIZE = 14
INFO_HEADER_SIZE = 40
PIXELS_PER_METRE = 2835  # 72 dots per inch
BACKGROUND = (255, 0, 255)
# The image list made from the bitmap holds 4-bit colour and shows every other colour
# as the nearest of these 16, so the source may use no others.
STANDARD_COLOURS = {
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
}


class SourceError(Exception):
    pass


def parse(lines):
    """Returns (palette, pictures): palette maps a character to (index, rgb),
    pictures is a list of PICTURE_COUNT lists of PICTURE_HEIGHT row strings."""
    palette = {}
    pictures = []
    section = None
    rows = None

    def close_picture(line_number):
        if rows is not None and len(rows) != PICTURE_HEIGHT:
            raise SourceError(
                f"line {line_number}: picture {len(pictures) - 1} has "
                f"{len(rows)} rows, expected {PICTURE_HEIGHT}")

    for number, raw in enumerate(lines, start=1):
        line = raw.rstrip("\r\n").rstrip()
        words = line.split()
        # Pixel rows hold no spaces, so a row never reads as a section header.
        header = bool(words) and words[0] in ("palette", "picture")
        if section == "picture" and len(rows) < PICTURE_HEIGHT and not header \
                and line and not line.startswith("#"):
            if len(line) != PICTURE_WIDTH:
                raise SourceError(
                    f"line {number}: row has {len(line)} pixels, expected {PICTURE_WIDTH}")
            for column, char in enumerate(line):
                if char not in palette:
                    raise SourceError(
                        f"line {number}, column {column + 1}: '{char}' is not in the palette")
            rows.append(line)
            continue
        if not line or line.startswith("#"):
            continue
        if words[0] == "palette":
            if section is not None:
                raise SourceError(f"line {number}: the palette must come first, and once")
            section = "palette"
            continue
        if words[0] == "picture":
            if section is None:
                raise SourceError(f"line {number}: picture before the palette")
            close_picture(number)
            expected = len(pictures)
            if len(words) < 2 or words[1] != str(expected):
                raise SourceError(f"line {number}: expected 'picture {expected}'")
            if expected >= PICTURE_COUNT:
                raise SourceError(f"line {number}: at most {PICTURE_COUNT} pictures")
            section = "picture"
            rows = []
            pictures.append(rows)
            continue
        if section == "palette":
            char = line[0]
            fields = line[1:].split(None, 3)
            if char.isspace() or char == "#" or not char.isprintable() or ord(char) > 126:
                raise SourceError(f"line {number}: palette character must be printable ASCII, not '#'")
            if char in palette:
                raise SourceError(f"line {number}: '{char}' is defined twice")
            if len(fields) < 3:
                raise SourceError(f"line {number}: expected '<char> red green blue [description]'")
            try:
                rgb = tuple(int(value) for value in fields[:3])
            except ValueError:
                raise SourceError(f"line {number}: colour values must be integers") from None
            if any(value < 0 or value > 255 for value in rgb):
                raise SourceError(f"line {number}: colour values must be 0 to 255")
            if rgb not in STANDARD_COLOURS:
                raise SourceError(
                    f"line {number}: {rgb} is not one of the 16 standard colours "
                    "(the 4-bit image list would show another)")
            if len(palette) >= COLOUR_TABLE_ENTRIES:
                raise SourceError(f"line {number}: more than {COLOUR_TABLE_ENTRIES} colours")
            palette[char] = (len(palette), rgb)
            continue
        raise SourceError(f"line {number}: unexpected text '{line}'")

    close_picture(len(lines))
    if len(pictures) != PICTURE_COUNT:
        raise SourceError(f"found {len(pictures)} pictures, expected {PICTURE_COUNT}")
    if BACKGROUND not in [rgb for _, rgb in palette.values()]:
        raise SourceError("the palette has no magenta (255 0 255) background colour")
    return palette, pictures


def encode_bmp(palette, pictures):
    stride = (STRIP_WIDTH * BITS_PER_PIXEL // 8 + 3) & ~3
    pixel_bytes = bytearray()
    for y in reversed(range(PICTURE_HEIGHT)):  # bottom-up
        row = bytearray(palette[char][0] for picture in pictures for char in picture[y])
        row.extend(b"\0" * (stride - len(row)))
        pixel_bytes += row

    table = bytearray(COLOUR_TABLE_ENTRIES * 4)
    for index, (red, green, blue) in palette.values():
        table[index * 4:index * 4 + 4] = bytes((blue, green, red, 0))

    offset = FILE_HEADER_SIZE + INFO_HEADER_SIZE + len(table)
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(pixel_bytes), 0, 0, offset)
    info_header = struct.pack("<IiiHHIIiiII", INFO_HEADER_SIZE, STRIP_WIDTH, PICTURE_HEIGHT,
                              1, BITS_PER_PIXEL, 0, len(pixel_bytes),
                              PIXELS_PER_METRE, PIXELS_PER_METRE, COLOUR_TABLE_ENTRIES, 0)
    return file_header + info_header + bytes(table) + bytes(pixel_bytes)


def main(argv):
    if len(argv) != 3:
        print(f"usage: {argv[0]} SOURCE.txt OUTPUT.bmp", file=sys.stderr)
        return 2
    source, output = argv[1], argv[2]
    try:
        with open(source, encoding="ascii") as stream:
            lines = stream.readlines()
        palette, pictures = parse(lines)
    except UnicodeDecodeError as error:
        print(f"{source}: not plain ASCII at byte {error.start}", file=sys.stderr)
        return 1
    except SourceError as error:
        print(f"{source}: {error}", file=sys.stderr)
        return 1
    with open(output, "wb") as stream:
        stream.write(encode_bmp(palette, pictures))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
