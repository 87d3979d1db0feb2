#!/usr/bin/env python3
"""Gives a font file a family name of its own.

The production's title face is Liberation Sans Italic under another name: the font's licence
(SIL Open Font License 1.1) reserves the name "Liberation" for the unmodified font, so a copy
renamed for the production must not carry it.

usage: rename-font.py SOURCE.ttf TARGET.ttf FAMILY
"""
import sys

from fontTools.ttLib import TTFont

FAMILY_NAMES = (1, 4, 16)  # family, full name, typographic family
POSTSCRIPT_NAME = 6
UNIQUE_ID = 3


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    source, target, family = sys.argv[1:]
    # Keep the file's own time stamp, so that the same input always gives the same bytes.
    font = TTFont(source, recalcTimestamp=False)
    for record in font["name"].names:
        if record.nameID in FAMILY_NAMES:
            record.string = family
        elif record.nameID == POSTSCRIPT_NAME:
            record.string = family.replace(" ", "")
        elif record.nameID == UNIQUE_ID:
            record.string = family + " (renamed Liberation Sans Italic)"
    font.save(target)


if __name__ == "__main__":
    main()
