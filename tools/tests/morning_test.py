#!/usr/bin/env python3
"""A morning on the demo device, as a person goes through it: the Today screen runs
one script, step after step, and every step is then checked on the screen (its
picture) and in the store or the device log. A failed check names its step.

  morning_test.py ROOT BUILD NATIVE

Steps are appended to STEPS: a name, the script lines that do it (ending with the
picture the check looks at), and a check that returns None or what went wrong.
"""
import datetime
import importlib.machinery
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import types

ROOT, BUILD, NATIVE = (os.path.abspath(a) for a in sys.argv[1:4])
DEVICE = os.path.join(BUILD, "morning-device")
PREFIX = os.path.join(BUILD, "wine", "morning")
WORK = os.path.join(BUILD, "morning")
DEVCTL = os.path.join(NATIVE, "tools", "devctl", "devctl")
WINE = os.environ.get("OLV_WINE", "/usr/lib/wine/wine64")
WINESERVER = os.environ.get("OLV_WINESERVER", "/usr/lib/wine/wineserver64")

_loader = importlib.machinery.SourceFileLoader("gallery", os.path.join(ROOT, "tools", "gallery"))
gallery = types.ModuleType("gallery")
gallery.__file__ = _loader.path
_loader.exec_module(gallery)

TODAY = datetime.date(2026, 12, 7)  # the demo device's day, 09:30 W. Europe
OLE_EPOCH = datetime.date(1899, 12, 30)
KEY = r"HKCU\Software\Olvane\Daybrim"
SKINS = r"\Program Files\Olvane\Daybrim\Skins"
REC_ID = 0x10000066
POOM_APPOINTMENT = 0x40000000
# Below the navigation band and the caption, left of the scroll bar, right of the
# vertical tab bar: where the Calendar's rows are (240x320).
LIST = (30, 50, 226, 290)


def env():
    return dict(os.environ, WINEPREFIX=PREFIX, OLV_WINEPREFIX=PREFIX, WINEDEBUG="-all")


def sh(*cmd, **kw):
    return subprocess.run(cmd, env=env(), check=True, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                          stdin=subprocess.DEVNULL, **kw).stdout


def win(path):
    return "Z:" + path.replace("/", "\\")


def make_device():
    """The demo device, as `./dev demo` makes it, in a prefix of its own."""
    sh(os.path.join(ROOT, "tools", "wine-prefix"), "clone", os.path.join(BUILD, "wine", "template"), PREFIX, DEVICE)
    if os.path.isdir(DEVICE):
        shutil.rmtree(DEVICE)
    os.makedirs(DEVICE)
    sh(os.path.join(ROOT, "tools", "device-image"), DEVICE, os.path.join(BUILD, "stage"),
       os.path.join(WORK, "device.reg"))
    sh(WINE, "regedit", "/S", win(os.path.join(WORK, "device.reg")))
    sh(DEVCTL, "--device", DEVICE, "init")
    sh(DEVCTL, "--device", DEVICE, "load", os.path.join(ROOT, "tools", "devctl", "demo", "demo.json"))
    sh(sys.executable, os.path.join(ROOT, "tools", "devctl", "demo", "place_files.py"), DEVICE)
    sh(os.path.join(ROOT, "tools", "devclock"), "set", "2026-12-07T09:30", "--zone", "W. Europe")


# --- what the checks look at ---------------------------------------------------------

class Ctx:
    def __init__(self):
        self.pictures = {}

    def picture(self, name):
        if name not in self.pictures:
            self.pictures[name] = gallery.read_png(snap_path(name))
        return self.pictures[name]

    def log(self):
        path = os.path.join(DEVICE, "Windows", "devicelog.jsonl")
        if not os.path.exists(path):
            return []
        with open(path, encoding="utf-8") as f:
            return [json.loads(l) for l in f if l.strip()]

    def agenda(self, day):
        exe = os.path.join(BUILD, "daybrim", "tabs", "agenda.exe")
        out = subprocess.run([os.path.join(ROOT, "tools", "wine-emu"), exe, "--from", day.isoformat(), "--days", "2"],
                             env=env(), stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        return out.stdout

    def appointment_ids(self):
        out = sh(DEVCTL, "--device", DEVICE, "list", "Appointments Database", text=True)
        ids = set()
        for line in out.splitlines():
            for p in json.loads(line).get("props", []):
                pid = p.get("id")
                pid = int(pid, 0) if isinstance(pid, str) else pid
                if pid == REC_ID:
                    ids.add((int(p["value"]) + POOM_APPOINTMENT) & 0xFFFFFFFF)
        return ids


def snap_path(name):
    return os.path.join(WORK, name + ".png")


def ink_lines(picture, box=LIST):
    """The text lines in a box of a picture: (top, bottom) of each band of rows that
    hold dark pixels."""
    width, height, rows = picture
    x0, y0, x1, y1 = box
    lines, start = [], None
    for y in range(y0, min(y1, height)):
        row = rows[y]
        dark = sum(1 for x in range(x0, min(x1, width)) if sum(row[3 * x:3 * x + 3]) < 240)
        if dark >= 2 and start is None:
            start = y
        elif dark < 2 and start is not None:
            lines.append((start, y))
            start = None
    return lines


def accent(picture, colour, box):
    width, height, rows = picture
    x0, y0, x1, y1 = box
    n = 0
    for y in range(y0, y1):
        for x in range(x0, x1):
            px = rows[y][3 * x:3 * x + 3]
            n += all(abs(px[i] - colour[i]) <= 24 for i in range(3))
    return n


def region_changes(a, b, box):
    """Pixels of a box that differ between two pictures by more than a little."""
    x0, y0, x1, y1 = box
    n = 0
    for y in range(y0, min(y1, a[1], b[1])):
        ra, rb = a[2][y], b[2][y]
        for x in range(x0, min(x1, a[0], b[0])):
            n += any(abs(ra[3 * x + i] - rb[3 * x + i]) > 16 for i in range(3))
    return n


def set_registry(values):
    """(key, name, dword or string) values, written before a session starts."""
    lines = ["Windows Registry Editor Version 5.00", ""]
    for key, name, value in values:
        key = key.replace("HKCU", "HKEY_CURRENT_USER").replace("HKLM", "HKEY_LOCAL_MACHINE")
        lines += [f"[{key}]", f'"{name}"=' + (f"dword:{value:08x}" if isinstance(value, int) else
                                                  '"' + value.replace("\\", "\\\\") + '"'), ""]
    path = os.path.join(WORK, "settings.reg")
    with open(path, "w", encoding="utf-16") as f:
        f.write("\r\n".join(lines))
    sh(WINE, "regedit", "/S", win(path))


# --- the steps ------------------------------------------------------------------------

def check_agenda(ctx):
    text = ctx.agenda(TODAY)
    sections = text.split("== ")
    for title in ("Today", "Tomorrow"):
        section = next((s for s in sections if s.startswith(title)), "")
        if "appointment" not in section.split("\n", 1)[0]:
            return f"the Calendar's agenda has no appointments under {title}:\n" + text
    lines = ink_lines(ctx.picture("1-agenda"))
    if len(lines) < 4:
        return f"the Calendar shows {len(lines)} lines of text, not a day title and its appointments"
    return None


def first_appointment_row(ctx):
    """The middle of the first appointment's row: appointments have the busy
    status's coloured bar at the left of the list, tasks and titles do not."""
    width, height, rows = ctx.picture("1-agenda")
    x0, y0, x1, y1 = LIST
    band = []
    for y in range(y0, y1):
        hits = 0
        for x in range(x0, x0 + 12):
            r, g, b = rows[y][3 * x:3 * x + 3]
            hits += b > 150 and r < 90 and g < 120
        if hits:
            band.append(y)
        elif band:
            break
    if not band:
        return None
    return (x0 + x1) // 2, (band[0] + band[-1]) // 2


def bridge_request(data):
    """(verb, kind, item id, day) of a request to the PIM program: show (verb 0)
    names the item at 16 and the day at 24, edit (verb 1) at 552 and 560."""
    app, verb, kind = struct.unpack_from("<iii", data, 0)
    if app != 0 or verb not in (0, 1) or len(data) < 568:
        return None
    at = 16 if verb == 0 else 552
    item_id, = struct.unpack_from("<I", data, at)
    day, = struct.unpack_from("<d", data, at + 8)
    return verb, kind, item_id, int(day)


def check_open(ctx):
    ids = ctx.appointment_ids()
    day = (TODAY - OLE_EPOCH).days
    for e in ctx.log():
        if e.get("event") != "copydata" or not e.get("data"):
            continue
        req = bridge_request(bytes.fromhex(e["data"]))
        if not req or req[1] != 0:
            continue
        _, _, item_id, item_day = req
        if item_id not in ids:
            return f"the PIM program was asked for appointment {item_id:#x}, which the store does not hold"
        if item_day != day:
            return f"the PIM program was asked for the occurrence of day {item_day}, not today ({day})"
        return None
    return "no request to open an appointment reached the PIM program (device log)"


# The stand-up's notes hold a dial-in number; neither its subject nor its location
# holds one, so the number can only have come from the notes.
DIAL_IN = "+49 30 1234567"


def dialable(number):
    """The characters of a number that the phone dials."""
    return "".join(c for c in number if c.isdigit() or c in "p+#*,w")


def menu_answers(ctx, program):
    return [e for e in ctx.log() if e.get("source") == "menu" and e.get("event") == "answered"
            and e.get("program", "").lower() == program]


def calls(ctx):
    return [dialable(e.get("number", "")) for e in ctx.log() if e.get("source") == "phone" and e.get("event") == "call"]


def check_dial(ctx):
    menus = menu_answers(ctx, "todayhost.exe")
    entry = f"Tools/Dial Number/{DIAL_IN}"
    offered = [m for m in menus if entry in m.get("items", "").split("|")]
    if not offered:
        return (f"the appointment's menu offered no \"{entry}\": " +
                "; ".join(m.get("items", "") for m in menus))
    if not offered[-1].get("chosen"):
        return f"the \"Dial Number\" entry could not be chosen: {offered[-1]}"
    if dialable(DIAL_IN) not in calls(ctx):
        return f"the phone placed no call to {DIAL_IN} (device log: {calls(ctx)})"
    # The menu was the held row's: that row, and only it, is highlighted now.
    _, y = first_appointment_row(ctx)
    x0, y0, x1, y1 = LIST
    row = (x0 + 12, y - 5, x1, y + 6)
    before, after = ctx.picture("1-agenda"), ctx.picture("2-dialled")
    inside = region_changes(before, after, row)
    outside = region_changes(before, after, (x0, y0, x1, y - 8)) + region_changes(before, after, (x0, y + 9, x1, y1))
    if inside < 600 or outside > 200:
        return (f"the held appointment's row is not the one highlighted on the Calendar "
                f"({inside} pixels changed in it, {outside} elsewhere)")
    return None


def check_roll(ctx):
    before, after = ink_lines(ctx.picture("1-agenda")), ink_lines(ctx.picture("3-midnight"))
    if before == after and gallery.differing_pixels(ctx.picture("1-agenda"), ctx.picture("3-midnight")) == 0:
        return "the Calendar did not change when the clock passed midnight"
    text = ctx.agenda(TODAY + datetime.timedelta(days=1))
    if "== Today" not in text:
        return "the device's agenda for the new day has no Today section:\n" + text
    return None


def check_skin(ctx):
    dark = (0x2B, 0x2F, 0x36)
    box = (0, 26, 26, 49)  # the selected tab button
    before, after = accent(ctx.picture("3-midnight"), dark, box), accent(ctx.picture("4-dark"), dark, box)
    if after < 100 or after <= before:
        return f"the selected tab button is not in the dark skin's colour after the broadcast ({before} -> {after})"
    # The dark skin's white text stands on the dark Today theme switched with it.
    area = (60, 120, 200, 230)
    dark_before, dark_after = (darkness(ctx.picture(p), area) for p in ("3-midnight", "4-dark"))
    if dark_after < 0.5 or dark_after <= dark_before:
        return f"the list is not on the dark theme after the switch ({dark_before:.2f} -> {dark_after:.2f} dark)"
    return None


def darkness(picture, box):
    """The share of a box's pixels that are dark."""
    _, _, rows = picture
    x0, y0, x1, y1 = box
    dark = sum(max(rows[y][3 * x:3 * x + 3]) < 90 for y in range(y0, y1) for x in range(x0, x1))
    return dark / ((x1 - x0) * (y1 - y0))


STEPS = [
    ("the agenda shows today's and tomorrow's appointments",
     lambda ctx: [f"reg {KEY}\\ActiveTab dword 1", "broadcast OlvaneDaybrimSettingsChanged", "wait 800", "poll",
                  f"snap {win(snap_path('1-agenda'))}"], check_agenda),
    ("a double tap on an appointment opens it in the chosen PIM program",
     # A double tap opens it ("OnDoubleClick" chooses how: editing by default).
     lambda ctx: ["tap {} {}", "tap {} {}", "wait 1500", f"snap {win(snap_path('2-opened'))}"],
     check_open),
    ("tap-and-hold on an appointment offers to dial the number in its notes and tallyra dials it",
     # tallyext's popups stand in the menu's "Tools" sub-menu; tallyra dials unseen.
     lambda ctx: [f"menu Tools/Dial Number/{DIAL_IN}", "hold {} {}", "wait 400", "poll",
                  f"snap {win(snap_path('2-dialled'))}", "wait 2500"], check_dial),
    ("the clock past midnight rolls the agenda to the next day",
     lambda ctx: [r"reg HKLM\Software\CeSim\Clock sz 2026-12-08T00:00:30", "poll", "wait 1000", "poll", "wait 300",
                  f"snap {win(snap_path('3-midnight'))}"], check_roll),
    ("the settings broadcast switches the skin and the theme switches the background",
     lambda ctx: [*gallery.devtheme.script_steps("dark"),
                  f"reg {KEY}\\SkinPath sz {SKINS}\\dark\\", "broadcast OlvaneDaybrimSettingsChanged", "wait 800",
                  f"snap {win(snap_path('4-dark'))}"], check_skin),
]


# --- steps in sessions of their own: each sets the tab up before the Today screen starts

TASK_COMPLETE = 0x1065000B
MAIL = os.path.join(ROOT, "tools", "devctl", "demo", "mail")


def open_tasks(ctx):
    out = sh(DEVCTL, "--device", DEVICE, "list", "Tasks Database", text=True)
    open_ = set()
    for line in out.splitlines():
        r = json.loads(line)
        done = [p["value"] for p in r.get("props", []) if int(str(p["id"]), 0) == TASK_COMPLETE]
        if not (done and done[0] in (True, 1, "true")):
            open_.add(int(r["oid"]))
    return open_


def step_task(ctx):
    # Grouped by status with no question asked, the first task's check box is on the
    # row under the "Active" title, at the start of the row.
    set_registry([(KEY, "ActiveTab", 2), (KEY + r"\Tasks", "ConfirmTaskCompleteTsks", 0),
                  (KEY + r"\Tasks", "TsksGrouping", 14)])
    before = open_tasks(ctx)
    code, out = run_today(["wait 1500", "poll", f"snap {win(snap_path('5-tasks'))}", "tap 33 72", "wait 2500",
                           "poll", f"snap {win(snap_path('5-tasks-done'))}"])
    if code != 0:
        return f"the Today screen ended with {code}\n{out}"
    done = before - open_tasks(ctx)
    if len(done) != 1:
        return f"the tap on the check box completed {len(done)} tasks in the store, not one"
    n = region_changes(ctx.picture("5-tasks"), ctx.picture("5-tasks-done"), (0, 50, 226, 150))
    if n <= 150:
        return f"the Tasks tab did not follow the store ({n} pixels changed)"
    return None


def unread_mail():
    out = sh(DEVCTL, "--device", DEVICE, "mail", "list", text=True)
    return sum(1 for l in out.splitlines() if l.strip() and json.loads(l).get("unread"))


def step_mail(ctx):
    # Opens on the Calendar with mail on it, goes to the Mail tab (the fifth), and the
    # message is delivered once that tab is on the screen.
    sh(DEVCTL, "--device", DEVICE, "mail", "account", "Work")
    sh(DEVCTL, "--device", DEVICE, "mail", "add", "Work", os.path.join(MAIL, "Work", "01-quartal.eml"), "read")
    sh(DEVCTL, "--device", DEVICE, "mail", "add", "Work", os.path.join(MAIL, "Work", "02-vstrecha.eml"))
    set_registry([(KEY, "ActiveTab", 1), (KEY + r"\Calendar", "IncludeMainOnCal", 1)])
    before = unread_mail()
    snaps = {n: snap_path(n) for n in ("6-cal", "6-mail", "6-mail-new", "6-cal-new")}
    lines = ["wait 1500", "poll", f"snap {win(snaps['6-cal'])}",
             f"reg {KEY}\\ActiveTab dword 5", "broadcast OlvaneDaybrimSettingsChanged", "wait 800", "poll",
             f"snap {win(snaps['6-mail'])}", "wait 3000", "poll", f"snap {win(snaps['6-mail-new'])}",
             f"reg {KEY}\\ActiveTab dword 1", "broadcast OlvaneDaybrimSettingsChanged", "wait 2500", "poll",
             f"snap {win(snaps['6-cal-new'])}"]

    def deliver(alive):
        while not os.path.exists(snaps["6-mail"]) and alive():
            time.sleep(0.05)
        if os.path.exists(snaps["6-mail"]):
            sh(DEVCTL, "--device", DEVICE, "mail", "deliver", "Work", os.path.join(MAIL, "Work", "03-prosfora.eml"))
    code, out = run_today(lines, meanwhile=deliver)
    if code != 0:
        return f"the Today screen ended with {code}\n{out}"
    if unread_mail() != before + 1:
        return f"the store holds {unread_mail()} unread messages after the delivery, not {before + 1}"
    box = (30, 50, 230, 200)
    n = region_changes(ctx.picture("6-mail"), ctx.picture("6-mail-new"), box)
    if n <= 150:
        return f"the delivered message does not show in the Mail tab ({n} pixels changed)"
    m = region_changes(ctx.picture("6-cal"), ctx.picture("6-cal-new"), box)
    if m <= 10:
        return f"the calendar's mail line did not count the new message ({m} pixels changed)"
    return None


# The Contacts tab right of the vertical tab bar, its search bar on the bottom row.
TAB_LEFT, TAB_WIDTH, BAR_Y = 26, 214, 283
CYRILLIC = ("абвг", "дежз", "ийкл", "мноп", "рсту", "фхцч", "щшыь", "эюя")
PREFERRED = 0x00F80013
# The numbers the contact menu's "Call or mail" sub-menu calls, by their labels.
CALL_LABELS = {0x0097001F: "Work", 0x0098001F: "Work 2", 0x0099001F: "Home", 0x009A001F: "Home 2",
               0x0096001F: "Mobile"}


def bar_key_x(key, labels=CYRILLIC):
    """The middle of a letter key: each key is as many units wide as its label has
    letters, a unit being the bar's width over the letter count plus three."""
    unit = TAB_WIDTH // (sum(len(l) for l in labels) + 3)
    left = 0
    for i, label in enumerate(labels, 1):
        right = left + len(label) * unit - 1
        if i == key:
            return TAB_LEFT + (left + right) // 2
        left = right + 1
    raise ValueError(f"no key {key}")


def keys_for(text, labels=CYRILLIC):
    return [next(i for i, l in enumerate(labels, 1) if c in l) for c in text.lower()]


def contact(first_name):
    """The contact's properties (id: value) in the store."""
    out = sh(DEVCTL, "--device", DEVICE, "list", "Contacts Database", text=True)
    for line in out.splitlines():
        props = {int(str(p["id"]), 0): p.get("value") for p in json.loads(line).get("props", [])}
        if props.get(0x0082001F) == first_name:
            return props
    return None


def text_bands(picture, box):
    """(top, bottom) of each band of rows in a box that hold text: pixels unlike the
    row's most common colour, whatever the skin paints behind them. Bands too thin
    for a letter are rules under titles, not text."""
    width, height, rows = picture
    x0, y0, x1, y1 = box
    bands, start = [], None
    for y in range(y0, min(y1, height)):
        px = [tuple(rows[y][3 * x:3 * x + 3]) for x in range(x0, min(x1, width))]
        ground = max(set(px), key=px.count)
        odd = sum(1 for p in px if sum(abs(p[i] - ground[i]) for i in range(3)) > 60)
        if odd >= 2 and start is None:
            start = y
        elif odd < 2 and start is not None:
            if y - start >= 3:
                bands.append((start, y))
            start = None
    return bands


def step_contacts(ctx):
    # Светлана Морозова: her surname typed on the Cyrillic bar narrows the list to
    # her alone; her preferred number is one of several.
    set_registry([(KEY, "ActiveTab", 4), (KEY + r"\Contacts", "CntctsActiveLanguages", 3),
                  (KEY + r"\Contacts", "ContactsSearchBarAlphabet", 2)])
    props = contact("Светлана")
    if not props:
        return "the store holds no contact Светлана"
    number, label = props.get(props.get(PREFERRED)), CALL_LABELS.get(props.get(PREFERRED))
    if not number or not label:
        return f"Светлана's preferred number ({props.get(PREFERRED)}) is not one the contact menu calls"
    typing = []
    for k in keys_for("мороз"):
        typing += [f"tap {bar_key_x(k)} {BAR_Y}", "wait 300"]
    code, out = run_today(["wait 1500", "poll", f"snap {win(snap_path('7-contacts'))}"] + typing +
                          ["wait 500", "poll", f"snap {win(snap_path('7-narrowed'))}"])
    if code != 0:
        return f"the Today screen ended with {code}\n{out}"
    box = (TAB_LEFT + 4, 50, TAB_LEFT + TAB_WIDTH - 14, BAR_Y - 10)
    before, after = text_bands(ctx.picture("7-contacts"), box), text_bands(ctx.picture("7-narrowed"), box)
    if len(before) < 5 or len(after) != 2:
        return (f"the Cyrillic keys did not narrow the list to one contact under its title "
                f"({len(before)} text lines before, {len(after)} after)")
    top, bottom = after[1]
    y = (top + bottom) // 2

    seen = len(ctx.log())
    entry = f"Call or mail/{label}:  {number}"
    code, out = run_today(["wait 1500", "poll"] + typing +
                          ["wait 500", f"menu {entry}", f"hold {TAB_LEFT + 50} {y}", "wait 400", "poll",
                           f"snap {win(snap_path('7-called'))}", "wait 1500"])
    if code != 0:
        return f"the Today screen ended with {code}\n{out}"
    log = ctx.log()[seen:]
    menus = [e for e in log if e.get("source") == "menu" and e.get("event") == "answered"]
    if not any(entry in m.get("items", "").split("|") and m.get("chosen") for m in menus):
        return f"the narrowed row's menu did not offer \"{entry}\": " + "; ".join(m.get("items", "") for m in menus)
    called = [dialable(e.get("number", "")) for e in log if e.get("source") == "phone" and e.get("event") == "call"]
    if called != [dialable(number)]:
        return f"the phone was asked to call {called}, not the preferred number {number}"
    n = region_changes(ctx.picture("7-narrowed"), ctx.picture("7-called"), (box[0], top - 2, box[2], bottom + 2))
    if n < 300:
        return f"the called contact's row is not highlighted ({n} pixels changed)"
    return None


SESSIONS = [
    ("the Tasks tab completes a task and the store says so", step_task),
    ("a message delivered from outside shows in the Mail tab and the calendar's mail line", step_mail),
    ("the Contacts tab narrows to a Cyrillic name with the search bar and calls its preferred number",
     step_contacts),
]


def run_today(lines, meanwhile=None):
    path = os.path.join(WORK, "script.txt")
    with open(path, "w") as f:
        f.write("\n".join(lines + ["quit"]) + "\n")
    with tempfile.TemporaryFile("w+") as out:
        p = subprocess.Popen([os.path.join(ROOT, "tools", "wine-emu"), os.path.join(DEVICE, "Windows", "todayhost.exe"),
                              "--size", "240x320", "--settle", "2500", "--script", win(path)],
                             env=env(), stdout=out, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
        try:
            if meanwhile:
                meanwhile(lambda: p.poll() is None)
            code = p.wait(timeout=300)
        finally:
            if p.poll() is None:
                p.kill()
                p.wait()
        out.seek(0)
        return code, out.read()


def main():
    if os.path.isdir(WORK):
        shutil.rmtree(WORK)
    os.makedirs(WORK)
    try:
        make_device()
        subprocess.run([WINESERVER, "-p"], env=env())  # may be up already: then it stays
        ctx = Ctx()
        # The first step's picture shows where the rows are; the rest run in one
        # session on the screen it left, so that each step meets the state the
        # one before made.
        first_name, first_lines, first_check = STEPS[0]
        code, out = run_today(first_lines(ctx))
        if code != 0:
            print(f"FAIL: {first_name}: the Today screen ended with {code}\n{out}")
            return 1
        why = first_check(ctx)
        if why:
            print(f"FAIL: {first_name}: {why}")
            return 1
        print(f"ok: {first_name}")
        at = first_appointment_row(ctx)
        if not at:
            print(f"FAIL: {STEPS[1][0]}: no appointment row (busy bar) in the Calendar's picture")
            return 1
        x, y = at
        lines = []
        for name, script, _ in STEPS[1:]:
            lines += [l.format(x, y) if l.startswith(("tap {}", "hold {}")) else l for l in script(ctx)]
        code, out = run_today(first_lines(ctx)[:-1] + lines)
        if code != 0:
            print(f"FAIL: the Today screen ended with {code}\n{out}")
            return 1
        for name, _, check in STEPS[1:]:
            try:
                why = check(ctx)
            except (OSError, ValueError) as e:
                why = f"{type(e).__name__}: {e}"
            if why:
                print(f"FAIL: {name}: {why}")
                return 1
            print(f"ok: {name}")
        for name, step in SESSIONS:
            try:
                why = step(Ctx())
            except (OSError, ValueError, subprocess.CalledProcessError) as e:
                why = f"{type(e).__name__}: {e}"
            if why:
                print(f"FAIL: {name}: {why}")
                return 1
            print(f"ok: {name}")
        return 0
    finally:
        subprocess.run([WINESERVER, "-k"], env=env(), stderr=subprocess.DEVNULL)


if __name__ == "__main__":
    sys.exit(main())
