#!/usr/bin/env python3
# Draws the DelaySUB icon, a stopwatch counting down beside an 8051 chip: one
# list of shapes written as SVG and rasterised (majority of 8x8 samples per
# pixel, no blending) into a 32x32 XPM of at most 16 colours.
# Regenerate all four icon files from the repository root with:
#   python3 data/make_icon.py data/delaysub.xpm data/delaysub.svg
#   convert data/delaysub.xpm -strip -define png:exclude-chunks=date,time data/delaysub-32.png
#   convert data/delaysub.xpm data/delaysub.ico      (the Windows programs' icon)
import math, sys

PAL = {  # XPM key: rgb, None for transparent
    ' ': None,
    'n': (0x00, 0x00, 0x80),   # navy outline
    'b': (0x20, 0x40, 0xc0),   # blue crown / button
    's': (0xc0, 0xc0, 0xc0),   # silver bezel, pins
    'g': (0x80, 0x80, 0x80),   # grey
    'w': (0xff, 0xff, 0xff),   # face
    'c': (0x9c, 0xdc, 0xdc),   # light teal sector
    't': (0x00, 0x80, 0x80),   # teal ticks
    'r': (0xe0, 0x00, 0x00),   # red hand
    'x': (0x28, 0x28, 0x30),   # chip body
    'y': (0xff, 0xe0, 0x40),   # chip lettering
}
CX, CY = 13.5, 16.5

def circle(r, col):
    return ('circle', col, (CX, CY, r))
def rect(x, y, w, h, col, rx=0):
    return ('rect', col, (x, y, w, h, rx))
def poly(pts, col):
    return ('poly', col, pts)
def sector(r, a0, a1, col):  # angles clockwise from 12 o'clock, degrees
    pts = [(CX, CY)]
    n = 24
    for i in range(n + 1):
        a = math.radians(a0 + (a1 - a0) * i / n)
        pts.append((CX + r * math.sin(a), CY - r * math.cos(a)))
    return ('sector', col, (r, a0, a1, pts))
def bar(a, r0, r1, width, col):   # radial stroke
    s, c = math.sin(math.radians(a)), -math.cos(math.radians(a))
    px, py = -c, s
    h = width / 2
    p0 = (CX + r0 * s, CY + r0 * c); p1 = (CX + r1 * s, CY + r1 * c)
    return poly([(p0[0] + px * h, p0[1] + py * h), (p1[0] + px * h, p1[1] + py * h),
                 (p1[0] - px * h, p1[1] - py * h), (p0[0] - px * h, p0[1] - py * h)], col)

def rotrect(cx, cy, w, h, a, col):
    ca, sa = math.cos(math.radians(a)), math.sin(math.radians(a))
    pts = []
    for dx, dy in ((-w/2, -h/2), (w/2, -h/2), (w/2, h/2), (-w/2, h/2)):
        pts.append((cx + dx * ca - dy * sa, cy + dx * sa + dy * ca))
    return poly(pts, col)

shapes = []
# crown: button and stem
shapes += [rect(10, 0, 7, 3, 'n', 1), rect(11, 1, 5, 1, 'b'),
           rect(12, 3, 3, 2, 'n'), rect(13, 3, 1, 2, 's')]
# side button at half past one
shapes += [rotrect(CX + 9.7, CY - 9.7, 4.2, 3.6, 45, 'n'), rotrect(CX + 9.9, CY - 9.9, 2.2, 1.4, 45, 'b')]
# case, bezel, face
shapes += [circle(12.5, 'n'), circle(11.6, 's'), circle(10.6, 'n'), circle(9.5, 'w')]
# the time still to count down: a quarter from 12 to 3 o'clock
shapes += [sector(9.5, 0, 90, 'c')]
# ticks at 12, 3, 6, 9 and the hours between
for a in range(0, 360, 30):
    if a % 90 == 0:
        shapes.append(bar(a, 7.2, 9.6, 1, 't'))
    elif a % 90 == 30:
        shapes.append(bar(a, 8.4, 9.6, 1, 'g'))
    else:
        shapes.append(bar(a, 8.4, 9.6, 1, 'g'))
# the hand at 3 o'clock, sweeping the quarter, and the hub
shapes += [bar(90, 0, 7.0, 1, 'r'), bar(0, 0, 5.2, 1, 'n'), circle(1.6, 'n'), circle(0.6, 'r')]
# the chip with pins, marked 51
for x in (20, 22, 24, 26, 28, 30):
    shapes += [rect(x, 21, 1, 1, 's'), rect(x, 31, 1, 1, 's')]
shapes += [rect(19, 22, 13, 9, 'n'), rect(20, 23, 11, 7, 'x')]
shapes += [('circle', 'g', (20, 26.5, 0.9))]
FONT = {'5': ['yyy', 'y  ', 'yyy', '  y', 'yyy'],
        '1': [' y ', 'yy ', ' y ', ' y ', 'yyy']}
def text(s, x0, y0):
    out = []
    for i, ch in enumerate(s):
        for r, row in enumerate(FONT[ch]):
            for c, k in enumerate(row):
                if k != ' ':
                    out.append(rect(x0 + 4 * i + c, y0 + r, 1, 1, k))
    return out
shapes += text('51', 23, 24)

def inside(shape, x, y):
    kind, col, p = shape
    if kind == 'circle':
        cx, cy, r = p
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    if kind == 'rect':
        rx, ry, w, h, _ = p
        return rx <= x < rx + w and ry <= y < ry + h
    if kind == 'sector':
        r, a0, a1, _ = p
        if (x - CX) ** 2 + (y - CY) ** 2 > r * r:
            return False
        a = math.degrees(math.atan2(x - CX, CY - y)) % 360
        return a0 <= a <= a1
    pts = p
    n = len(pts); ins = False
    for i in range(n):
        (x1, y1), (x2, y2) = pts[i], pts[(i + 1) % n]
        if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
            ins = not ins
    return ins

def raster():
    S = 8
    grid = []
    for py in range(32):
        row = ''
        for px in range(32):
            votes = {}
            for sy in range(S):
                for sx in range(S):
                    x, y = px + (sx + .5) / S, py + (sy + .5) / S
                    col = ' '
                    for sh in shapes:
                        if inside(sh, x, y):
                            col = sh[1]
                    votes[col] = votes.get(col, 0) + 1
            row += max(votes, key=lambda k: (votes[k], k != ' '))
        grid.append(row)
    return grid

def hexc(k):
    return 'None' if PAL[k] is None else '#%02X%02X%02X' % PAL[k]

def xpm(grid):
    used = [k for k in PAL if any(k in r for r in grid)]
    out = ['/* XPM */', 'static const char *const delaysub_xpm[] = {',
           '/* width height colours chars-per-pixel */',
           '"32 32 %d 1",' % len(used)]
    out += ['"%s c %s",' % (k, hexc(k)) for k in used]
    out += ['/* pixels */']
    out += ['"%s"%s' % (r, ',' if i < 31 else '') for i, r in enumerate(grid)]
    out += ['};']
    return '\n'.join(out) + '\n'

def svg():
    f = lambda v: ('%.3f' % v).rstrip('0').rstrip('.')
    o = ['<?xml version="1.0" encoding="UTF-8"?>',
         '<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" viewBox="0 0 32 32">',
         '  <title>DelaySUB</title>',
         '  <desc>Stopwatch counting down beside an 8051 chip</desc>']
    for kind, col, p in shapes:
        fill = hexc(col)
        if kind == 'circle':
            o.append('  <circle cx="%s" cy="%s" r="%s" fill="%s"/>' % (f(p[0]), f(p[1]), f(p[2]), fill))
        elif kind == 'rect':
            x, y, w, h, rx = p
            extra = ' rx="%s"' % f(rx) if rx else ''
            o.append('  <rect x="%s" y="%s" width="%s" height="%s"%s fill="%s"/>' % (f(x), f(y), f(w), f(h), extra, fill))
        elif kind == 'sector':
            r, a0, a1, _ = p
            def pt(a):
                a = math.radians(a)
                return f(CX + r * math.sin(a)), f(CY - r * math.cos(a))
            (x0, y0), (x1, y1) = pt(a0), pt(a1)
            large = 1 if a1 - a0 > 180 else 0
            o.append('  <path d="M%s,%s L%s,%s A%s,%s 0 %d 1 %s,%s Z" fill="%s"/>' % (
                f(CX), f(CY), x0, y0, f(r), f(r), large, x1, y1, fill))
        else:
            o.append('  <polygon points="%s" fill="%s"/>' % (' '.join('%s,%s' % (f(a), f(b)) for a, b in p), fill))
    o.append('</svg>')
    return '\n'.join(o) + '\n'

g = raster()
open(sys.argv[1], 'w').write(xpm(g))
open(sys.argv[2], 'w').write(svg())
