#!/usr/bin/env python3
"""Puts the demo's notes (files/) into a device image's "My Documents", each with a
fixed modification time before the demo device's clock, so that the Notes tab
shows the same times on every run (a copy alone would carry the moment the image
was made).

    place_files.py DEVICE [--clock 2026-12-07T09:30] [--zone "W. Europe"]

The clock and zone are what make_device gives devclock; the zone's standard time
applies (the demo lives in December). Every file must have an age below: a new
note without one is an error, not a picture that changes with the build time.
"""
import argparse
import datetime
import importlib.machinery
import os
import shutil
import sys
import types

HERE = os.path.dirname(os.path.abspath(__file__))
FILES = os.path.join(HERE, "files")

# How long before the clock each note was last written: (days, hours, minutes).
AGES = {
    "Shopping list.txt": (0, 0, 40),
    "Budget meeting notes.txt": (0, 2, 10),
    "Gift ideas.txt": (1, 14, 0),
    "Offer draft.doc": (2, 18, 5),
    "Athens trip.txt": (5, 3, 25),
    "Home network.txt": (12, 1, 50),
}


def zone_bias(zone):
    """Minutes from the zone's standard wall clock to UTC, from devclock's table."""
    path = os.path.join(HERE, "..", "..", "devclock")
    loader = importlib.machinery.SourceFileLoader("devclock", path)
    devclock = types.ModuleType("devclock")
    devclock.__file__ = loader.path
    loader.exec_module(devclock)
    if zone not in devclock.ZONES:
        raise ValueError(f"unknown zone {zone!r}")
    bias, standard = devclock.ZONES[zone][:2]
    return bias + standard


def times(clock, zone, names):
    """{name: POSIX time} for the notes `names`, given the device's wall clock."""
    missing = sorted(n for n in names if n not in AGES)
    if missing:
        raise ValueError("no time for " + ", ".join(missing) + " in place_files.py")
    utc = clock.replace(tzinfo=datetime.timezone.utc) + datetime.timedelta(minutes=zone_bias(zone))
    return {n: (utc - datetime.timedelta(days=AGES[n][0], hours=AGES[n][1], minutes=AGES[n][2])).timestamp()
            for n in names}


def place(device, clock, zone, source=FILES):
    names = sorted(os.listdir(source))
    when = times(clock, zone, names)
    dest = os.path.join(device, "My Documents")
    os.makedirs(dest, exist_ok=True)
    for name in names:
        target = os.path.join(dest, name)
        shutil.copyfile(os.path.join(source, name), target)
        os.utime(target, (when[name], when[name]))
    return when


def main(argv):
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("device")
    ap.add_argument("--clock", default="2026-12-07T09:30")
    ap.add_argument("--zone", default="W. Europe")
    args = ap.parse_args(argv[1:])
    try:
        place(args.device, datetime.datetime.fromisoformat(args.clock), args.zone)
    except ValueError as e:
        sys.exit(f"place_files: {e}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
