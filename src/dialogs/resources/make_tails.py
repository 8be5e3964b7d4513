#!/usr/bin/env python3
"""Writes the balloon tail pictures TAIL and TAILLEFT (15 x 21, 16 colours).

The pictures are drawn below, one character a pixel: '.' is the yellow background the
balloon leaves out, '#' the black outline and 'o' the white inside. TAILLEFT is the
mirror image of TAIL. Run from this folder: python3 make_tails.py
"""
import struct
import zlib

TAIL = """
..........#oooo
..........#oooo
.........#ooooo
.........#ooooo
........#ooooo#
........#oooo#.
.......#ooooo#.
.......#oooo#..
......#ooooo#..
......#oooo#...
.....#ooooo#...
.....#oooo#....
....#ooooo#....
....#oooo#.....
...#ooooo#.....
..#ooooo#......
..#oooo#.......
.#oooo#........
.#oo##.........
#oo#...........
###............
"""

# The sixteen colours of the classic palette; the pictures use three of them.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
    (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
INDEX = {'#': 0, '.': 11, 'o': 15}


def rows_of(picture):
    rows = [line for line in picture.strip().splitlines()]
    assert len(rows) == 21 and all(len(r) == 15 for r in rows), "tails are 15 x 21"
    return rows


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def png(rows):
    raw = bytearray()
    for row in rows:
        raw.append(0)  # no filter
        indices = [INDEX[c] for c in row] + [0]
        for i in range(0, len(row), 2):
            raw.append((indices[i] << 4) | indices[i + 1])
    header = struct.pack(">IIBBBBB", len(rows[0]), len(rows), 4, 3, 0, 0, 0)
    palette = b"".join(bytes(c) for c in PALETTE)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"PLTE", palette)
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def main():
    rows = rows_of(TAIL)
    with open("tail.png", "wb") as f:
        f.write(png(rows))
    with open("tailleft.png", "wb") as f:
        f.write(png([row[::-1] for row in rows]))


if __name__ == "__main__":
    main()
