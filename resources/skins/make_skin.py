#!/usr/bin/env python3
"""Draws one of the Today item's skins and writes it as a skin folder.

    make_skin.py NAME OUTDIR

Every picture is drawn here as SVG from a palette and rasterised by ImageMagick
at the two resolutions of the handheld: "<name>_alpha.bmp" / "<name>_mask.bmp"
(96 dpi) and "<name>_alpha_high.bmp" / "<name>_mask_high.bmp" (192 dpi); the
mask's red channel is the opacity. Pictures drawn with a transparent colour
(settings icon, scroll arrows) are single BMPs on that colour. A few extra
tab-bar icons for the icon chooser are TGA files with alpha.
"""
import os
import subprocess
import sys

PALETTES = {
    # accent: selected buttons and captions; glyph: glyphs on the accent;
    # idle: glyphs of buttons not selected; panel: the caption's open slide-out.
    "default": dict(accent="#2F6DB5", accent2="#1E4F8F", glyph="#FFFFFF", idle="#3E5470", panel="#DCE7F5", tile="#F4F7FB", tile_edge="#9FB3CC",
                    panel_text="#1E3A5F", edge="#FFFFFF", arrow="#2F6DB5",
                    ini=dict(txt_color="0,0,0", shadow=None, shadow_color="255,255,255",
                             txt_color_slideout="30,58,95", shadow_slideout=None,
                             highlight_default_color="47,109,181", highlight_text_color="255,255,255",
                             highlight_transparency="85", blending_base_color="255,255,255")),
    "dark": dict(accent="#2B2F36", accent2="#16181C", glyph="#F5A623", idle="#C9CED6", panel="#3A3F47", tile="#2B2F36", tile_edge="#4A515C",
                 panel_text="#F5F5F5", edge="#F5A623", arrow="#F5A623",
                 ini=dict(txt_color="255,255,255", shadow="shadow", shadow_color="20,20,20",
                          txt_color_slideout="245,166,35", shadow_slideout="glow",
                          highlight_default_color="245,166,35", highlight_text_color="20,20,20",
                          highlight_transparency="70", blending_base_color="40,44,52")),
}

# Glyphs in a 24 x 24 box, drawn in colour {c}.
GLYPHS = {
    "calendar": '<rect x="4" y="5.5" width="16" height="14.5" rx="2" fill="none" stroke="{c}" stroke-width="2"/>'
                '<rect x="4" y="5.5" width="16" height="4.5" rx="1.5" fill="{c}"/>'
                '<line x1="8" y1="3" x2="8" y2="7" stroke="{c}" stroke-width="2" stroke-linecap="round"/>'
                '<line x1="16" y1="3" x2="16" y2="7" stroke="{c}" stroke-width="2" stroke-linecap="round"/>'
                '<rect x="7" y="12.5" width="3" height="2.5" fill="{c}"/><rect x="10.5" y="12.5" width="3" height="2.5" fill="{c}"/>'
                '<rect x="14" y="12.5" width="3" height="2.5" fill="{c}"/><rect x="7" y="16" width="3" height="2.5" fill="{c}"/>',
    "tasks": '<rect x="4" y="4" width="16" height="16" rx="3" fill="none" stroke="{c}" stroke-width="2"/>'
             '<polyline points="7.5,12 10.7,15.2 16.8,8.5" fill="none" stroke="{c}" stroke-width="2.6" '
             'stroke-linecap="round" stroke-linejoin="round"/>',
    "notes": '<path d="M6 3 H15 L19 7 V21 H6 Z" fill="none" stroke="{c}" stroke-width="2" stroke-linejoin="round"/>'
             '<line x1="9" y1="11" x2="16" y2="11" stroke="{c}" stroke-width="1.8"/>'
             '<line x1="9" y1="14.5" x2="16" y2="14.5" stroke="{c}" stroke-width="1.8"/>'
             '<line x1="9" y1="18" x2="13.5" y2="18" stroke="{c}" stroke-width="1.8"/>',
    "contacts": '<circle cx="12" cy="8.5" r="4.2" fill="{c}"/>'
                '<path d="M4.5 20.5 C5 14.8 8.2 13.2 12 13.2 C15.8 13.2 19 14.8 19.5 20.5 Z" fill="{c}"/>',
    "messages": '<rect x="3" y="6" width="18" height="13" rx="2" fill="none" stroke="{c}" stroke-width="2"/>'
                '<polyline points="3.8,7 12,13.5 20.2,7" fill="none" stroke="{c}" stroke-width="2" stroke-linejoin="round"/>',
    "sevents": '<polygon points="12,3 14.6,9 21,9.5 16.1,13.6 17.7,20 12,16.5 6.3,20 7.9,13.6 3,9.5 9.4,9" fill="{c}"/>',
    "custom1": '<rect x="4" y="4" width="7" height="7" rx="1.5" fill="{c}"/><rect x="13" y="4" width="7" height="7" rx="1.5" fill="{c}"/>'
               '<rect x="4" y="13" width="7" height="7" rx="1.5" fill="{c}"/><rect x="13" y="13" width="7" height="7" rx="3.5" fill="{c}"/>',
    "heart": '<path d="M12 20 C5 15 3 11.5 3 8.5 C3 5.8 5.2 4 7.6 4 C9.5 4 11 5.1 12 6.8 C13 5.1 14.5 4 16.4 4 '
             'C18.8 4 21 5.8 21 8.5 C21 11.5 19 15 12 20 Z" fill="{c}"/>',
    "gear": '<circle cx="12" cy="12" r="3.2" fill="none" stroke="{c}" stroke-width="2.2"/>'
            '<path d="M12 2.5 L13.6 5.2 L16.7 4.4 L17 7.5 L20 8.6 L18.6 11.4 L20.6 13.8 L17.9 15.4 L18.1 18.6 L15 18.5 '
            'L13.3 21.2 L12 21.5 L10.7 21.2 L9 18.5 L5.9 18.6 L6.1 15.4 L3.4 13.8 L5.4 11.4 L4 8.6 L7 7.5 L7.3 4.4 '
            'L10.4 5.2 Z" fill="none" stroke="{c}" stroke-width="1.6" stroke-linejoin="round"/>',
}

BUTTONS = {"calendar_baricon": "calendar", "tasks_baricon": "tasks", "notes_baricon": "notes",
           "contacts_baricon": "contacts", "messages_baricon": "messages", "sevents_baricon": "sevents",
           "custom1_baricon": "custom1"}
CAPTIONS = {"calendar": "calendar", "task": "tasks", "notes": "notes", "contacts": "contacts",
            "messages": "messages", "sevents": "sevents", "custom1": "custom1"}


def svg(w, h, body):
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">%s</svg>'
            % (w, h, w, h, body))


def glyph(name, colour, x, y, size):
    s = size / 24.0
    return '<g transform="translate(%g %g) scale(%g)">%s</g>' % (x, y, s, GLYPHS[name].format(c=colour))


def button(p, name, selected):
    if selected:
        body = ('<rect x="0.5" y="0.5" width="19" height="19" rx="4" fill="%s"/>' % p["accent"]) + \
            glyph(name, p["glyph"], 2.5, 2.5, 15)
    else:
        body = ('<rect x="1" y="1" width="18" height="18" rx="4" fill="%s" stroke="%s" stroke-width="1"/>'
                % (p["tile"], p["tile_edge"])) + glyph(name, p["idle"], 3.5, 3.5, 13)
    return svg(20, 20, body)


def caption_icon(p, name):
    body = ('<path d="M4 0.5 H27 V19.5 H4 Q0.5 19.5 0.5 16 V4 Q0.5 0.5 4 0.5 Z" fill="%s"/>'
            % p["accent"]) + glyph(name, p["glyph"], 5, 1.5, 17)
    return svg(27, 20, body)


def caption_close(p):
    return svg(8, 20, '<path d="M0 0.5 H4 Q7.5 0.5 7.5 4 V16 Q7.5 19.5 4 19.5 H0 Z" fill="%s"/>'
               '<polygon points="2,7 5.5,10 2,13" fill="%s"/>' % (p["accent"], p["glyph"]))


def caption_close_plain(p):
    return svg(8, 20, '<path d="M0 0.5 H4 Q7.5 0.5 7.5 4 V16 Q7.5 19.5 4 19.5 H0 Z" fill="%s"/>' % p["accent"])


def caption_open(p):
    return svg(63, 20, '<path d="M0 0.5 H59 Q62.5 0.5 62.5 4 V16 Q62.5 19.5 59 19.5 H0 Z" fill="%s"/>'
               '<rect x="0" y="0.5" width="63" height="19" fill="none"/>'
               '<polygon points="58,7 55,10 58,13" fill="%s"/>' % (p["panel"], p["accent"]))


def sort_up(p):
    return svg(7, 14, '<polygon points="3.5,1 6.5,6 0.5,6" fill="%s"/><rect x="2.5" y="6" width="2" height="7" fill="%s"/>'
               % (p["accent"], p["accent"]))


def category(p):
    return svg(49, 18, '<rect x="0.5" y="0.5" width="48" height="17" rx="4" fill="%s" stroke="%s"/>'
               '<polygon points="41,7 47,7 44,11" fill="%s"/>' % (p["panel"], p["tile_edge"], p["accent"]))


def settings_icon(p):
    return svg(18, 18, '<rect x="0.5" y="0.5" width="17" height="17" rx="3.5" fill="%s"/>' % p["accent"] +
               glyph("gear", p["glyph"], 2, 2, 14))


def arrow(p, right):
    pts = "2,1 7,4.5 2,8" if right else "7,1 2,4.5 7,8"
    return svg(9, 9, '<polygon points="%s" fill="%s"/>' % (pts, p["arrow"]))


def convert(args):
    subprocess.run(["convert"] + args, check=True)


def pair(out, name, text, w, h, matte):
    src = os.path.join(out, ".src", name + ".svg")
    with open(src, "w") as f:
        f.write(text)
    for suffix, scale in (("", 1), ("_high", 2)):
        density = str(96 * 4)
        size = "%dx%d!" % (w * scale, h * scale)
        convert(["-background", "none", "-density", density, src, "-resize", size,
                 "(", "+clone", "-alpha", "extract", "-type", "TrueColor", "-write",
                 "BMP3:" + os.path.join(out, name + "_mask" + suffix + ".bmp"), "+delete", ")",
                 "-background", matte, "-alpha", "remove", "-type", "TrueColor",
                 "BMP3:" + os.path.join(out, name + "_alpha" + suffix + ".bmp")])


def keyed(out, name, text, w, h, key="#00FF00"):
    src = os.path.join(out, ".src", name + ".svg")
    with open(src, "w") as f:
        f.write(text)
    for suffix, scale in (("", 1), ("_high", 2)):
        convert(["-background", "none", "-density", "384", src, "-resize", "%dx%d!" % (w * scale, h * scale),
                 "-channel", "A", "-threshold", "50%", "+channel", "-background", key, "-alpha", "remove",
                 "-type", "TrueColor", "BMP3:" + os.path.join(out, name + suffix + ".bmp")])


def tga(out, name, text, w, h):
    src = os.path.join(out, ".src", name + ".svg")
    with open(src, "w") as f:
        f.write(text)
    # "_high" twice as large, for high-resolution screens; the plain name for the rest.
    for suffix, scale in (("", 1), ("_high", 2)):
        convert(["-background", "none", "-density", "384", src, "-resize", "%dx%d!" % (w * scale, h * scale),
                 "-flip", "-type", "TrueColorAlpha", "-compress", "RLE",
                 "TGA:" + os.path.join(out, name + suffix + ".tga")])


def ini(p):
    keys = ["txt_color", "shadow", "shadow_color", "txt_color_slideout", "shadow_slideout",
            "highlight_default_color", "highlight_text_color", "highlight_transparency", "blending_base_color"]
    lines = []
    for k in keys:
        v = p["ini"].get(k)
        if v is not None:
            lines.append('"%s"="%s"\r\n' % (k, v))
    return "".join(lines)


def main():
    name, out = sys.argv[1], sys.argv[2]
    p = PALETTES[name]
    os.makedirs(os.path.join(out, ".src"), exist_ok=True)
    with open(os.path.join(out, "skin.ini"), "w", newline="") as f:
        f.write(ini(p))
    for base, g in BUTTONS.items():
        pair(out, base + "_sel", button(p, g, True), 20, 20, p["accent"])
        pair(out, base + "_nsel", button(p, g, False), 20, 20, p["tile_edge"])
    for base, g in CAPTIONS.items():
        pair(out, base + "_icon", caption_icon(p, g), 27, 20, p["accent"])
        pair(out, base + "_icon_close", caption_close(p) if base in ("task", "notes", "contacts") else
             caption_close_plain(p), 8, 20, p["accent"])
        pair(out, base + "_icon_open", caption_open(p), 63, 20, p["panel"])
        pair(out, base + "_icon_open_sort_up", sort_up(p), 7, 14, p["accent"])
    for base in ("category_tsk", "category_notes", "category_sevnts"):
        pair(out, base, category(p), 49, 18, p["tile_edge"])
    keyed(out, "settings_icon", settings_icon(p), 18, 18)
    keyed(out, "tabs_left", arrow(p, False), 9, 9)
    keyed(out, "tabs_right", arrow(p, True), 9, 9)
    # Icons the user may choose for a custom tab.
    for g in ("heart", "gear"):
        tga(out, g + "_baricon_sel", button(p, g, True), 20, 20)
        tga(out, g + "_baricon_nsel", button(p, g, False), 20, 20)
    for f in os.listdir(os.path.join(out, ".src")):
        os.remove(os.path.join(out, ".src", f))
    os.rmdir(os.path.join(out, ".src"))


if __name__ == "__main__":
    main()
