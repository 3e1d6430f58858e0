#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Draws Tarnowick's own pictures: the toolbar strip, the icon, the drive
# marks and the "Working ..." animation. Run it to regenerate the PNG files.
import math, struct, zlib, os

HERE = os.path.dirname(os.path.abspath(__file__))

class Img:
    def __init__(s, w, h, bg=(0, 0, 0, 0)):
        s.w, s.h = w, h
        s.p = [[bg for _ in range(w)] for _ in range(h)]
    def set(s, x, y, c):
        if 0 <= x < s.w and 0 <= y < s.h:
            s.p[y][x] = c
    def rect(s, x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                s.set(x, y, c)
    def frame(s, x0, y0, x1, y1, c, t=1):
        for i in range(t):
            s.rect(x0 + i, y0 + i, x1 - i, y0 + i, c); s.rect(x0 + i, y1 - i, x1 - i, y1 - i, c)
            s.rect(x0 + i, y0 + i, x0 + i, y1 - i, c); s.rect(x1 - i, y0 + i, x1 - i, y1 - i, c)
    def line(s, x0, y0, x1, y1, c, t=1):
        n = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(n + 1):
            x = round(x0 + (x1 - x0) * i / n); y = round(y0 + (y1 - y0) * i / n)
            s.rect(x, y, x + t - 1, y + t - 1, c)
    def disc(s, cx, cy, r, c):
        for y in range(int(cy - r) - 1, int(cy + r) + 2):
            for x in range(int(cx - r) - 1, int(cx + r) + 2):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                    s.set(x, y, c)
    def save(s, name):
        raw = b''.join(b'\0' + b''.join(struct.pack('4B', *px) for px in row) for row in s.p)
        def chunk(t, d):
            return struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d) & 0xffffffff)
        png = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', s.w, s.h, 8, 6, 0, 0, 0))
        png += chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b'')
        with open(os.path.join(HERE, name), 'wb') as f:
            f.write(png)

BLACK = (0, 0, 0, 255); WHITE = (255, 255, 255, 255); RED = (192, 0, 0, 255)
GREY = (128, 128, 128, 255); LGREY = (192, 192, 192, 255); BLUE = (0, 0, 160, 255)
YELLOW = (255, 255, 0, 255); GREEN = (0, 128, 0, 255); TEAL = (0, 128, 128, 255)

def shredder(img, ox, oy, scale=1):
    # a sheet going into a shredder, strips coming out
    def r(x0, y0, x1, y1, c): img.rect(ox + x0 * scale, oy + y0 * scale, ox + (x1 + 1) * scale - 1, oy + (y1 + 1) * scale - 1, c)
    r(4, 0, 11, 6, WHITE); img.frame(ox + 4 * scale, oy, ox + 12 * scale - 1, oy + 7 * scale - 1, BLACK)
    r(1, 7, 14, 10, GREY); r(1, 7, 14, 7, BLACK); r(1, 10, 14, 10, BLACK)
    for x in (4, 6, 8, 10):
        r(x, 11, x, 16, WHITE if x % 4 else LGREY)
    r(1, 8, 1, 9, BLACK); r(14, 8, 14, 9, BLACK)

def folder(img, ox, c):
    img.rect(ox + 1, 5, ox + 14, 15, c); img.rect(ox + 1, 3, ox + 6, 5, c); img.frame(ox + 1, 5, ox + 14, 15, BLACK)

def cross(img, ox):
    img.line(ox + 9, 9, ox + 15, 15, RED, 2); img.line(ox + 15, 9, ox + 9, 15, RED, 2)

# Toolbar strip: ten 16x18 images, in toolbar order.
tb = Img(160, 18)
shredder(tb, 0, 0)                                  # Secure Delete File
ox = 16; tb.disc(ox + 7, 8, 6, BLUE); tb.rect(ox + 1, 8, ox + 13, 8, WHITE); tb.rect(ox + 7, 2, ox + 7, 14, WHITE); cross(tb, ox)  # Cache (globe)
ox = 32; tb.rect(ox + 3, 2, ox + 12, 15, WHITE); tb.frame(ox + 3, 2, ox + 12, 15, BLACK); tb.rect(ox + 5, 5, ox + 10, 5, GREY); tb.rect(ox + 5, 8, ox + 10, 8, GREY); cross(tb, ox)  # Temp
ox = 48; folder(tb, ox, YELLOW); cross(tb, ox)     # Other directory
ox = 64; folder(tb, ox, TEAL); tb.line(ox + 4, 10, ox + 7, 13, WHITE, 2); tb.line(ox + 7, 13, ox + 12, 7, WHITE, 2)  # Preferences sweep
ox = 80; tb.rect(ox + 2, 4, ox + 13, 13, GREEN); tb.frame(ox + 2, 4, ox + 13, 13, BLACK)
for x in range(4, 13, 3): tb.rect(ox + x, 1, ox + x, 3, GREY); tb.rect(ox + x, 14, ox + x, 16, GREY)  # Swapfile (memory chip)
ox = 96; tb.rect(ox + 1, 5, ox + 14, 13, LGREY); tb.frame(ox + 1, 5, ox + 14, 13, BLACK); tb.rect(ox + 11, 9, ox + 12, 10, GREEN); tb.rect(ox + 3, 9, ox + 8, 10, WHITE)  # Empty space (disk)
ox = 112; tb.rect(ox + 2, 2, ox + 13, 15, LGREY); tb.frame(ox + 2, 2, ox + 13, 15, BLACK)
for y in (5, 9, 13): tb.rect(ox + 4, y, ox + 11, y, BLACK); tb.rect(ox + 6 + (y % 3), y - 1, ox + 7 + (y % 3), y + 1, BLUE)  # Preferences (sliders)
ox = 128; tb.disc(ox + 7, 8, 7, BLUE); tb.rect(ox + 6, 4, ox + 8, 5, WHITE); tb.rect(ox + 6, 7, ox + 8, 13, WHITE)  # Help
ox = 144; tb.line(ox + 1, 1, ox + 1, 12, BLACK); tb.line(ox + 1, 1, ox + 9, 9, BLACK); tb.line(ox + 1, 12, ox + 4, 9, BLACK)
tb.rect(ox + 2, 3, ox + 3, 9, WHITE); tb.rect(ox + 10, 6, ox + 15, 15, YELLOW); tb.rect(ox + 12, 8, ox + 13, 9, BLACK); tb.rect(ox + 12, 11, ox + 13, 14, BLACK)  # Context help
tb.save('toolbar.png')

# Drive marks: an empty box and a ticked box, 16x16 each, on magenta.
MAG = (255, 0, 255, 255)
marks = Img(32, 16, MAG)
for i in range(2):
    ox = i * 16
    marks.rect(ox + 2, 2, ox + 13, 13, WHITE)
    marks.frame(ox + 2, 2, ox + 13, 13, BLACK, 2)
marks.line(16 + 4, 8, 16 + 7, 11, BLACK, 2)
marks.line(16 + 7, 11, 16 + 13, 2, BLACK, 2)
marks.save('drives.png')

# "Working ...": eight 50x50 frames of a platter being overwritten, in a strip.
work = Img(400, 50)
for f in range(8):
    ox = f * 50
    work.disc(ox + 25, 25, 21, GREY)
    work.disc(ox + 25, 25, 19, LGREY)
    work.disc(ox + 25, 25, 4, BLACK)
    a = f * math.pi / 4
    for k in range(3):
        b = a - k * 0.25
        work.disc(ox + 25 + 14 * math.cos(b), 25 + 14 * math.sin(b), 3 - k, RED)
    work.line(ox + 44, 44, ox + 25 + round(12 * math.cos(a)), 25 + round(12 * math.sin(a)), BLACK, 2)
work.save('working.png')

# Icon, 48x48, for the desktop's icon theme (hicolor/48x48): the picture of
# tarnowick.svg, drawn pixel by pixel.
DARK = (48, 52, 58, 255); BODY = (75, 82, 92, 255); SLOT = (21, 24, 28, 255)
LINES = (154, 160, 168, 255); LED = (208, 58, 47, 255)
icon48 = Img(48, 48)
icon48.rect(12, 3, 35, 23, WHITE); icon48.frame(12, 3, 35, 23, DARK)
for y, x1 in ((8, 31), (12, 31), (16, 26)):
    icon48.rect(16, y, x1, y + 1, LINES)
icon48.rect(4, 21, 43, 32, BODY); icon48.frame(4, 21, 43, 32, SLOT)
icon48.rect(5, 21, 42, 21, DARK)
icon48.rect(8, 25, 33, 28, SLOT)
icon48.disc(39, 26.5, 2, LED)
for x, length in ((12, 10), (17, 12), (23, 9), (28, 11), (34, 10)):
    icon48.rect(x - 2, 33, x + 1, 33 + length, DARK)
    icon48.rect(x - 1, 33, x, 32 + length, WHITE)
icon48.save('tarnowick48.png')

# The program's own icon at 32x32 and 16x16: the 48x48 picture scaled down,
# each target pixel the alpha-weighted mean of 4x4 samples.
def downscale(src, size):
    out = Img(size, size)
    f = src.w / size
    for y in range(size):
        for x in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(4):
                for sx in range(4):
                    px = src.p[int((y + (sy + 0.5) / 4) * f)][int((x + (sx + 0.5) / 4) * f)]
                    a = px[3] / 255.0
                    for k in range(3):
                        acc[k] += px[k] * a
                    acc[3] += a
            if acc[3] > 0:
                out.p[y][x] = tuple(int(round(acc[k] / acc[3])) for k in range(3)) + (int(round(acc[3] / 16 * 255)),)
    return out

downscale(icon48, 32).save('tarnowick.png')
downscale(icon48, 16).save('tarnowick16.png')

# The first toolbar button (Secure Delete File) shows the program's own
# shredder, drawn for 16x18 with the full colours and black outlines of the
# other buttons (a scaled-down picture turns grey and looks disabled).
tb.rect(0, 0, 15, 17, (0, 0, 0, 0))
tb.rect(4, 1, 11, 8, WHITE); tb.frame(4, 1, 11, 8, BLACK)    # the sheet going in
tb.rect(6, 3, 9, 3, BLUE); tb.rect(6, 5, 9, 5, BLUE)
tb.rect(1, 8, 14, 12, BODY); tb.frame(1, 8, 14, 12, BLACK)   # the shredder
tb.rect(3, 10, 10, 10, BLACK)                                # its slot
tb.rect(12, 10, 12, 10, LED); tb.rect(12, 9, 12, 9, LED)     # its light
for x, length in ((3, 4), (5, 5), (7, 3), (9, 5), (11, 4)):  # the strips coming out
    tb.rect(x, 13, x, 12 + length, WHITE)
    tb.rect(x + 1, 13, x + 1, 12 + length, BLACK)
tb.save('toolbar.png')
