#!/usr/bin/env python3
"""Draws the program's pictures: toolbar buttons, the program icon and the tip picture.

Every picture is a list of filled and outlined polygons in a design grid (25 units for
the toolbar, 64 for the icon, 32 for the tip picture). The script writes each as an SVG
and rasterises it with 4x4 supersampling into PNGs at 1x and 2x (and the icon sizes a
desktop asks for), so the buttons stay crisp on a high-DPI screen. Standard library only.

    python3 make_pictures.py            # writes into the folder of this script
"""
import math
import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

# --- shapes --------------------------------------------------------------------------


def rect(x, y, w, h, r=0.0):
    if r <= 0:
        return [(x, y), (x + w, y), (x + w, y + h), (x, y + h)]
    pts = []
    for cx, cy, a0 in ((x + w - r, y + r, -90), (x + w - r, y + h - r, 0),
                       (x + r, y + h - r, 90), (x + r, y + r, 180)):
        for i in range(7):
            a = math.radians(a0 + i * 15)
            pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return pts


def circle(cx, cy, r, n=40):
    return [(cx + r * math.cos(2 * math.pi * i / n), cy + r * math.sin(2 * math.pi * i / n)) for i in range(n)]


def arc(cx, cy, r, a0, a1, width, n=24):
    """A thick arc from angle a0 to a1 (degrees) as a closed polygon."""
    outer, inner = [], []
    for i in range(n + 1):
        a = math.radians(a0 + (a1 - a0) * i / n)
        outer.append((cx + (r + width / 2) * math.cos(a), cy + (r + width / 2) * math.sin(a)))
        inner.append((cx + (r - width / 2) * math.cos(a), cy + (r - width / 2) * math.sin(a)))
    return outer + inner[::-1]


def bar(x1, y1, x2, y2, width):
    """A straight thick line with square ends."""
    dx, dy = x2 - x1, y2 - y1
    n = math.hypot(dx, dy) or 1.0
    ox, oy = -dy / n * width / 2, dx / n * width / 2
    return [(x1 + ox, y1 + oy), (x2 + ox, y2 + oy), (x2 - ox, y2 - oy), (x1 - ox, y1 - oy)]


def shape(points, fill=None, stroke=None, width=1.0, holes=()):
    return {"rings": [points] + list(holes), "fill": fill, "stroke": stroke, "width": width}


# --- palette ---------------------------------------------------------------------------
INK = (38, 50, 72)          # outlines
PAPER = (255, 255, 255)
PAPER_SHADE = (222, 229, 238)
BLUE = (52, 110, 196)
BLUE_LIGHT = (150, 190, 240)
AMBER = (240, 170, 40)
RED = (200, 52, 48)
GREEN = (70, 150, 80)
GREY = (150, 158, 170)
STEEL = (120, 132, 150)


def page(x, y, w, h, fold=4.0, fill=PAPER):
    """A sheet with a folded top-right corner."""
    body = [(x, y), (x + w - fold, y), (x + w, y + fold), (x + w, y + h), (x, y + h)]
    corner = [(x + w - fold, y), (x + w - fold, y + fold), (x + w, y + fold)]
    return [shape(body, fill, INK, 1.0), shape(corner, PAPER_SHADE, INK, 1.0)]


def text_lines(x, y, w, rows, gap=2.5, colour=GREY, width=1.0):
    out = []
    for i, frac in enumerate(rows):
        out.append(shape(rect(x, y + i * gap, w * frac, width), colour))
    return out


# --- the toolbar pictures (25 x 25) ------------------------------------------------------


def open_picture():
    back = [(2.5, 6.5), (9, 6.5), (11, 8.5), (20.5, 8.5), (20.5, 19.5), (2.5, 19.5)]
    front = [(2.5, 19.5), (6.5, 11.5), (23.5, 11.5), (19.5, 19.5)]
    return [shape(back, (230, 180, 70), INK, 1.0), shape(front, (250, 208, 100), INK, 1.0),
            shape(arc(16.5, 7.5, 3.5, 200, 350, 1.4), BLUE), shape([(19.0, 4.2), (21.8, 7.6), (18.0, 8.4)], BLUE)]


def save_picture():
    body = [(3.5, 3.5), (18.5, 3.5), (21.5, 6.5), (21.5, 21.5), (3.5, 21.5)]
    return [shape(body, BLUE, INK, 1.0),
            shape(rect(7, 3.5, 10, 6), (230, 236, 245), INK, 1.0),
            shape(rect(13.5, 4.6, 2.2, 3.8), STEEL),
            shape(rect(6.5, 13, 12, 8.5, 0.8), PAPER, INK, 1.0)] + text_lines(8.5, 15.2, 8, [1, 0.8], 2.4, GREY, 0.9)


def print_picture():
    return [shape(rect(6.5, 2.5, 12, 8), PAPER, INK, 1.0),
            shape(rect(2.5, 9.5, 20, 9, 1.5), (200, 208, 220), INK, 1.0),
            shape(circle(19, 12.5, 1.0), GREEN),
            shape(rect(6.5, 15.5, 12, 7), PAPER, INK, 1.0)] + text_lines(8.5, 17.5, 8, [1, 0.7], 2.3, GREY, 0.9)


def page_dialog_picture():
    # A sheet with its margins marked, and a landscape sheet behind it.
    out = [shape(rect(9.5, 7.5, 13, 10), PAPER_SHADE, INK, 1.0),
           shape(rect(3.5, 2.5, 12, 19), PAPER, INK, 1.0)]
    for x1, y1, x2, y2 in ((6, 4.5, 6, 19.5), (13, 4.5, 13, 19.5), (5, 5.5, 14, 5.5), (5, 18.5, 14, 18.5)):
        out.append(shape(bar(x1, y1, x2, y2, 0.7), BLUE))
    out += text_lines(7.2, 8, 5, [1, 1, 0.6], 2.4, GREY, 0.9)
    return out


def preview_picture():
    out = page(3.5, 2.5, 13, 17)
    out += text_lines(5.5, 6, 8, [1, 0.8, 1, 0.6], 2.4, GREY, 0.9)
    out += [shape(bar(16.5, 16.5, 22, 22, 2.6), INK),
            shape(circle(14, 14, 4.2), (215, 232, 250), INK, 1.3)]
    return out


def undo_picture():
    # A curve over the top, its head at the left pointing back down.
    return [shape(arc(13, 14, 6.5, -140, 90, 2.6), BLUE),
            shape([(10.6, 12.0), (5.4, 7.6), (5.0, 13.6)], BLUE)]


def cut_picture():
    return [shape(bar(7, 3, 15.5, 16, 1.8), STEEL), shape(bar(18, 3, 9.5, 16, 1.8), STEEL),
            shape(circle(12.5, 9.5, 0.9), INK),
            shape(circle(7.5, 18.5, 3.2), None, RED, 1.8), shape(circle(17.5, 18.5, 3.2), None, RED, 1.8)]


def copy_picture():
    return (page(3.5, 2.5, 11, 14) + text_lines(5.5, 6, 6, [1, 0.7, 1], 2.4, GREY, 0.9)
            + page(10.5, 8.5, 11, 14) + text_lines(12.5, 12, 6, [1, 0.7, 1], 2.4, GREY, 0.9))


def paste_picture():
    return ([shape(rect(3.5, 4.5, 14, 18, 1.5), (200, 150, 90), INK, 1.0),
             shape(rect(7, 2.5, 7, 4, 1.0), STEEL, INK, 1.0)]
            + page(10.5, 9.5, 11, 13) + text_lines(12.5, 13, 6, [1, 0.7, 1], 2.4, GREY, 0.9))


# --- the program icon (64 x 64) ----------------------------------------------------------


def icon_picture():
    out = [shape(rect(4, 2, 56, 60, 6), (38, 72, 130))]  # tile
    out += [shape([(14, 9), (41, 9), (50, 18), (50, 55), (14, 55)], PAPER, INK, 1.5),
            shape([(41, 9), (41, 18), (50, 18)], PAPER_SHADE, INK, 1.5)]
    # Lines of text with filled-in fields: the assembled document.
    y = 22
    for frac, field in ((0.8, None), (0.45, (0.5, 0.35)), (0.9, None), (0.3, (0.35, 0.5)), (0.75, None)):
        out.append(shape(rect(19, y, 26 * frac, 2.2, 1.0), GREY))
        if field:
            out.append(shape(rect(19 + 26 * field[0], y - 0.6, 26 * field[1], 3.4, 1.2), AMBER))
        y += 5.5
    # The "@" badge: a marker turned into a value.
    out += [shape(circle(44, 48, 11), BLUE, PAPER, 2.0),
            shape(arc(44, 48, 5.2, 0, 330, 2.0), PAPER),
            shape(circle(44, 48, 2.4), None, PAPER, 1.8),
            shape(bar(46.4, 45.5, 46.4, 50.6, 1.8), PAPER)]
    return out


# --- the tip picture (32 x 32, on its transparent key colour) ----------------------------


def tip_picture():
    bulb = circle(16, 12, 8.5)
    return [shape(bulb, (255, 236, 120), INK, 1.2),
            shape(arc(16, 12, 5.5, 200, 260, 1.6), PAPER),
            shape([(12.5, 19), (19.5, 19), (19, 23), (13, 23)], (255, 236, 120), INK, 1.0),
            shape(rect(12.5, 23, 7, 5, 1.2), STEEL, INK, 1.0),
            shape(bar(13, 25.2, 19, 25.2, 0.8), INK),
            shape(bar(14.5, 28, 17.5, 28, 1.6), INK)]


# --- output ------------------------------------------------------------------------------


def svg(shapes, size):
    out = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{size}" height="{size}" viewBox="0 0 {size} {size}">']
    for s in shapes:
        d = " ".join("M" + " L".join(f"{x:.2f},{y:.2f}" for x, y in ring) + " Z" for ring in s["rings"])
        fill = "rgb(%d,%d,%d)" % s["fill"] if s["fill"] else "none"
        attrs = f'd="{d}" fill="{fill}" fill-rule="evenodd"'
        if s["stroke"]:
            attrs += ' stroke="rgb(%d,%d,%d)" stroke-width="%.2f" stroke-linejoin="round"' % (s["stroke"] + (s["width"],))
        out.append(f"  <path {attrs}/>")
    out.append("</svg>\n")
    return "\n".join(out)


def _inside(rings, x, y):
    hit = False
    for ring in rings:
        n = len(ring)
        for i in range(n):
            x1, y1 = ring[i]
            x2, y2 = ring[(i + 1) % n]
            if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
                hit = not hit
    return hit


def _near_edge(rings, x, y, half):
    h2 = half * half
    for ring in rings:
        n = len(ring)
        for i in range(n):
            x1, y1 = ring[i]
            x2, y2 = ring[(i + 1) % n]
            dx, dy = x2 - x1, y2 - y1
            ll = dx * dx + dy * dy
            t = 0.0 if ll == 0 else max(0.0, min(1.0, ((x - x1) * dx + (y - y1) * dy) / ll))
            ex, ey = x1 + t * dx - x, y1 + t * dy - y
            if ex * ex + ey * ey <= h2:
                return True
    return False


def rasterise(shapes, grid, px, background=None, ss=4):
    """RGBA rows of a px x px image of the picture drawn in a grid x grid design space."""
    scale = grid / px
    prepared = []
    for s in shapes:
        xs = [x for ring in s["rings"] for x, _ in ring]
        ys = [y for ring in s["rings"] for _, y in ring]
        pad = s["width"] / 2 if s["stroke"] else 0
        prepared.append((s, min(xs) - pad, max(xs) + pad, min(ys) - pad, max(ys) + pad))
    rows = []
    for j in range(px):
        row = []
        for i in range(px):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sj in range(ss):
                for si in range(ss):
                    x = (i + (si + 0.5) / ss) * scale
                    y = (j + (sj + 0.5) / ss) * scale
                    colour = background
                    for s, x0, x1, y0, y1 in prepared:
                        if x < x0 or x > x1 or y < y0 or y > y1:
                            continue
                        if s["fill"] and _inside(s["rings"], x, y):
                            colour = s["fill"]
                        if s["stroke"] and _near_edge(s["rings"], x, y, s["width"] / 2):
                            colour = s["stroke"]
                    if colour is not None:
                        acc[0] += colour[0]
                        acc[1] += colour[1]
                        acc[2] += colour[2]
                        acc[3] += 1
            n = ss * ss
            if acc[3] == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append((round(acc[0] / acc[3]), round(acc[1] / acc[3]), round(acc[2] / acc[3]),
                            round(255 * acc[3] / n)))
        rows.append(row)
    return rows


def write_png(name, rows):
    height, width = len(rows), len(rows[0])
    raw = b"".join(b"\0" + bytes(c for px in row for c in px) for row in rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    with open(name, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(chunk(b"IEND", b""))


TOOLBAR = {
    "open": open_picture, "save": save_picture, "print": print_picture, "pagedialog": page_dialog_picture,
    "preview": preview_picture, "undo": undo_picture, "cut": cut_picture, "copy": copy_picture,
    "paste": paste_picture,
}

TIP_KEY = (255, 0, 255)  # the tip picture's transparent colour (its bottom-left pixel)


def main(out_dir=HERE):
    tool_dir = os.path.join(out_dir, "toolbar")
    os.makedirs(tool_dir, exist_ok=True)
    for name, draw in TOOLBAR.items():
        shapes = draw()
        with open(os.path.join(tool_dir, name + ".svg"), "w") as f:
            f.write(svg(shapes, 25))
        write_png(os.path.join(tool_dir, name + ".png"), rasterise(shapes, 25, 25))
        write_png(os.path.join(tool_dir, name + "@2x.png"), rasterise(shapes, 25, 50))
    icon = icon_picture()
    with open(os.path.join(out_dir, "kelvora.svg"), "w") as f:
        f.write(svg(icon, 64))
    for px in (16, 32, 48, 64, 128):
        write_png(os.path.join(out_dir, f"kelvora-{px}.png"), rasterise(icon, 64, px, ss=4 if px <= 64 else 3))
    # The tip picture: opaque, its background in the key colour; edges blend toward a
    # pale panel so they look right on the usual light panel colours.
    tip = rasterise(tip_picture(), 32, 32, background=(255, 255, 225))
    key_rows = []
    bulb_only = rasterise(tip_picture(), 32, 32)
    for row, alpha_row in zip(tip, bulb_only):
        key_rows.append([(px[0], px[1], px[2], 255) if a[3] else TIP_KEY + (255,) for px, a in zip(row, alpha_row)])
    write_png(os.path.join(out_dir, "tipbmp.png"), key_rows)


if __name__ == "__main__":
    main(*sys.argv[1:])
