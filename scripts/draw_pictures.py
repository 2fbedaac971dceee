#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Draws the program's pictures as SVG files in resources/pictures.

    python3 scripts/draw_pictures.py [--output FOLDER]

The posture drawings, the text cards, the RULA overview page and the score sheet are
all generated here; the SVG files are committed, so the build does not need Python.
The SVG is kept to what Qt's renderer (SVG Tiny 1.2) draws: plain shapes with
presentation attributes, hatching as explicit lines, one text element per line.
"""

import argparse
import math
import os

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "pictures")

# Advance widths (1/1000 em) of the printable ASCII characters, 32 to 126, of the fonts the
# program's font names resolve to: "Comic Sans MS" -> Comic Neue, "Arial" -> Liberation Sans,
# "Times New Roman" -> Liberation Serif (metric-compatible with the named fonts).
WIDTHS = {
    "comic": [334,245,275,740,602,720,644,196,346,346,394,444,164,402,153,436,609,396,523,506,484,542,542,473,515,531,181,199,511,462,541,501,832,581,620,614,629,603,577,716,723,392,457,560,500,838,658,643,560,708,596,552,522,691,536,867,685,594,582,318,549,318,504,494,181,516,535,482,530,501,279,530,536,227,236,484,219,827,553,529,531,520,397,416,286,511,418,598,473,447,434,373,197,373,615],
    "comic_bold": [356,261,325,711,602,681,625,206,357,357,379,440,191,409,181,438,572,393,498,493,469,531,523,450,512,523,207,223,543,465,543,499,849,552,611,601,623,593,581,706,714,405,471,563,513,806,652,638,553,695,583,546,524,669,538,847,707,582,575,335,571,335,526,516,205,508,525,470,522,491,321,548,528,243,261,487,236,796,543,517,521,511,403,425,328,518,425,620,490,458,429,382,219,382,606],
    "sans": [278,278,355,556,556,889,667,191,333,333,389,584,278,333,278,278,556,556,556,556,556,556,556,556,556,556,278,278,584,584,584,556,1015,667,667,722,722,667,611,778,722,278,500,667,556,833,722,778,667,778,722,667,611,722,667,944,667,667,611,278,278,278,469,556,333,556,556,500,556,556,278,556,556,222,222,500,222,833,556,556,556,556,333,500,278,556,500,722,500,500,500,334,260,334,584],
    "sans_bold": [278,333,474,556,556,889,722,238,333,333,389,584,278,333,278,278,556,556,556,556,556,556,556,556,556,556,333,333,584,584,584,611,975,722,722,722,722,667,611,778,722,278,556,722,611,833,722,778,667,778,722,667,611,722,667,944,667,667,611,333,278,333,584,556,333,556,611,556,611,556,333,611,611,278,278,556,278,889,611,611,611,611,389,556,333,611,556,778,556,556,500,389,280,389,584],
    "serif": [250,333,408,500,500,833,778,180,333,333,500,564,250,333,250,278,500,500,500,500,500,500,500,500,500,500,278,278,564,564,564,444,921,722,667,667,722,611,556,722,722,333,389,722,611,889,722,722,556,722,667,556,611,722,722,944,722,722,611,333,278,333,469,500,333,444,500,444,500,444,333,500,500,278,278,500,278,778,500,500,500,500,333,389,278,500,500,722,500,500,444,480,200,480,541],
    "serif_bold": [250,333,555,500,500,1000,833,278,333,333,500,570,250,333,250,278,500,500,500,500,500,500,500,500,500,500,333,333,570,570,570,500,930,722,667,722,722,667,611,778,778,389,500,778,667,944,722,778,611,778,722,556,667,722,722,1000,722,722,667,333,278,333,581,500,333,500,556,444,556,444,333,500,556,278,333,556,278,833,556,500,556,556,444,389,333,556,500,722,500,500,444,394,220,394,520],
}

FONTS = {
    "comic": ("Comic Sans MS", "normal"),
    "comic_bold": ("Comic Sans MS", "bold"),
    "sans": ("Arial", "normal"),
    "sans_bold": ("Arial", "bold"),
    "serif": ("Times New Roman", "normal"),
    "serif_bold": ("Times New Roman", "bold"),
}

BLACK = "#000000"
BODY = "#a6a6a6"     # the figure's grey
BODY_DARK = "#7a7a7a"
WEDGE = "#e2e2e2"    # ground of a hatched wedge
HATCH = "#6e6e6e"
GHOST = "#d2d2d2"


def text_width(s, font, size):
    table = WIDTHS[font]
    return sum(table[ord(c) - 32] if 32 <= ord(c) < 127 else 600 for c in s) * size / 1000.0


def esc(s):
    return s.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;").replace('"', "&quot;")


def f(v):
    """A coordinate, written short."""
    r = round(v, 1)
    return str(int(r)) if r == int(r) else str(r)


class Svg:
    def __init__(self, width, height, ground="#ffffff"):
        self.width = width
        self.height = height
        self.items = []
        self.upright = []    # groups that stay readable when the picture is shown mirrored
        self.current = self.items
        self.rect(0, 0, width, height, fill=ground, stroke="none")

    def add(self, item):
        self.current.append(item)

    def begin_upright(self):
        """Starts a group (a label, the circled score) that a mirrored picture shows moved
        to the mirrored place but not itself mirrored, so that it still reads left to right."""
        self.upright.append([])
        self.current = self.upright[-1]

    def end_upright(self):
        self.current = self.items

    def line(self, x1, y1, x2, y2, stroke=BLACK, width=2, dash=None, cap="round", ident=None):
        extra = ' stroke-dasharray="%s"' % dash if dash else ""
        extra += ' id="%s"' % ident if ident else ""
        self.add('<line x1="%s" y1="%s" x2="%s" y2="%s" stroke="%s" stroke-width="%s" stroke-linecap="%s"%s/>'
                 % (f(x1), f(y1), f(x2), f(y2), stroke, f(width), cap, extra))

    def rect(self, x, y, w, h, fill="none", stroke=BLACK, width=2, rx=0, ident=None):
        extra = ' rx="%s" ry="%s"' % (f(rx), f(rx)) if rx else ""
        extra += ' id="%s"' % ident if ident else ""
        stroke_attr = ' stroke="%s" stroke-width="%s"' % (stroke, f(width)) if stroke != "none" else ""
        self.add('<rect x="%s" y="%s" width="%s" height="%s" fill="%s"%s%s/>'
                 % (f(x), f(y), f(w), f(h), fill, stroke_attr, extra))

    def circle(self, cx, cy, r, fill="none", stroke=BLACK, width=2):
        stroke_attr = ' stroke="%s" stroke-width="%s"' % (stroke, f(width)) if stroke != "none" else ""
        self.add('<circle cx="%s" cy="%s" r="%s" fill="%s"%s/>' % (f(cx), f(cy), f(r), fill, stroke_attr))

    def ellipse(self, cx, cy, rx, ry, fill="none", stroke=BLACK, width=2):
        self.add('<ellipse cx="%s" cy="%s" rx="%s" ry="%s" fill="%s" stroke="%s" stroke-width="%s"/>'
                 % (f(cx), f(cy), f(rx), f(ry), fill, stroke, f(width)))

    def polygon(self, points, fill="none", stroke=BLACK, width=2, join="round", ident=None):
        pts = " ".join("%s,%s" % (f(x), f(y)) for x, y in points)
        stroke_attr = (' stroke="%s" stroke-width="%s" stroke-linejoin="%s"' % (stroke, f(width), join)
                       if stroke != "none" else "")
        extra = ' id="%s"' % ident if ident else ""
        self.add('<polygon points="%s" fill="%s"%s%s/>' % (pts, fill, stroke_attr, extra))

    def polyline(self, points, stroke=BLACK, width=2, dash=None):
        pts = " ".join("%s,%s" % (f(x), f(y)) for x, y in points)
        extra = ' stroke-dasharray="%s"' % dash if dash else ""
        self.add('<polyline points="%s" fill="none" stroke="%s" stroke-width="%s" stroke-linejoin="round" '
                 'stroke-linecap="round"%s/>' % (pts, stroke, f(width), extra))

    def path(self, d, fill="none", stroke=BLACK, width=2):
        stroke_attr = (' stroke="%s" stroke-width="%s" stroke-linejoin="round" stroke-linecap="round"'
                       % (stroke, f(width)) if stroke != "none" else "")
        self.add('<path d="%s" fill="%s"%s/>' % (d, fill, stroke_attr))

    def text(self, x, y, s, font="sans", size=20, anchor="start", fill=BLACK, ident=None, preserve=False,
             yscale=1.0):
        family, weight = FONTS[font]
        extra = ' text-anchor="%s"' % anchor if anchor != "start" else ""
        extra += ' font-weight="bold"' if weight == "bold" else ""
        extra += ' id="%s"' % ident if ident else ""
        extra += ' xml:space="preserve"' if preserve else ""
        if yscale != 1.0:
            # Text drawn stretched vertically, so that it looks even once the picture is stretched.
            extra += ' transform="matrix(1 0 0 %s 0 %s)"' % (round(yscale, 4), f(y - y * yscale))
        self.add('<text x="%s" y="%s" font-family="%s" font-size="%s" fill="%s"%s>%s</text>'
                 % (f(x), f(y), family, f(size), fill, extra, esc(s)))

    def save(self, name):
        if self.upright:
            # The drawing and its upright groups are separate elements, so that a mirrored
            # picture can flip the one and move the others (see PictureLibrary).
            parts = ['<g id="drawing">'] + self.items + ["</g>"]
            for i, group in enumerate(self.upright):
                parts += ['<g id="upright-%d">' % (i + 1)] + group + ["</g>"]
            body = "\n".join(parts)
        else:
            body = "\n".join(self.items)
        svg = ('<?xml version="1.0" encoding="UTF-8"?>\n'
               '<svg xmlns="http://www.w3.org/2000/svg" version="1.2" baseProfile="tiny" '
               'width="%d" height="%d" viewBox="0 0 %d %d">\n%s\n</svg>\n'
               % (self.width, self.height, self.width, self.height, body))
        os.makedirs(OUT, exist_ok=True)
        with open(os.path.join(OUT, name + ".svg"), "w", encoding="utf-8", newline="\n") as out:
            out.write(svg)


# ---------------------------------------------------------------- geometry helpers

def direction(phi):
    """Unit vector at screen angle phi (degrees): 0 points right (forward), 90 down."""
    a = math.radians(phi)
    return math.cos(a), math.sin(a)


def along(p, length, phi):
    dx, dy = direction(phi)
    return p[0] + dx * length, p[1] + dy * length


def from_down(theta):
    """Screen angle of a direction `theta` degrees forward of straight down (arm flexion)."""
    return 90.0 - theta


def from_up(theta):
    """Screen angle of a direction `theta` degrees forward of straight up (trunk, neck flexion)."""
    return -90.0 + theta


def sector(c, r, phi1, phi2):
    """The outline of a circular sector from phi1 to phi2 (at most 180 degrees apart)."""
    lo, hi = min(phi1, phi2), max(phi1, phi2)
    steps = max(2, int(math.ceil((hi - lo) / 4.0)))
    pts = [c]
    for i in range(steps + 1):
        pts.append(along(c, r, lo + (hi - lo) * i / steps))
    return pts


def hatch_lines(poly, spacing, angle=45.0):
    """Segments of parallel lines at `angle`, `spacing` apart, inside the convex polygon."""
    ux, uy = direction(angle)
    nx, ny = -uy, ux
    ds = [nx * x + ny * y for x, y in poly]
    segments = []
    d = math.floor(min(ds) / spacing) * spacing + spacing / 2
    while d < max(ds):
        hits = []
        for i in range(len(poly)):
            a, b = poly[i], poly[(i + 1) % len(poly)]
            da, db = nx * a[0] + ny * a[1], nx * b[0] + ny * b[1]
            if (da - d) * (db - d) <= 0 and da != db:
                s = (d - da) / (db - da)
                hits.append((a[0] + (b[0] - a[0]) * s, a[1] + (b[1] - a[1]) * s))
        if len(hits) >= 2:
            hits.sort(key=lambda p: p[0] * ux + p[1] * uy)
            p, q = hits[0], hits[-1]
            if math.hypot(q[0] - p[0], q[1] - p[1]) > 1.0:
                segments.append((p, q))
        d += spacing
    return segments


def wedge(svg, c, r, phi1, phi2, spacing=13, hatch_width=2.5, outline=3):
    """A posture band: a sector shaded with explicit hatch lines."""
    poly = sector(c, r, phi1, phi2)
    svg.polygon(poly, fill=WEDGE, stroke="none")
    for p, q in hatch_lines(poly, spacing):
        svg.line(p[0], p[1], q[0], q[1], stroke=HATCH, width=hatch_width, cap="butt")
    svg.polygon(poly, fill="none", stroke=BLACK, width=outline)


def degree_text(svg, x, y, s, size, font="sans_bold", anchor="start", fill=BLACK):
    """Writes `s` with each degree sign as a raised small 0. Returns the width."""
    small = size * 0.55
    parts = []
    buf = ""
    for ch in s:
        if ch == "\u00b0":
            if buf:
                parts.append((buf, False))
                buf = ""
            parts.append(("0", True))
        else:
            buf += ch
    if buf:
        parts.append((buf, False))
    widths = [text_width(t, font, small if raised else size) + (size * 0.04 if raised else 0)
              for t, raised in parts]
    total = sum(widths)
    svg.begin_upright()
    if anchor == "middle":
        x -= total / 2
    elif anchor == "end":
        x -= total
    for (t, raised), w in zip(parts, widths):
        if raised:
            svg.text(x + size * 0.02, y - size * 0.42, t, font=font, size=small, fill=fill)
        else:
            svg.text(x, y, t, font=font, size=size, fill=fill, preserve=True)
        x += w
    svg.end_upright()
    return total


def score_badge(svg, n, cx=44, cy=44, r=34, size=46):
    """The band's score: a circled numeral in the top-left corner."""
    svg.begin_upright()
    svg.circle(cx, cy, r, fill="#ffffff", stroke=BLACK, width=5)
    svg.text(cx, cy + size * 0.36, str(n), font="sans_bold", size=size, anchor="middle")
    svg.end_upright()


def limb(svg, p, q, width, fill=BODY, outline=3):
    """A limb or body segment: a rounded grey bar with a black outline."""
    svg.line(p[0], p[1], q[0], q[1], stroke=BLACK, width=width + 2 * outline)
    svg.line(p[0], p[1], q[0], q[1], stroke=fill, width=width)


def head(svg, c, r, facing_phi, outline=3, fill=BODY):
    """A head in profile: a circle with a nose pointing towards `facing_phi`, and an eye."""
    nose_base1 = along(c, r * 0.92, facing_phi - 28)
    nose_base2 = along(c, r * 0.92, facing_phi + 10)
    tip = along(c, r * 1.28, facing_phi + 4)
    svg.polygon([nose_base1, tip, nose_base2], fill=fill, stroke=BLACK, width=outline)
    svg.circle(c[0], c[1], r, fill=fill, stroke=BLACK, width=outline)
    # Cover the nose's base so it joins the head.
    svg.polygon([along(c, r * 0.86, facing_phi - 24), along(c, r * 1.12, facing_phi + 4),
                 along(c, r * 0.86, facing_phi + 8)], fill=fill, stroke="none")
    eye = along(c, r * 0.55, facing_phi - 30)
    svg.circle(eye[0], eye[1], r * 0.11, fill=BLACK, stroke="none")


def hand_side(svg, wrist, phi, length, width, outline=3):
    """A flat hand seen from the thumb side, pointing along screen angle phi from the wrist:
    palm and closed fingers in one outline, the thumb lying along the back of the hand."""
    ux, uy = direction(phi)
    vx, vy = -uy, ux  # towards the palm side

    def at(x, y):
        k = length / 132.0
        return wrist[0] + ux * x * k + vx * y * width / 44.0, wrist[1] + uy * x * k + vy * y * width / 44.0

    outline_pts = [(-6, -23), (40, -24), (80, -21), (108, -17), (124, -13), (132, -7), (134, 0), (132, 7),
                   (124, 12), (104, 15), (80, 19), (56, 24), (30, 27), (8, 26), (-6, 24)]
    svg.polygon([at(x, y) for x, y in outline_pts], fill=BODY, stroke=BLACK, width=outline)
    # Creases between the fingers, and the thumb along the back of the hand.
    for y in (-7, 5):
        p, q = at(88, y), at(124, y * 0.6)
        svg.line(p[0], p[1], q[0], q[1], stroke=BLACK, width=1.8)
    t0, t1 = at(22, -14), at(78, -26)
    limb(svg, t0, t1, width * 0.36, outline=outline)
    svg.circle(t0[0], t0[1], width * 0.3, fill=BODY, stroke="none")


# ---------------------------------------------------------------- figures

def standing_figure(svg, hip, trunk_theta, arm_theta, fore_theta, scale=1.0, legs=True, arm=True,
                    trunk_len=125, leg_scale=1.0):
    """A figure in profile facing right. Angles in degrees: the trunk from the upward
    vertical, the upper arm and forearm from the downward vertical (forward positive).
    Returns the shoulder point."""
    s = scale
    phi_trunk = from_up(trunk_theta)
    shoulder = along(hip, trunk_len * s, phi_trunk)
    neck_phi = phi_trunk
    neck_top = along(shoulder, 30 * s, neck_phi)
    head_c = along(neck_top, 26 * s, neck_phi)
    if legs:
        ls = s * leg_scale
        knee = (hip[0] + 4 * ls, hip[1] + 62 * ls)
        ankle = (hip[0], hip[1] + 122 * ls)
        toe = (ankle[0] + 30 * s, ankle[1])
        limb(svg, knee, ankle, 24 * s)
        limb(svg, ankle, toe, 14 * s)
        limb(svg, hip, knee, 30 * s)
    limb(svg, neck_top, shoulder, 18 * s)
    limb(svg, hip, shoulder, 46 * s)
    head(svg, head_c, 30 * s, neck_phi + 90)
    if arm:
        elbow = along(shoulder, 80 * s, from_down(arm_theta))
        wrist = along(elbow, 70 * s, from_down(fore_theta))
        limb(svg, shoulder, elbow, 22 * s)
        limb(svg, elbow, wrist, 18 * s)
        fist = along(wrist, 8 * s, from_down(fore_theta))
        svg.circle(fist[0], fist[1], 12 * s, fill=BODY, stroke=BLACK, width=3)
        limb(svg, shoulder, along(shoulder, 8 * s, from_down(arm_theta)), 22 * s)
    return shoulder


# ---------------------------------------------------------------- posture drawings

DRAWING = (350, 400)


def upper_arm(name, score, band, arm_theta, fore_theta, labels, r=150):
    svg = Svg(*DRAWING)
    hip = (150, 292)
    shoulder = (hip[0], hip[1] - 125)
    for lo, hi in band:
        wedge(svg, shoulder, r, from_down(lo), from_down(hi))
    standing_figure(svg, hip, 0, arm_theta, fore_theta)
    for x, y, s, anchor in labels:
        degree_text(svg, x, y, s, 40, anchor=anchor)
    score_badge(svg, score)
    svg.save(name)


def lower_arm(name, score, bands, fore_theta, labels, ghost_theta=None):
    svg = Svg(*DRAWING)
    shoulder = (132, 132)
    elbow = (132, 246)
    hip = (118, 352)
    r = 150
    # Upper body cut at the hip: trunk, neck and head.
    limb(svg, (hip[0], hip[1] + 40), (hip[0] + 2, 122), 60)
    neck_top = (130, 92)
    limb(svg, neck_top, (124, 118), 22)
    head(svg, (136, 62), 34, 0)
    for band in bands:
        wedge(svg, elbow, band[2] if len(band) > 2 else r, from_down(band[0]), from_down(band[1]))
    if ghost_theta is not None:
        wrist = along(elbow, 112, from_down(ghost_theta))
        limb(svg, elbow, wrist, 24, fill=GHOST, outline=2)
    limb(svg, shoulder, elbow, 28)
    wrist = along(elbow, 112, from_down(fore_theta))
    limb(svg, elbow, wrist, 24)
    fist = along(wrist, 10, from_down(fore_theta))
    svg.circle(fist[0], fist[1], 16, fill=BODY, stroke=BLACK, width=3)
    limb(svg, shoulder, (shoulder[0], shoulder[1] + 10), 28)
    for x, y, s, anchor in labels:
        degree_text(svg, x, y, s, 40, anchor=anchor)
    score_badge(svg, score)
    svg.save(name)


def wrist(name, score, bands, hand_theta, labels, dashed=False):
    svg = Svg(*DRAWING)
    w = (138, 232)
    r = 172
    for lo, hi in bands:
        wedge(svg, w, r, -lo, -hi)
    limb(svg, (-20, w[1] + 6), w, 50)
    hand_side(svg, w, -hand_theta, 132, 44)
    if dashed:
        # The level line, through the wrist and out past the fingertips.
        svg.line(w[0] - 40, w[1], 346, w[1], stroke=BLACK, width=4, dash="16,10", cap="butt")
    for x, y, s, anchor in labels:
        degree_text(svg, x, y, s, 44, anchor=anchor)
    score_badge(svg, score)
    svg.save(name)


def oval(c, rx, ry, phi, steps=48):
    """Points of an ellipse centred on c whose ry axis points along screen angle phi."""
    ux, uy = direction(phi)
    vx, vy = -uy, ux
    pts = []
    for i in range(steps):
        a = 2 * math.pi * i / steps
        pts.append((c[0] + ux * ry * math.cos(a) + vx * rx * math.sin(a),
                    c[1] + uy * ry * math.cos(a) + vy * rx * math.sin(a)))
    return pts


def neck(name, score, band, head_theta, label, dashed=True):
    svg = Svg(*DRAWING)
    pivot = (166, 322)
    r = 244
    if dashed:
        svg.line(pivot[0], pivot[1], pivot[0], pivot[1] - r - 4, stroke=BLACK, width=4, dash="14,9", cap="butt")
    for lo, hi in (band if isinstance(band, list) else [band] if band else []):
        wedge(svg, pivot, r, from_up(lo), from_up(hi), spacing=15, hatch_width=3, outline=4)
    # Shoulders and upper back, then the neck and the head tilted by head_theta.
    limb(svg, (pivot[0] - 12, 450), (pivot[0] - 6, pivot[1] + 40), 140, outline=4)
    phi = from_up(head_theta)
    # The line of the neck, out to the band, behind the head.
    end = along(pivot, r - 6, phi)
    svg.line(pivot[0], pivot[1], end[0], end[1], stroke=BLACK, width=5)
    neck_top = along(pivot, 74, phi)
    limb(svg, pivot, neck_top, 44, outline=4)
    c = along(neck_top, 40, phi)
    face = phi + 90
    nose = [along(c, 44, face - 20), along(c, 62, face + 8), along(c, 40, face + 22)]
    svg.polygon(nose, fill=BODY, stroke=BLACK, width=4)
    svg.polygon(oval(c, 48, 56, phi), fill=BODY, stroke=BLACK, width=4)
    eye = along(c, 26, face - 35)
    svg.circle(eye[0], eye[1], 5.5, fill=BLACK, stroke="none")
    degree_text(svg, 344, 52, label, 46, anchor="end")
    score_badge(svg, score, r=36, size=52)
    svg.save(name)


def trunk(name, score, band, trunk_theta, label, hip_x=140, r=238):
    svg = Svg(*DRAWING)
    hip = (hip_x, 302)
    if band is None:
        svg.line(hip[0], hip[1], hip[0], hip[1] - r, stroke=BLACK, width=4, dash="14,9", cap="butt")
    else:
        svg.line(hip[0], hip[1], hip[0], hip[1] - r - 4, stroke=BLACK, width=3, dash="12,8", cap="butt")
        for lo, hi in (band if isinstance(band, list) else [band]):
            wedge(svg, hip, r, from_up(lo), from_up(hi), spacing=15, hatch_width=3, outline=4)
    s = 1.0
    shoulder = standing_figure(svg, hip, trunk_theta, 0, 0, scale=s, arm=False, trunk_len=122, leg_scale=0.78)
    elbow = (shoulder[0], shoulder[1] + 80 * s)
    hand = (shoulder[0] + 6, elbow[1] + 66 * s)
    limb(svg, shoulder, elbow, 22 * s)
    limb(svg, elbow, hand, 18 * s)
    svg.circle(hand[0], hand[1] + 6, 12 * s, fill=BODY, stroke=BLACK, width=3)
    limb(svg, shoulder, (shoulder[0], shoulder[1] + 8), 22 * s)
    degree_text(svg, 344, 52, label, 46, anchor="end")
    score_badge(svg, score, r=36, size=52)
    svg.save(name)


def legs(name, score, knee_flexion, band=None, label=None, one_leg=False):
    """REBA's legs: the lower body in profile facing right, standing on both legs with the
    knees bent by `knee_flexion`, or on one leg with the other raised; `band` is the hatched
    range of knee flexion (degrees from the thigh's line)."""
    svg = Svg(*DRAWING)
    hip = (150, 150)
    thigh, shank = 108, 104
    lean = knee_flexion * 0.5  # the thigh forward, the shank back: the foot stays under the hip
    knee = along(hip, thigh, from_down(lean))
    ankle = along(knee, shank, from_down(lean - knee_flexion))
    ground = ankle[1] + 14
    svg.line(8, ground, 342, ground, stroke=BLACK, width=4, cap="butt")
    if band:
        svg.line(knee[0], knee[1], *along(knee, 150, from_down(lean)), stroke=BLACK, width=3, dash="12,8",
                 cap="butt")
        wedge(svg, knee, 140, from_down(lean - band[0]), from_down(lean - band[1]), spacing=15, hatch_width=3,
              outline=4)
    if one_leg:
        # The other leg raised: thigh forward, shank hanging.
        knee2 = along(hip, thigh, from_down(72))
        ankle2 = along(knee2, shank, from_down(-8))
        limb(svg, knee2, ankle2, 26, fill=BODY_DARK)
        limb(svg, ankle2, along(ankle2, 34, from_down(82)), 14, fill=BODY_DARK)
        limb(svg, hip, knee2, 32, fill=BODY_DARK)
    # Trunk cut at the top of the drawing.
    limb(svg, (hip[0] + 2, 8), hip, 60)
    limb(svg, knee, ankle, 26)
    limb(svg, ankle, (ankle[0] + 36, ankle[1]), 14)
    limb(svg, hip, knee, 32)
    if label:
        degree_text(svg, 344, 52, label, 46, anchor="end")
    score_badge(svg, score, r=36, size=52)
    svg.save(name)


def caption(svg, text, top, bottom, font="sans_bold", margin=10, gap=1.12):
    """A caption under a drawing: wrapped and sized to fill the space from top to bottom."""
    size = 60.0
    while True:
        lines = wrap([(w, font, size) for w in text.split(" ")], svg.width - 2 * margin)
        if all(line_width(l) <= svg.width - 2 * margin for l in lines) and len(lines) * size * gap <= bottom - top:
            break
        size -= 0.5
    y = top + (bottom - top - len(lines) * size * gap) / 2 + size * 0.9
    for i, line in enumerate(lines):
        svg.text(svg.width / 2, y, " ".join(t[0] for t in line), font=font, size=size, anchor="middle",
                 ident="caption%d" % (i + 1))
        y += size * gap
    return size


def lower_arm_midline():
    svg = Svg(*DRAWING)
    cx = 175
    # Zones out to the sides, hatched, marked +1.
    for x0, x1 in ((14, 96), (254, 336)):
        poly = [(x0, 40), (x1, 40), (x1, 196), (x0, 196)]
        svg.polygon(poly, fill=WEDGE, stroke="none")
        for p, q in hatch_lines(poly, 14):
            svg.line(p[0], p[1], q[0], q[1], stroke=HATCH, width=2.5, cap="butt")
        svg.polygon(poly, fill="none", stroke=BLACK, width=3)
    svg.line(cx, 22, cx, 262, stroke=BLACK, width=3.5, dash="14,9", cap="butt")
    # Worker from above: shoulders, head, arms reaching forward and across.
    rs, ls = (235, 222), (115, 222)
    relbow, rhand = (222, 150), (140, 96)
    lelbow, lhand = (92, 170), (62, 104)
    limb(svg, rs, relbow, 26)
    limb(svg, relbow, rhand, 22)
    svg.circle(rhand[0], rhand[1], 15, fill=BODY, stroke=BLACK, width=3)
    limb(svg, ls, lelbow, 26)
    limb(svg, lelbow, lhand, 22)
    svg.circle(lhand[0], lhand[1], 15, fill=BODY, stroke=BLACK, width=3)
    svg.ellipse(cx, 226, 80, 30, fill=BODY, stroke=BLACK, width=3)
    svg.circle(cx, 220, 30, fill=BODY_DARK, stroke=BLACK, width=3)
    svg.text(55, 80, "+1", font="sans_bold", size=44, anchor="middle")
    svg.text(295, 80, "+1", font="sans_bold", size=44, anchor="middle")
    caption(svg, "Click if working across the midline of the body or out to the side.", 266, 396)
    svg.save("lower_arm_midline")


def wrist_midline():
    svg = Svg(*DRAWING)
    cx = 175
    svg.line(cx, 16, cx, 262, stroke=BLACK, width=3.5, dash="14,9", cap="butt")
    # Forearm and hand from above, fingers pointing up.
    limb(svg, (cx, 244), (cx, 196), 58)
    svg.rect(cx - 42, 112, 84, 92, fill=BODY, stroke=BLACK, width=3, rx=22)
    for dx, top in ((-30, 52), (-10, 40), (10, 44), (30, 60)):
        limb(svg, (cx + dx, 128), (cx + dx, top), 17)
    svg.rect(cx - 38, 118, 76, 30, fill=BODY, stroke="none")
    limb(svg, (cx + 38, 178), (cx + 66, 128), 20)
    # Arrows bending the hand to either side.
    for sign in (-1, 1):
        pts = []
        for i in range(9):
            a = math.radians(-90 + sign * (20 + i * 5.5))
            pts.append((cx + 150 * math.cos(a), 205 + 150 * math.sin(a)))
        svg.polyline(pts, width=5)
        end = pts[-1]
        prev = pts[-3]
        ang = math.atan2(end[1] - prev[1], end[0] - prev[0])
        head_pts = [
            (end[0] + 22 * math.cos(ang), end[1] + 22 * math.sin(ang)),
            (end[0] + 13 * math.cos(ang + 2.0), end[1] + 13 * math.sin(ang + 2.0)),
            (end[0] + 13 * math.cos(ang - 2.0), end[1] + 13 * math.sin(ang - 2.0)),
        ]
        svg.polygon(head_pts, fill=BLACK, stroke=BLACK, width=3)
    svg.text(cx - 122, 64, "+1", font="sans_bold", size=44, anchor="middle")
    svg.text(cx + 122, 64, "+1", font="sans_bold", size=44, anchor="middle")
    caption(svg, "ADD 1 if wrist is bent away from the midline", 278, 398)
    svg.save("wrist_midline")


# ---------------------------------------------------------------- text cards

def wrap(tokens, width):
    """Greedy line breaking of (word, font, size) tokens; returns lines of tokens."""
    lines, line, used = [], [], 0.0
    for tok in tokens:
        word, font, size = tok
        space = text_width(" ", font, size) if line else 0.0
        w = text_width(word, font, size)
        if line and used + space + w > width:
            lines.append(line)
            line, used = [], 0.0
            space = 0.0
        line.append(tok)
        used += space + w
    if line:
        lines.append(line)
    return lines


def line_width(line):
    total = 0.0
    for i, (word, font, size) in enumerate(line):
        total += text_width(word, font, size) + (text_width(" ", font, size) if i else 0.0)
    return total


def card(name, w, h, paragraphs, first_word_scale=1.0, border=8, font="comic_bold"):
    """A text card: the paragraphs centred in the largest type that fits inside a thick border."""
    pad_x, pad_y = border + 14, border + 6
    inner_w, inner_h = w - 2 * pad_x, h - 2 * pad_y
    best = None
    size = 80.0
    while size > 8:
        laid = []
        for pi, para in enumerate(paragraphs):
            words = para.split(" ")
            toks = []
            for wi, word in enumerate(words):
                s = size * first_word_scale if (pi == 0 and wi == 0) else size
                toks.append((word, font, s))
            laid.append(wrap(toks, inner_w))
        heights = []
        for para in laid:
            for line in para:
                heights.append(max(t[2] for t in line) * 1.1)
        total_h = sum(heights) + (len(paragraphs) - 1) * size * 0.35
        if all(line_width(line) <= inner_w for para in laid for line in para) and total_h <= inner_h:
            best = (size, laid, heights, total_h)
            break
        size -= 0.5
    size, laid, heights, total_h = best
    svg = Svg(w, h)
    svg.rect(border / 2, border / 2, w - border, h - border, fill="#ffffff", stroke=BLACK, width=border, rx=3)
    y = pad_y + (inner_h - total_h) / 2
    k = 0
    n = 0
    for pi, para in enumerate(laid):
        for line in para:
            lh = heights[k]
            k += 1
            top_size = max(t[2] for t in line)
            baseline = y + lh * 0.5 + top_size * 0.33
            x = w / 2 - line_width(line) / 2
            # One text element per run of words in the same size.
            runs = []
            for tok in line:
                if runs and runs[-1][1] == tok[2]:
                    runs[-1][0].append(tok[0])
                else:
                    runs.append(([tok[0]], tok[2]))
            for ri, (words, s) in enumerate(runs):
                text = " ".join(words)
                n += 1
                svg.text(x, baseline, text, font=font, size=s, ident="text%d" % n)
                x += text_width(text, font, s)
                if ri + 1 < len(runs):
                    x += text_width(" ", font, runs[ri + 1][1])
            y += lh
        y += size * 0.35
    svg.save(name)
    return size


# ---------------------------------------------------------------- the whole set

def draw_drawings():
    upper_arm("upper_arm_1", 1, [(-20, 20)], 4, 62,
              [(96, 378, "20\u00b0", "end"), (206, 378, "20\u00b0", "start")], r=180)
    upper_arm("upper_arm_2", 2, [(-20, -80)], -50, 8,
              [(96, 356, "20\u00b0", "end")])
    upper_arm("upper_arm_3", 2, [(20, 45)], 33, 95,
              [(176, 356, "20\u00b0 - 45\u00b0", "start")])
    upper_arm("upper_arm_4", 3, [(45, 90)], 68, 125,
              [(180, 334, "45\u00b0 - 90\u00b0", "start")])
    upper_arm("upper_arm_5", 4, [(90, 180)], 140, 160,
              [(232, 210, "90\u00b0+", "start")])
    lower_arm("lower_arm_1", 1, [(60, 100)], 80,
              [(164, 196, "60\u00b0 - 100\u00b0", "start")])
    lower_arm("lower_arm_2", 2, [(100, 160), (0, 60, 132)], 128,
              [(220, 118, "100\u00b0+", "start"), (346, 396, "0\u00b0 - 60\u00b0", "end")], ghost_theta=30)
    lower_arm_midline()
    wrist("wrist_1", 1, [], 0, [(310, 208, "0\u00b0", "middle")], dashed=True)
    wrist("wrist_2", 2, [(-15, 15)], 6, [(300, 172, "15\u00b0", "middle"), (300, 322, "15\u00b0", "middle")])
    wrist("wrist_3", 3, [(15, 60), (-15, -60)], 38,
          [(294, 122, "15\u00b0+", "middle"), (294, 370, "15\u00b0+", "middle")])
    wrist_midline()
    neck("neck_1", 1, (0, 10), 6, "0\u00b0 -10\u00b0")
    neck("neck_2", 2, (10, 20), 16, "10\u00b0 -20\u00b0")
    neck("neck_3", 3, (20, 60), 36, "20\u00b0+")
    neck("neck_4", 4, (0, -35), -22, "In ext'n")
    trunk("trunk_1", 1, None, 0, "0\u00b0")
    trunk("trunk_2", 2, (0, 20), 12, "0\u00b0 - 20\u00b0")
    trunk("trunk_3", 3, (20, 60), 40, "20\u00b0 - 60\u00b0")
    trunk("trunk_4", 4, (60, 100), 78, "60\u00b0+", hip_x=104, r=206)
    # REBA's own bands; where a band is RULA's, with the same score, its picture serves both.
    upper_arm("reba_upper_arm_2", 2, [(-20, -80), (20, 45)], 33, 95,
              [(96, 356, "20\u00b0", "end"), (176, 356, "20\u00b0 - 45\u00b0", "start")])
    neck("reba_neck_1", 1, (0, 20), 12, "0\u00b0 -20\u00b0")
    neck("reba_neck_2", 2, [(20, 60), (0, -35)], 36, "20\u00b0+, ext'n")
    trunk("reba_trunk_2", 2, [(0, 20), (0, -20)], 12, "\u00b120\u00b0")
    trunk("reba_trunk_3", 3, [(20, 60), (-20, -50)], 40, "20\u00b0 - 60\u00b0")
    wrist("reba_wrist_1", 1, [(-15, 15)], 6, [(300, 172, "15\u00b0", "middle"), (300, 322, "15\u00b0", "middle")])
    wrist("reba_wrist_2", 2, [(15, 60), (-15, -60)], 38,
          [(294, 122, "15\u00b0+", "middle"), (294, 370, "15\u00b0+", "middle")])
    legs("reba_legs_1", 1, 6)
    legs("reba_legs_2", 2, 6, one_leg=True)
    legs("reba_knees_0", 0, 10, (0, 30), "<30\u00b0")
    legs("reba_knees_1", 1, 45, (30, 60), "30\u00b0 - 60\u00b0")
    legs("reba_knees_2", 2, 80, (60, 120), "60\u00b0+")


# The quoted texts of the cards, exactly (the tests hold the same list).
CARDS = [
    ("card_shoulder_raised", 328, 131, ["ADD 1. if shoulder is raised"], 1.0),
    ("card_arm_abducted", 328, 131, ["ADD 1. if upper arm is abducted"], 1.0),
    ("card_arm_supported", 328, 131, ["SUBTRACT 1. if leaning or supporting the weight of the arm"], 1.0),
    ("card_twist_mid", 390, 154, ["Mainly in mid-range of twist"], 1.0),
    ("card_twist_end", 390, 154, ["At or near the end of twisting range"], 1.0),
    ("card_neck_twist", 373, 155, ["ADD 1 if the neck is twisting"], 1.0),
    ("card_neck_side", 373, 155, ["ADD 1 if neck is side-bending"], 1.0),
    ("card_trunk_twist", 278, 133, ["ADD 1 if trunk is twisting"], 1.0),
    ("card_trunk_side", 278, 133, ["ADD 1 if trunk is side-bending"], 1.0),
    ("card_legs_supported", 346, 162, ["Legs are well suported and in an evenly balanced posture"], 1.0),
    ("card_legs_unsupported", 346, 162, ["If legs are not well supported or in an evenly balanced posture"], 1.0),
    ("card_muscle_static", 524, 161,
     ["posture mainly static, e.g. held for longer than 1 minute repeated more than 4 times/minute"], 1.5),
    ("card_muscle_not_static", 524, 161, ["posture not mainly static."], 1.5),
    ("card_force_1", 286, 190, ["No Resistance or less than 2kg intermittent load or force"], 1.0),
    ("card_force_2", 286, 190, ["2-10 kg intermittent load or force"], 1.0),
    ("card_force_3", 286, 190, ["2-10 kg static load", "2-10 kg repeated load or force"], 1.0),
    ("card_force_4", 450, 224,
     ["10 kg or more static load", "10 kg or more repeated loads or force.", "Shock or forces with a rapid buildup"],
     1.0),
]


# REBA's load and coupling, as cards of a posture drawing's size.
REBA_CARDS = [
    ("reba_load_0", ["0", "Load less than 5 kg"]),
    ("reba_load_1", ["+1", "Load 5 to 10 kg"]),
    ("reba_load_2", ["+2", "Load more than 10 kg"]),
    ("reba_coupling_0", ["0", "Good grip"]),
    ("reba_coupling_1", ["+1", "Fair grip"]),
    ("reba_coupling_2", ["+2", "Poor grip"]),
    ("reba_coupling_3", ["+3", "Unaccept- able grip"]),
]


def draw_cards():
    sizes = {}
    for name, w, h, paragraphs, scale in CARDS:
        sizes[name] = card(name, w, h, paragraphs, first_word_scale=scale)
    for name, paragraphs in REBA_CARDS:
        sizes[name] = card(name, DRAWING[0], DRAWING[1], paragraphs, font="sans_bold")
    return sizes


# ---------------------------------------------------------------- the RULA overview page

OVERVIEW_HEADING = "Rapid Upper Limb Assessment (RULA)"
OVERVIEW_INTRO = (
    "is a survey and screening method for use in workplaces where work-related upper limb disorders are "
    "reported. It assesses the biomechanical and postural loading on the body, with particular attention to "
    "the neck, the trunk and the upper limbs. An assessment is quick to carry out and yields a score that leads "
    "to a list of actions. RULA is not a complete study on its own: it belongs within a broader ergonomic "
    "study of the work.")
OVERVIEW_STEPS = [
    ("Step 1  Observing and selecting the posture(s) to assess",
     "Watch the worker through several work cycles before choosing what to assess. Assess the posture that is "
     "held for the longest part of the cycle, or the worst posture that is adopted. Where the cycles are long or "
     "the postures vary, assess postures at regular intervals instead."),
    ("Step 2  Scoring and recording the posture",
     "Score each body part with this software by choosing the picture that matches the observed posture, and "
     "the adjustments that apply. Then review the scores and adjust any choice that does not fit."),
    ("Step 3  Action Level",
     "Compare the grand score with the list of action levels. The list is a guide to how urgently the work "
     "should be looked at; in most cases it leads to a more detailed investigation."),
]


def paragraph(svg, runs, x, y, width, size, leading):
    """Wraps (text, font) runs into lines from baseline y; returns the baseline after the last line."""
    tokens = []
    for text, font in runs:
        tokens += [(w, font, size) for w in text.split(" ") if w]
    for line in wrap(tokens, width):
        cx = x
        groups = []
        for word, font, sz in line:
            if groups and groups[-1][1] == font:
                groups[-1][0].append(word)
            else:
                groups.append(([word], font))
        for gi, (words, font) in enumerate(groups):
            text = " ".join(words)
            if gi:
                cx += text_width(" ", font, size)
            svg.text(cx, y, text, font=font, size=size, preserve=True)
            cx += text_width(text, font, size)
        y += leading
    return y


def draw_overview():
    svg = Svg(590, 467, ground="#dcdcdc")
    margin, size, leading = 18, 16, 19.4
    width = 590 - 2 * margin
    y = 34
    y = paragraph(svg, [(OVERVIEW_HEADING, "serif_bold"), (OVERVIEW_INTRO, "serif")], margin, y, width, size,
                  leading)
    for heading, text in OVERVIEW_STEPS:
        y += 16
        svg.text(margin, y, heading, font="serif_bold", size=size + 0.5, preserve=True)
        w = text_width(heading, "serif_bold", size + 0.5)
        svg.line(margin, y + 3, margin + w, y + 3, width=1.2, cap="butt")
        y += leading + 5
        y = paragraph(svg, [(text, "serif")], margin, y, width, size, leading)
    assert y < 467, y
    print("overview page: last baseline %.0f of 467" % (y - leading))
    svg.save("rula_overview")


# ---------------------------------------------------------------- the RULA score sheet

SHEET = (896, 622)
# The picture stands at (360, 2160), 14535 x 7575 twips, in the final results window.
SX, SY = 896 / 14535.0, 622 / 7575.0
# Text is drawn taller than wide, so that it looks even once the picture is stretched to
# the 969 x 505 pixels it has in the window (wider and flatter than drawn).
SHEET_TEXT_Y = (969 / 896.0) / (505 / 622.0)

# The value labels of the final results window (left, top, width, height in twips).
SHEET_LABELS = {
    "UpperArm": ((1200, 2640, 375, 375), (2400, 2880, 255, 375)),
    "LowerArm": ((1200, 3600, 255, 375), (2400, 3720, 375, 375)),
    "Wrist": ((1200, 4440, 375, 375), (2280, 4680, 495, 375)),
    "WristTwist": ((1200, 5400, 495, 375), (2280, 5640, 375, 375)),
    "PostureScoreA": ((4320, 3840, 375, 375), (4920, 4200, 375, 375)),
    "MuscleA": ((6120, 3960, 495, 375), (7080, 4200, 375, 375)),
    "ForceA": ((8160, 3960, 375, 375), (9000, 4200, 375, 375)),
    "ScoreC": ((10440, 3600, 495, 375), (11280, 4080, 495, 375)),
    "GrandScore": ((12600, 5640, 375, 615), (14040, 5880, 615, 615)),
    "Neck": ((1680, 7080, 375, 375),),
    "Trunk": ((1680, 8040, 375, 375),),
    "Legs": ((1680, 9000, 375, 375),),
    "PostureScoreB": ((4560, 8160, 375, 375),),
    "MuscleB": ((6600, 8280, 375, 375),),
    "ForceB": ((8640, 8280, 375, 375),),
    "ScoreD": ((10920, 8040, 495, 495),),
}


def px_x(twips):
    return (twips - 360) * SX


def px_y(twips):
    return (twips - 2160) * SY


def label_px(rect):
    left, top, width, height = rect
    return px_x(left), px_y(top), px_x(left + width), px_y(top + height)


def diagonal_margin(box, left, right):
    """How far (pixels) the left label's lower-right corner lies above the diagonal of
    box (x0, y0, x1, y1) and the right label's upper-left corner below it; the smaller."""
    x0, y0, x1, y1 = box
    length = math.hypot(x1 - x0, y1 - y0)

    def side(px, py):  # positive below / right of the diagonal from (x0, y1) to (x1, y0)
        return ((x1 - x0) * (py - y1) - (y0 - y1) * (px - x0)) / length

    return min(-side(left[2], left[3]), side(right[0], right[1]))


def fit_cut_box(name, x0, y0, x1, y1):
    """Chooses the free edges (given as (low, high) ranges) of a box cut by a diagonal so
    that both labels lie in their triangles with the largest clearance."""
    left, right = (label_px(r) for r in SHEET_LABELS[name])

    def choices(v):
        if isinstance(v, tuple):
            lo, hi = v
            n = max(1, int((hi - lo) / 0.5))
            return [lo + (hi - lo) * i / n for i in range(n + 1)]
        return [v]

    best = None
    for a in choices(x0):
        for b in choices(y0):
            for c in choices(x1):
                for d in choices(y1):
                    m = diagonal_margin((a, b, c, d), left, right)
                    if best is None or m > best[0]:
                        best = (m, (a, b, c, d))
    margin, box = best
    assert margin > 1.5, (name, margin)
    assert box[0] < left[0] and box[1] <= left[1] + 0.01, name
    return box, margin


def sheet_text(svg, x, y, s, size, font="sans_bold", anchor="middle"):
    svg.text(x, y, s, font=font, size=size, anchor=anchor, yscale=SHEET_TEXT_Y)


def caption_lines(svg, cx, top, bottom, lines, size):
    """Caption lines centred in the band from top to bottom (as seen after the stretch)."""
    step = size * 1.05 * SHEET_TEXT_Y
    first = (top + bottom) / 2 - step * (len(lines) - 1) / 2 + size * 0.36 * SHEET_TEXT_Y
    for i, line in enumerate(lines):
        sheet_text(svg, cx, first + i * step, line, size)


def sheet_box(svg, name, box, caption, caption_height, cut, size=11.5, rounded=False):
    x0, y0, x1, y1 = box
    top = y0 - caption_height
    lines = caption.split("|")
    if rounded:
        r = 14
        svg.rect(x0, top, x1 - x0, y1 - top, fill="#ffffff", stroke=BLACK, width=2.2, rx=r)
        svg.rect(x0, y0, x1 - x0, y1 - y0, fill="none", stroke="none", ident="values-" + name)
        svg.line(x0, y0, x1, y0, width=2, cap="butt")
        if cut:
            t = 0.045
            svg.line(x0 + (x1 - x0) * t, y1 - (y1 - y0) * t, x1, y0, width=2, cap="butt", ident="diagonal-" + name)
    else:
        svg.rect(x0, top, x1 - x0, caption_height, fill="#ffffff", stroke=BLACK, width=2)
        svg.rect(x0, y0, x1 - x0, y1 - y0, fill="#ffffff", stroke=BLACK, width=2, ident="values-" + name)
        if cut:
            svg.line(x0, y1, x1, y0, width=2, cap="butt", ident="diagonal-" + name)
    caption_lines(svg, (x0 + x1) / 2, top, y0, lines, size)


def middle_box(name, width, height):
    """A box (not cut) whose value area is centred on its one label."""
    l = label_px(SHEET_LABELS[name][0])
    cx, cy = (l[0] + l[2]) / 2, (l[1] + l[3]) / 2
    return cx - width / 2, cy - height / 2, cx + width / 2, cy + height / 2


def arrow(svg, points, width=2.2, head=11):
    svg.polyline(points, width=width)
    (ax, ay), (bx, by) = points[-2], points[-1]
    a = math.atan2(by - ay, bx - ax)
    tip = (bx, by)
    svg.polygon([tip, (bx - head * math.cos(a - 0.4), by - head * math.sin(a - 0.4)),
                 (bx - head * math.cos(a + 0.4), by - head * math.sin(a + 0.4))], fill=BLACK, stroke=BLACK,
                width=1)


def bracket(svg, x, top, bottom, target):
    """A bracket closing a column of boxes, with an arrow from its middle into the target box."""
    mid = (top + bottom) / 2
    svg.polyline([(x - 10, top), (x, top), (x, bottom), (x - 10, bottom)], width=2.2)
    arrow(svg, [(x, mid), (x + 14, mid), (x + 14, target[1]), target])


def draw_score_sheet():
    svg = Svg(*SHEET)
    cap = 17.5
    fits = {}
    # Row A: the column of four boxes. The underlines of "Wrist" and "Wrist Twist" and the
    # bottom of "Wrist Twist" are redrawn by the window's lines, so they are fixed here.
    col = (48.0, 154.0)
    wrist_top, twist_top, twist_bottom = px_y(4440), px_y(5400), px_y(6000)
    fits["UpperArm"] = fit_cut_box("UpperArm", col[0], (34.0, px_y(2640)), col[1], (90.5, 92.0))
    fits["LowerArm"] = fit_cut_box("LowerArm", col[0], (112.5, px_y(3600)), col[1], (159.5, wrist_top - cap - 4))
    fits["Wrist"] = fit_cut_box("Wrist", col[0], wrist_top, col[1], (238.0, twist_top - cap - 4))
    fits["WristTwist"] = fit_cut_box("WristTwist", col[0], twist_top, col[1], twist_bottom)
    # Row A, the chain: posture score A + muscle + force = score C.
    fits["PostureScoreA"] = fit_cut_box("PostureScoreA", (226.0, 242.0), (120.0, 136.0), (306.0, 322.0),
                                        (199.0, 214.0))
    muscle_top, force_left = px_y(3960), px_x(8040)
    fits["MuscleA"] = fit_cut_box("MuscleA", (340.0, 352.0), muscle_top, (439.0, 452.0), (199.0, 214.0))
    fits["ForceA"] = fit_cut_box("ForceA", force_left, muscle_top, (557.0, 568.0), (199.0, 214.0))
    fits["ScoreC"] = fit_cut_box("ScoreC", (598.0, 619.0), (100.0, 117.0), (705.0, 728.0), (190.0, 212.0))
    fits["GrandScore"] = fit_cut_box("GrandScore", (732.0, 752.0), (262.0, 284.0), (882.5, 891.0),
                                     (357.0, 378.0))

    # Heading and row marks.
    sheet_text(svg, 470, 50, "RULA Score Sheet", 26)
    sheet_text(svg, 24, 186, "A", 30)
    sheet_text(svg, 24, 506, "B", 30)

    names = {"UpperArm": "Upper Arm", "LowerArm": "Lower Arm", "Wrist": "Wrist", "WristTwist": "Wrist Twist"}
    for key, caption in names.items():
        sheet_box(svg, key, fits[key][0], caption, cap, True)
    psa = fits["PostureScoreA"][0]
    sheet_box(svg, "PostureScoreA", psa, "POSTURE|SCORE A", 32, True, size=11)
    sheet_box(svg, "MuscleA", fits["MuscleA"][0], "Muscle", cap, True)
    sheet_box(svg, "ForceA", fits["ForceA"][0], "Force", cap, True)
    score_c = fits["ScoreC"][0]
    sheet_box(svg, "ScoreC", score_c, "SCORE C", 20, True, rounded=True)
    grand = fits["GrandScore"][0]
    sheet_box(svg, "GrandScore", grand, "GRAND SCORE", 22, True, size=14)

    column_top = fits["UpperArm"][0][1] - cap
    column_bottom = fits["WristTwist"][0][3]
    bracket(svg, 170, column_top, column_bottom, (psa[0], (psa[1] + psa[3]) / 2))
    row_a = (muscle_top + 205) / 2
    sheet_text(svg, (psa[2] + fits["MuscleA"][0][0]) / 2, row_a + 10, "+", 30)
    sheet_text(svg, (fits["MuscleA"][0][2] + force_left) / 2, row_a + 10, "+", 30)
    sheet_text(svg, (fits["ForceA"][0][2] + score_c[0]) / 2, row_a + 10, "=", 30)

    # The key between the rows.
    key = (318.0, 292.0, 438.0, 362.0)
    svg.rect(key[0], key[1], key[2] - key[0], key[3] - key[1], fill="#ffffff", stroke=BLACK, width=2)
    svg.line(key[0], key[3], key[2], key[1], width=2, cap="butt")
    sheet_text(svg, key[0] + 8, key[1] + 26, "Left", 17, font="sans_bold", anchor="start")
    sheet_text(svg, key[2] - 8, key[3] - 10, "Right", 17, font="sans_bold", anchor="end")
    sheet_text(svg, (key[0] + key[2]) / 2, key[1] - 8, "KEY", 13)

    # Row B: neck, trunk, legs; posture score B + muscle + force = score D.
    for key_name, caption in (("Neck", "Neck"), ("Trunk", "Trunk"), ("Legs", "Legs")):
        box = middle_box(key_name, 98, 46)
        box = (44.0, box[1], 142.0, box[3])
        sheet_box(svg, key_name, box, caption, cap, False)
    psb = middle_box("PostureScoreB", 86, 48)
    sheet_box(svg, "PostureScoreB", psb, "POSTURE|SCORE B", 32, False, size=11)
    mb = middle_box("MuscleB", 70, 46)
    sheet_box(svg, "MuscleB", mb, "Muscle", cap, False)
    fb = middle_box("ForceB", 70, 46)
    sheet_box(svg, "ForceB", fb, "Force", cap, False)
    score_d = middle_box("ScoreD", 92, 54)
    sheet_box(svg, "ScoreD", score_d, "SCORE D", 20, False, rounded=True)
    neck_top = middle_box("Neck", 98, 46)[1] - cap
    legs_bottom = middle_box("Legs", 98, 46)[3]
    bracket(svg, 158, neck_top, legs_bottom, (psb[0], (psb[1] + psb[3]) / 2))
    row_b = (psb[1] + psb[3]) / 2
    sheet_text(svg, (psb[2] + mb[0]) / 2, row_b + 10, "+", 30)
    sheet_text(svg, (mb[2] + fb[0]) / 2, row_b + 10, "+", 30)
    sheet_text(svg, (fb[2] + score_d[0]) / 2, row_b + 10, "=", 30)

    # Scores C and D lead to the grand score.
    grand_top = grand[1] - 22
    arrow(svg, [((score_c[0] + score_c[2]) / 2 + 20, score_c[3] + 4), ((score_c[0] + score_c[2]) / 2 + 20, 236),
                (grand[0] + 40, 236), (grand[0] + 40, grand_top - 3)])
    arrow(svg, [(score_d[2] + 4, (score_d[1] + score_d[3]) / 2), (grand[0] + 40, (score_d[1] + score_d[3]) / 2),
                (grand[0] + 40, grand[3] + 3)])
    svg.save("score_sheet")
    for name, (box, margin) in sorted(fits.items()):
        print("score sheet %-14s box %s clearance %.1f px" % (name, tuple(round(v, 1) for v in box), margin))


def main():
    global OUT
    parser = argparse.ArgumentParser(description="Draws the program's pictures as SVG files.")
    parser.add_argument("--output", default=OUT, metavar="FOLDER",
                        help="the folder the SVG files are written to (default: resources/pictures)")
    OUT = parser.parse_args().output
    draw_drawings()
    sizes = draw_cards()
    draw_overview()
    draw_score_sheet()
    for name, size in sorted(sizes.items()):
        print("%-24s type %.1f" % (name, size))


if __name__ == "__main__":
    main()
