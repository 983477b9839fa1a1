#!/usr/bin/python3
"""Copies a TrueType font or collection for the tests' wine prefix, its
faces asking for grey smoothing at every size (their gasp tables).

WenQuanYi Zen Hei asks for unsmoothed, grid-fitted glyphs from 9 to 16
pixels; wine obeys, and its hinting at 12 pixels breaks the Latin letters (E
loses its bars, the underscore vanishes). Qt smooths the face at every size,
and so does the copy in the prefix, so that the two windows compare.
    smooth_font.py SOURCE TARGET
"""
import sys

from fontTools.ttLib import TTCollection, TTFont

GASP_DOGRAY = 0x0002

source, target = sys.argv[1:]
font = TTCollection(source) if source.lower().endswith('.ttc') else TTFont(source)
for face in getattr(font, 'fonts', [font]):
    if 'gasp' in face:
        face['gasp'].gaspRange = {0xFFFF: GASP_DOGRAY}
font.save(target)
