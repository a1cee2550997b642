#!/usr/bin/env python3
"""The gallery's picture checks and its index, on pictures made here."""
import importlib.machinery
import os
import struct
import sys
import tempfile
import types
import unittest
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
_loader = importlib.machinery.SourceFileLoader("gallery", os.path.join(HERE, "..", "gallery"))
gallery = types.ModuleType("gallery")
gallery.__file__ = _loader.path
_loader.exec_module(gallery)


def png_bytes(width, height, pixel, filters=(0,), alpha=False):
    """A PNG whose pixel (x, y) is pixel(x, y); rows filtered in turn with `filters`."""
    ch = 4 if alpha else 3
    raw, prev = b"", bytes(width * ch)
    for y in range(height):
        line = b"".join(bytes(pixel(x, y)) + (b"\xff" if alpha else b"") for x in range(width))
        kind = filters[y % len(filters)]
        out = bytearray()
        for i, v in enumerate(line):
            a = line[i - ch] if i >= ch else 0
            b = prev[i]
            c = prev[i - ch] if i >= ch else 0
            pred = {0: 0, 1: a, 2: b, 3: (a + b) // 2}.get(kind)
            if kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                pred = a if pa <= pb and pa <= pc else b if pb <= pc else c
            out.append((v - pred) & 255)
        raw += bytes([kind]) + bytes(out)
        prev = line

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    ihdr = struct.pack(">IIBBBBB", width, height, 8, 6 if alpha else 2, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b"")


def busy(x, y):
    return ((x * 37 + y * 11) % 256, (x * y) % 256, (x + 3 * y) % 256)


def flat(x, y):
    return (200, 210, 220)


class ReadPng(unittest.TestCase):
    def test_every_filter_and_alpha_reads_back_the_same_pixels(self):
        with tempfile.TemporaryDirectory() as d:
            for filters in [(0,), (1,), (2,), (3,), (4,), (0, 1, 2, 3, 4)]:
                for alpha in (False, True):
                    path = os.path.join(d, "p.png")
                    with open(path, "wb") as f:
                        f.write(png_bytes(7, 5, busy, filters, alpha))
                    w, h, rows = gallery.read_png(path)
                    self.assertEqual((w, h), (7, 5))
                    want = [b"".join(bytes(busy(x, y)) for x in range(7)) for y in range(5)]
                    self.assertEqual(rows, want, f"filters {filters} alpha {alpha}")

    def test_a_file_that_is_no_png_is_refused(self):
        with tempfile.TemporaryDirectory() as d:
            path = os.path.join(d, "x.png")
            with open(path, "wb") as f:
                f.write(b"GIF89a....")
            with self.assertRaises(ValueError):
                gallery.read_png(path)


def picture(pixel, w=40, h=30):
    return (w, h, [b"".join(bytes(pixel(x, y)) for x in range(w)) for y in range(h)])


class Blank(unittest.TestCase):
    def test_blank_pictures_are_told_apart_from_screens(self):
        cases = [
            ("one colour", flat, True),
            ("black", lambda x, y: (0, 0, 0), True),
            # A few lines on a plain background are still nearly one colour.
            ("a thin line", lambda x, y: (0, 0, 0) if (y == 3 and x < 20) else (255, 255, 255), True),
            ("a busy screen", busy, False),
        ]
        for name, pixel, blank in cases:
            self.assertEqual(gallery.blank_reason(picture(pixel)) is not None, blank, name)


class Neighbours(unittest.TestCase):
    def check(self, pictures, table, bases=None):
        return gallery.check(table, load=lambda path: pictures[path], bases=bases)

    def test_pictures_are_compared_with_left_and_upper_neighbours_and_their_base_only(self):
        shifted = lambda x, y: busy(x + 5, y)
        other = lambda x, y: busy(x, y + 9)
        pics = {"a": picture(busy), "b": picture(shifted), "c": picture(other), "a2": picture(busy),
                "flat": picture(flat), "big": picture(busy, 80, 60), "d": picture(lambda x, y: busy(x + 2, y + 3)),
                # The busy picture with 2% of it changed (a blinking button), and with 20%.
                "button": picture(lambda x, y: flat(x, y) if x < 4 and y < 6 else busy(x, y)),
                "popup": picture(lambda x, y: flat(x, y) if 10 <= x < 30 and 10 <= y < 22 else busy(x, y))}
        cases = [
            # (table, the problems' paths, what they say); diagonal neighbours may be alike
            ({("r1", "c1"): "a", ("r1", "c2"): "b", ("r2", "c1"): "c", ("r2", "c2"): "a2"}, [], ""),
            ({("r1", "c1"): "a", ("r1", "c2"): "a2"}, ["a2"], "the same as"),
            ({("r1", "c1"): "a", ("r2", "c1"): "a2"}, ["a2"], "the same as"),
            # Different sizes are never compared.
            ({("r1", "c1"): "big", ("r1", "c2"): "a"}, [], ""),
            ({("r1", "c1"): "a", ("r1", "c2"): "flat"}, ["flat"], "blank"),
            # A popup's picture is also compared with its base row's, further up, in
            # its own column only, and must change more than a button's worth of it.
            ({("tab", "c1"): "a", ("mid", "c1"): "b", ("pop", "c1"): "a2"}, ["a2"], "no popup", {"pop": "tab"}),
            ({("tab", "c1"): "a", ("mid", "c1"): "b", ("pop", "c1"): "button"}, ["button"], "no popup",
             {"pop": "tab"}),
            ({("tab", "c1"): "a", ("mid", "c1"): "b", ("pop", "c1"): "popup"}, [], "", {"pop": "tab"}),
            ({("tab", "c1"): "a", ("mid", "c1"): "b", ("pop", "c1"): "a2"}, [], "", None),
            ({("tab", "c1"): "a", ("tab", "c2"): "c", ("mid", "c1"): "b", ("mid", "c2"): "d",
              ("pop", "c1"): "c", ("pop", "c2"): "a2"}, [], "", {"pop": "tab"}),
        ]
        for table, bad, says, *bases in cases:
            with self.subTest(table=table):
                with tempfile.TemporaryDirectory() as d:
                    real = {k: os.path.join(d, v) for k, v in table.items()}
                    for p in real.values():
                        open(p, "w").close()
                    loaded = {os.path.join(d, k): v for k, v in pics.items()}
                    problems = self.check(loaded, real, bases[0] if bases else None)
                    self.assertEqual([p.split(":")[0] for p in problems], [os.path.join(d, b) for b in bad])
                    for p in problems:
                        self.assertIn(says, p)

    def test_a_missing_picture_is_a_problem(self):
        problems = gallery.check({("r", "c"): "/nonexistent/shot.png"}, load=lambda p: None)
        self.assertEqual(problems, ["/nonexistent/shot.png: missing"])


class Index(unittest.TestCase):
    def test_the_table_has_a_row_per_screen_and_a_column_per_skin_and_size(self):
        with tempfile.TemporaryDirectory() as d:
            table = {("cal", "default 240x320"): os.path.join(d, "cal-default.png"),
                     ("cal", "dark 240x320"): os.path.join(d, "cal-dark.png"),
                     ("finder", "default 240x320"): os.path.join(d, "finder.png")}
            index = gallery.write_index(d, ["cal", "finder"], ["default 240x320", "dark 240x320"], table,
                                        {"cal": "Calendar <tab>", "finder": "Contact finder"})
            with open(index, encoding="utf-8") as f:
                text = f.read()
            self.assertEqual(text.count("<tr>"), 3)
            self.assertEqual(text.count("<img "), 3)
            self.assertIn('src="cal-dark.png"', text)  # relative, so that the folder can move
            self.assertIn("Calendar &lt;tab&gt;, dark 240x320", text)
            self.assertIn("<td></td>", text)  # the finder has no dark column


TODAY_THEME = "HKLM\\Software\\Microsoft\\Today\\"


class Theme(unittest.TestCase):
    def test_each_skin_runs_on_its_own_theme_from_its_first_picture(self):
        for size in gallery.SIZES:
            for skin in gallery.SKINS:
                script, _ = gallery.today_script(size, skin, "/tmp/g")
                lines = script.splitlines()
                first_snap = next(i for i, l in enumerate(lines) if l.startswith("snap "))
                theme = {l.split()[1][len(TODAY_THEME):]: l.split()[2:] for l in lines if TODAY_THEME in l}
                self.assertTrue(all(i < first_snap for i, l in enumerate(lines) if TODAY_THEME in l))
                last = max(i for i, l in enumerate(lines) if TODAY_THEME in l)
                self.assertIn("settingchange", lines[last + 1:first_snap], "the screen is never told")
                watermark = theme.get("Watermark")
                if skin == "dark":
                    self.assertEqual(watermark[0], "sz", (size, skin))
                    self.assertTrue(watermark[1].lower().endswith(".bmp"))
                else:
                    self.assertEqual(watermark, ["delete"], (size, skin))

    def test_the_light_theme_undoes_everything_the_dark_one_sets(self):
        # The default skin's run comes after a dark one on the same device.
        dark, light = gallery.devtheme.THEMES["dark"], gallery.devtheme.THEMES["light"]
        self.assertEqual(set(dark), set(light))
        self.assertTrue(all(v is None for v in light.values()))

    def test_the_script_and_the_registry_file_write_the_same_values(self):
        for name in gallery.devtheme.THEMES:
            from_file = {}
            for line in gallery.devtheme.reg_lines(name):
                key, _, data = line.partition("=")
                key = key.strip('"')
                if data == "-":
                    from_file[key] = None
                elif data.startswith("dword:"):
                    from_file[key] = int(data[6:], 16)
                else:
                    from_file[key] = data.strip('"').replace("\\\\", "\\")
            from_script = {}
            for step in gallery.devtheme.script_steps(name)[:-1]:
                words = step.split(" ", 3)
                key = words[1][len(TODAY_THEME):]
                from_script[key] = (None if words[2] == "delete" else int(words[3]) if words[2] == "dword"
                                    else words[3])
            self.assertEqual(from_file, from_script, name)
            self.assertEqual(gallery.devtheme.script_steps(name)[-1], "settingchange")


class Script(unittest.TestCase):
    def test_each_run_sets_its_skin_first_and_takes_every_picture_once(self):
        for size in gallery.SIZES:
            for skin in gallery.SKINS:
                script, shots = gallery.today_script(size, skin, "/tmp/g")
                lines = script.splitlines()
                self.assertTrue(lines[0].endswith(f"\\{skin}\\"), lines[0])
                self.assertEqual(lines[-1], "quit")
                snaps = [l for l in lines if l.startswith("snap ")]
                self.assertEqual(sorted(n for n, _ in shots), sorted(s.name for s in gallery.TODAY_SHOTS))
                self.assertEqual(sorted(snaps), sorted(f"snap {gallery.win_path(p)}" for p in shots.values()))
                self.assertTrue(all(l.startswith("snap Z:\\tmp\\g\\") and l.endswith(f"-{skin}-{size}.png")
                                    for l in snaps))

    def test_each_popup_is_checked_against_its_own_tab_above_it(self):
        rows = [s.name for s in gallery.TODAY_SHOTS]
        popups = [s for s in gallery.TODAY_SHOTS if any(l.startswith(("tap ", "key ")) for l in s.steps)]
        self.assertEqual(len(popups), 4)
        for shot in popups:
            self.assertIn(shot.base, rows[:rows.index(shot.name)], shot.name)
            base = next(s for s in gallery.TODAY_SHOTS if s.name == shot.base)
            self.assertEqual(base.steps, shot.steps[:len(base.steps)], f"{shot.name} opens on another tab")

    def test_screen_points_are_scaled_and_nothing_else(self):
        cases = [("tap 40 80", 1, "tap 40 80"), ("tap 40 80", 2, "tap 80 160"), ("hold 3 5", 2, "hold 6 10"),
                 ("drag 1 2 3 4", 2, "drag 2 4 6 8"), ("wait 400", 2, "wait 400"), ("key enter", 2, "key enter"),
                 (r"reg HKCU\K\ActiveTab dword 5", 2, r"reg HKCU\K\ActiveTab dword 5")]
        for step, scale, want in cases:
            self.assertEqual(gallery.scaled(step, scale), want, (step, scale))
        small, _ = gallery.today_script("240x320", "default", "/tmp/g")
        large, _ = gallery.today_script("480x640", "default", "/tmp/g")
        taps = lambda script: [l.split()[1:] for l in script.splitlines() if l.startswith("tap ")]
        self.assertTrue(taps(small))
        self.assertEqual([[str(2 * int(v)) for v in t] for t in taps(small)], taps(large))

    def test_every_picture_shows_only_the_settings_of_its_own_shot(self):
        # The item reads the registry when the broadcast reloads it: a value written
        # after the last broadcast does not show, and one a shot leaves behind shows
        # in every later picture.
        steps = {s.name: s.steps for s in gallery.TODAY_SHOTS}
        own = lambda name: {l.split()[1] for l in steps[name] if l.startswith("reg ") and "ActiveTab" not in l}
        for skin in gallery.SKINS:
            script, shots = gallery.today_script("240x320", skin, "/tmp/g")
            names = {f"snap {gallery.win_path(p)}": n for (n, _), p in shots.items()}
            written, shown = {}, {}
            for line in script.splitlines():
                words = line.split()
                # The skin and the Today theme are the run's, set before its first picture.
                if words[0] == "reg" and "SkinPath" not in line and TODAY_THEME not in line:
                    written[words[1]] = None if words[2] == "delete" else words[3]
                elif words[0] == "broadcast":
                    shown = dict(written)
                elif line in names:
                    name = names[line]
                    self.assertEqual(written, shown, f"{name}: a value written after the reload")
                    left = {k for k, v in shown.items() if v is not None and "ActiveTab" not in k}
                    self.assertEqual(left, own(name), f"{name} ({skin})")


if __name__ == "__main__":
    unittest.main()
