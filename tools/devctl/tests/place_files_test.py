#!/usr/bin/env python3
"""The demo notes' fixed times: the same on every run, whatever the host's zone,
and relative to the device's clock."""
import datetime
import importlib.machinery
import os
import tempfile
import time
import types
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
_loader = importlib.machinery.SourceFileLoader("place_files", os.path.join(HERE, "..", "demo", "place_files.py"))
place_files = types.ModuleType("place_files")
place_files.__file__ = _loader.path
_loader.exec_module(place_files)

CLOCK = datetime.datetime(2026, 12, 7, 9, 30)


def utc(*args):
    return datetime.datetime(*args, tzinfo=datetime.timezone.utc).timestamp()


class Times(unittest.TestCase):
    def test_ages_count_back_from_the_device_clock_in_its_zone(self):
        cases = [
            # (zone, note, its time in UTC)
            ("W. Europe", "Shopping list.txt", utc(2026, 12, 7, 7, 50)),
            ("W. Europe", "Budget meeting notes.txt", utc(2026, 12, 7, 6, 20)),
            ("W. Europe", "Home network.txt", utc(2026, 11, 25, 6, 40)),
            ("UTC", "Shopping list.txt", utc(2026, 12, 7, 8, 50)),
            ("Eastern", "Shopping list.txt", utc(2026, 12, 7, 13, 50)),
        ]
        for zone, name, want in cases:
            self.assertEqual(place_files.times(CLOCK, zone, [name])[name], want, (zone, name))

    def test_every_demo_note_has_a_time_before_the_clock(self):
        names = os.listdir(place_files.FILES)
        self.assertTrue(names)
        when = place_files.times(CLOCK, "W. Europe", names)
        clock = utc(2026, 12, 7, 8, 30)
        self.assertTrue(all(t < clock for t in when.values()))
        self.assertEqual(len(set(when.values())), len(names), "two notes at one moment sort by chance")

    def test_a_note_without_an_age_or_an_unknown_zone_is_an_error(self):
        for zone, names in [("W. Europe", ["Shopping list.txt", "New note.txt"]), ("Mars", ["Shopping list.txt"])]:
            with self.assertRaises(ValueError, msg=(zone, names)):
                place_files.times(CLOCK, zone, names)


class Place(unittest.TestCase):
    def test_the_copies_carry_the_times_whenever_and_wherever_they_are_made(self):
        old = os.environ.get("TZ")
        try:
            runs = []
            for tz in ("UTC", "America/New_York"):
                os.environ["TZ"] = tz
                time.tzset()
                with tempfile.TemporaryDirectory() as d:
                    place_files.place(d, CLOCK, "W. Europe")
                    docs = os.path.join(d, "My Documents")
                    runs.append({n: os.stat(os.path.join(docs, n)).st_mtime for n in os.listdir(docs)})
                    with open(os.path.join(docs, "Shopping list.txt"), "rb") as f, \
                            open(os.path.join(place_files.FILES, "Shopping list.txt"), "rb") as g:
                        self.assertEqual(f.read(), g.read())
            self.assertEqual(runs[0], runs[1])
            self.assertEqual(sorted(runs[0]), sorted(os.listdir(place_files.FILES)))
        finally:
            if old is None:
                os.environ.pop("TZ", None)
            else:
                os.environ["TZ"] = old
            time.tzset()


if __name__ == "__main__":
    unittest.main()
