#!/usr/bin/env python3
"""Draws the item icons installed with the Today item and writes them as BMPs.

    make_icons.py OUTDIR

Each icon is drawn here as SVG in a 24 x 24 box and rasterised by ImageMagick to
16 x 16 with hard edges on the transparent key colour, pure green, which the
icon picker and the item lists leave out when they draw. No icon may use that
green itself. The icons go into one sub-folder per group ("Everyday",
"Symbols"); the picker walks the folder recursively.
"""
import os
import subprocess
import sys
import tempfile

KEY = "#00FF00"
SIZE = 16

# name: (fill colour, body drawn with {c}); every shape stays inside 24 x 24.
EVERYDAY = {
    "home": ("#C0392B", '<polygon points="12,3 22,12 19,12 19,21 5,21 5,12 2,12" fill="{c}"/>'
                        '<rect x="10" y="14" width="4" height="7" fill="#FAFAFA"/>'),
    "phone": ("#2C3E50", '<path d="M6 2 H11 L12 7 L9.5 9 C10.8 12 12 13.2 15 14.5 L17 12 L22 13 V18 '
                         'C22 20 20.5 21.5 18.5 21.5 C10 21 3 14 2.5 5.5 C2.5 3.5 4 2 6 2 Z" fill="{c}"/>'),
    "car": ("#2471A3", '<path d="M3 13 L5.5 7 H18.5 L21 13 V18 H3 Z" fill="{c}"/>'
                       '<rect x="7" y="8.5" width="10" height="4" fill="#D6EAF8"/>'
                       '<circle cx="7" cy="18" r="2.6" fill="#222222"/><circle cx="17" cy="18" r="2.6" fill="#222222"/>'),
    "plane": ("#5D6D7E", '<path d="M11 2 H13 L14 9 L22 13 V15.5 L14 13.5 L13.5 19 L16 21 V22 L12 21 L8 22 V21 '
                         'L10.5 19 L10 13.5 L2 15.5 V13 L10 9 Z" fill="{c}"/>'),
    "gift": ("#8E44AD", '<rect x="3" y="9" width="18" height="5" fill="{c}"/><rect x="4.5" y="14" width="15" height="8" fill="{c}"/>'
                        '<rect x="10.5" y="9" width="3" height="13" fill="#F4D03F"/>'
                        '<path d="M12 9 C9 3 4 5 7 9 Z M12 9 C15 3 20 5 17 9 Z" fill="#F4D03F"/>'),
    "cake": ("#E67E22", '<rect x="4" y="12" width="16" height="9" rx="1.5" fill="{c}"/>'
                        '<rect x="4" y="15" width="16" height="2" fill="#FAFAFA"/>'
                        '<rect x="10.5" y="6.5" width="3" height="5.5" fill="#C0392B"/>'
                        '<path d="M12 0.5 C15 3.5 14.5 6 12 6.5 C9.5 6 9 3.5 12 0.5 Z" fill="#F1C40F"/>'),
    "coffee": ("#6E2C00", '<path d="M4 8 H17 V15 C17 18.5 14.5 21 11 21 H10 C6.5 21 4 18.5 4 15 Z" fill="{c}"/>'
                          '<path d="M17 10 H19 C21 10 21.5 15 17 15.5" fill="none" stroke="{c}" stroke-width="2"/>'
                          '<path d="M8 2 C9 4 7 5 8 7 M12 2 C13 4 11 5 12 7" fill="none" stroke="#888888" stroke-width="1.5"/>'),
    "book": ("#1F618D", '<path d="M3 4 C6 3 9.5 3.5 12 5.5 V21 C9.5 19 6 18.5 3 19.5 Z" fill="{c}"/>'
                        '<path d="M21 4 C18 3 14.5 3.5 12 5.5 V21 C14.5 19 18 18.5 21 19.5 Z" fill="#2E86C1"/>'),
}

SYMBOLS = {
    "star": ("#F1C40F", '<polygon points="12,2 14.9,8.6 22,9.3 16.6,14 18.2,21 12,17.3 5.8,21 7.4,14 2,9.3 9.1,8.6" '
                        'fill="{c}" stroke="#B7950B" stroke-width="1"/>'),
    "heart": ("#E74C3C", '<path d="M12 21 C4.5 15.5 2.5 11.5 2.5 8.2 C2.5 5.3 4.8 3.3 7.4 3.3 C9.4 3.3 11 4.5 12 6.3 '
                         'C13 4.5 14.6 3.3 16.6 3.3 C19.2 3.3 21.5 5.3 21.5 8.2 C21.5 11.5 19.5 15.5 12 21 Z" fill="{c}"/>'),
    "flag": ("#C0392B", '<rect x="4" y="2" width="2.2" height="20" fill="#555555"/>'
                        '<path d="M6.2 3 H20 L17 8 L20 13 H6.2 Z" fill="{c}"/>'),
    "bell": ("#D4AC0D", '<path d="M12 3 C16 3 18 6 18 10 V15 L20.5 18 H3.5 L6 15 V10 C6 6 8 3 12 3 Z" fill="{c}"/>'
                        '<circle cx="12" cy="20" r="2.2" fill="{c}"/>'),
    "check": ("#1E8449", '<circle cx="12" cy="12" r="10" fill="{c}"/>'
                         '<polyline points="7,12.5 10.5,16 17,8.5" fill="none" stroke="#FFFFFF" stroke-width="2.8" '
                         'stroke-linecap="round" stroke-linejoin="round"/>'),
    "alert": ("#E67E22", '<polygon points="12,2 22.5,21 1.5,21" fill="{c}"/>'
                         '<rect x="10.5" y="8.5" width="3" height="7" fill="#FAFAFA"/>'
                         '<rect x="10.5" y="17" width="3" height="3" fill="#FAFAFA"/>'),
    "pin": ("#A93226", '<circle cx="12" cy="9" r="6.5" fill="{c}"/><polygon points="8,13 16,13 12,22.5" fill="{c}"/>'
                       '<circle cx="12" cy="9" r="2.5" fill="#FAFAFA"/>'),
    "clock": ("#34495E", '<circle cx="12" cy="12" r="10" fill="{c}"/><circle cx="12" cy="12" r="8" fill="#FAFAFA"/>'
                         '<path d="M12 6.5 V12 L16 14" fill="none" stroke="{c}" stroke-width="2" '
                         'stroke-linecap="round"/>'),
}

GROUPS = {"Everyday": EVERYDAY, "Symbols": SYMBOLS}


def svg(body):
    # ImageMagick's own renderer outlines shapes that name no stroke: say none.
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="24" height="24" viewBox="0 0 24 24">'
            '<g stroke="none">%s</g></svg>' % body)


def render(src_dir, out, name, colour, body):
    src = os.path.join(src_dir, name + ".svg")
    with open(src, "w") as f:
        f.write(svg(body.format(c=colour)))
    subprocess.run(["convert", "-background", "none", "-density", "384", src, "-resize", "%dx%d!" % (SIZE, SIZE),
                    "-channel", "A", "-threshold", "50%", "+channel", "-background", KEY, "-alpha", "remove",
                    "-type", "TrueColor", "BMP3:" + os.path.join(out, name + ".bmp")], check=True)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = sys.argv[1]
    for group, icons in GROUPS.items():
        for name, (colour, _) in icons.items():
            if colour.upper() == KEY:
                sys.exit("%s: drawn in the transparent colour" % name)
    # The SVG sources stay out of the device image.
    with tempfile.TemporaryDirectory() as src_dir:
        for group, icons in GROUPS.items():
            folder = os.path.join(out, group)
            os.makedirs(folder, exist_ok=True)
            for name, (colour, body) in icons.items():
                render(src_dir, folder, name, colour, body)


if __name__ == "__main__":
    main()
