#!/usr/bin/python3
"""Converts an iCalendar (.ics) or vCard (.vcf) file into devctl's fixture JSON. A
file of bare VEVENT or VTODO components, as some programs export them, is read as
the calendar that would hold them.

Prints the fixture on stdout. Whatever the device cannot hold is listed on stderr
as "warning: <item>: <what>", one line each; nothing is dropped without a word.
Exit status 1 when the file cannot be read or parsed at all.
"""
import base64
import datetime as dt
import json
import sys

import dateutil.rrule
import dateutil.tz
import icalendar
import vobject

# The device's zone; wall-clock times in the fixture are in it.
DEVICE_ZONE_NAME = "W. Europe"
DEVICE_TZ = dateutil.tz.tzstr("CET-1CEST,M3.5.0/2,M10.5.0/3")

MAX_EXCEPTION_TEXT = 255
MAX_COUNT = 999
WEEKDAYS = ["mo", "tu", "we", "th", "fr", "sa", "su"]   # dateutil / RFC 5545 order

warnings = []


def warn(item, what):
    warnings.append("warning: %s: %s" % (item, what))


# ---------------------------------------------------------------- iCalendar

EVENT_KEPT = {"UID", "DTSTAMP", "CREATED", "LAST-MODIFIED", "SEQUENCE", "DTSTART", "DTEND",
              "DURATION", "SUMMARY", "LOCATION", "DESCRIPTION", "CLASS", "TRANSP", "STATUS",
              "CATEGORIES", "RRULE", "EXDATE", "RECURRENCE-ID", "ATTENDEE", "PRIORITY"}
TODO_KEPT = {"UID", "DTSTAMP", "CREATED", "LAST-MODIFIED", "SEQUENCE", "DTSTART", "DUE",
             "SUMMARY", "DESCRIPTION", "CLASS", "STATUS", "COMPLETED", "PRIORITY", "CATEGORIES",
             "PERCENT-COMPLETE"}
CALENDAR_KEPT = {"VERSION", "PRODID", "CALSCALE", "METHOD"}


def local(value):
    """A date stays a date; a datetime becomes naive device wall-clock time."""
    if isinstance(value, dt.datetime):
        if value.tzinfo is None:
            return value   # floating time: the device's own clock
        return value.astimezone(DEVICE_TZ).replace(tzinfo=None)
    return value


def iso_dt(value):
    return value.strftime("%Y-%m-%dT%H:%M")


def iso_date(value):
    return value.strftime("%Y-%m-%d")


def text(component, name):
    v = component.get(name)
    return None if v is None else str(v)


def categories_of(component):
    cats = component.get("CATEGORIES")
    if cats is None:
        return []
    out = []
    for c in cats if isinstance(cats, list) else [cats]:
        for name in (c.cats if hasattr(c, "cats") else str(c).split(",")):
            name = str(name).strip()
            if name and name not in out:
                out.append(name)
    return out


def report_extras(component, kept, item):
    extra = sorted({k for k in component.keys() if k not in kept})
    if extra:
        warn(item, "not kept: " + ", ".join(extra))
    for sub in component.subcomponents:
        if sub.name != "VALARM":
            warn(item, "not kept: %s component" % sub.name)


def event_item(ev):
    return 'event "%s"' % (text(ev, "SUMMARY") or text(ev, "UID") or "?")


def times(ev, item):
    """(start, all_day, minutes or days) of an event in device time."""
    start = ev.decoded("DTSTART")
    all_day = not isinstance(start, dt.datetime)
    if "DTEND" in ev:
        end = ev.decoded("DTEND")
    elif "DURATION" in ev:
        end = start + ev.decoded("DURATION")
    else:
        end = start + (dt.timedelta(days=1) if all_day else dt.timedelta(0))
    if all_day:
        if isinstance(end, dt.datetime):
            end = end.date()
        days = max(1, (end - start).days)
        return start, True, days
    start_l, end_l = local(start), local(end if isinstance(end, dt.datetime) else
                                         dt.datetime.combine(end, dt.time(), start.tzinfo))
    minutes = int((end_l - start_l).total_seconds() // 60)
    if minutes < 0:
        warn(item, "ends before it starts; duration set to 0")
        minutes = 0
    return start_l, False, minutes


def convert_rrule(rule, start, item):
    """The fixture recurrence for an RRULE, or None (with a warning) when the
    device has no such pattern."""
    def one(name):
        v = rule.get(name)
        return None if v is None else (v[0] if isinstance(v, list) and len(v) == 1 else v)

    supported = {"FREQ", "INTERVAL", "COUNT", "UNTIL", "BYDAY", "BYMONTHDAY", "BYMONTH", "BYSETPOS", "WKST"}
    unsupported = sorted(set(rule.keys()) - supported)
    if unsupported:
        warn(item, "recurrence rule parts the device cannot hold: %s; imported as a single event"
             % ", ".join(unsupported))
        return None
    freq = one("FREQ")
    interval = int(one("INTERVAL") or 1)
    byday = rule.get("BYDAY") or []
    bymonthday = rule.get("BYMONTHDAY") or []
    bysetpos = rule.get("BYSETPOS") or []
    bymonth = rule.get("BYMONTH") or []
    rec = {}

    def parse_day(d):
        d = str(d).upper()
        num, wd = d[:-2], d[-2:].lower()
        if wd not in WEEKDAYS:
            return None, None
        return (int(num) if num not in ("", "+") else None), wd

    def nth_from(days):
        parsed = [parse_day(d) for d in days]
        if any(wd is None for _, wd in parsed):
            return None
        ords = {n for n, _ in parsed}
        if len(ords) == 1 and None not in ords:
            n = ords.pop()
        elif ords == {None} and len(bysetpos) == 1:
            n = int(bysetpos[0])
        else:
            return None
        if n == -1:
            week = "last"
        elif 1 <= n <= 4:
            week = n
        else:
            return None
        return {"days": [wd for _, wd in parsed], "week": week}

    if freq == "DAILY":
        if byday:
            parsed = [parse_day(d) for d in byday]
            if interval != 1 or any(n is not None or wd is None for n, wd in parsed):
                warn(item, "daily rule with weekdays the device cannot hold; imported as a single event")
                return None
            rec = {"type": "weekly", "days": [wd for _, wd in parsed]}
        else:
            rec = {"type": "daily", "interval": interval}
    elif freq == "WEEKLY":
        rec = {"type": "weekly", "interval": interval}
        if byday:
            parsed = [parse_day(d) for d in byday]
            if any(n is not None or wd is None for n, wd in parsed):
                warn(item, "weekly rule with numbered weekdays; imported as a single event")
                return None
            rec["days"] = [wd for _, wd in parsed]
        if interval > 1 and one("WKST") not in (None, "SU"):
            warn(item, "week start %s is taken as Sunday" % one("WKST"))
    elif freq in ("MONTHLY", "YEARLY"):
        yearly = freq == "YEARLY"
        if yearly:
            if bymonth and (len(bymonth) != 1 or int(bymonth[0]) != start.month):
                warn(item, "yearly rule in other months than the start's; imported as a single event")
                return None
            if interval > 99:
                warn(item, "interval too long; imported as a single event")
                return None
        elif bymonth:
            warn(item, "monthly rule limited to some months; imported as a single event")
            return None
        if byday:
            nth = nth_from(byday)
            if nth is None or bymonthday:
                warn(item, "weekday rule the device cannot hold (%s); imported as a single event"
                     % ",".join(str(d) for d in byday))
                return None
            rec = dict({"type": "year_nth" if yearly else "month_nth", "interval": interval}, **nth)
        else:
            rec = {"type": "yearly" if yearly else "monthly", "interval": interval}
            if bymonthday:
                if len(bymonthday) != 1 or not 1 <= int(bymonthday[0]) <= 31:
                    warn(item, "several or negative month days; imported as a single event")
                    return None
                rec["day"] = int(bymonthday[0])
    else:
        warn(item, "%s recurrence cannot be held; imported as a single event" % freq)
        return None

    if "COUNT" in rule:
        count = int(one("COUNT"))
        if count > MAX_COUNT:
            warn(item, "count %d cut to %d" % (count, MAX_COUNT))
            count = MAX_COUNT
        rec["count"] = count
    elif "UNTIL" in rule:
        rec["until"] = iso_date(local(one("UNTIL")))
    return rec


def occurrence_dates(ev, limit_date):
    """Local dates of the original rule's occurrences up to limit_date."""
    start = ev.decoded("DTSTART")
    recur = icalendar.vRecur(ev["RRULE"])
    # Some writers give a floating UNTIL with a zoned start; read it in the start's zone.
    if isinstance(start, dt.datetime) and start.tzinfo is not None and "UNTIL" in recur:
        until = [u if not isinstance(u, dt.datetime) or u.tzinfo else u.replace(tzinfo=start.tzinfo)
                 for u in recur["UNTIL"]]
        until = [dt.datetime.combine(u, dt.time(23, 59), start.tzinfo) if not isinstance(u, dt.datetime) else u
                 for u in until]
        recur["UNTIL"] = [u.astimezone(dateutil.tz.UTC) for u in until]
    rule = dateutil.rrule.rrulestr(recur.to_ical().decode(), dtstart=start, forceset=True)
    out = set()
    for occ in rule:
        d = local(occ)
        d = d.date() if isinstance(d, dt.datetime) else d
        if d > limit_date:
            break
        out.add(d)
        if len(out) > 5000:
            break
    return out


def exdates(ev):
    out = []
    ex = ev.get("EXDATE")
    if ex is None:
        return out
    for group in ex if isinstance(ex, list) else [ex]:
        for d in group.dts:
            v = local(d.dt)
            out.append(v.date() if isinstance(v, dt.datetime) else v)
    return out


def convert_event(ev, overrides, categories):
    item = event_item(ev)
    report_extras(ev, EVENT_KEPT, item)
    start, all_day, length = times(ev, item)
    a = {"subject": text(ev, "SUMMARY") or ""}
    if all_day:
        a.update(start=iso_date(start), all_day=True, days=length)
    else:
        a.update(start=iso_dt(start), duration=length)
        tzinfo = ev.decoded("DTSTART").tzinfo
        if tzinfo is not None and "RRULE" in ev:
            probe = ev.decoded("DTSTART")
            if probe.utcoffset() != probe.astimezone(DEVICE_TZ).utcoffset():
                warn(item, "times converted to the device zone (%s) at the first occurrence"
                     % DEVICE_ZONE_NAME)
    for key, name in (("location", "LOCATION"), ("notes", "DESCRIPTION")):
        if text(ev, name):
            a[key] = text(ev, name)
    cls = (text(ev, "CLASS") or "").upper()
    if cls in ("PRIVATE", "CONFIDENTIAL"):
        a["sensitivity"] = "private" if cls == "PRIVATE" else "confidential"
    if (text(ev, "TRANSP") or "").upper() == "TRANSPARENT":
        a["busy"] = "free"
    elif (text(ev, "STATUS") or "").upper() == "TENTATIVE":
        a["busy"] = "tentative"
    if any(sub.name == "VALARM" for sub in ev.subcomponents):
        a["reminder"] = True
    attendees = ev.get("ATTENDEE")
    if attendees is not None:
        attendees = attendees if isinstance(attendees, list) else [attendees]
        a["attendees"] = [str(x).replace("mailto:", "").replace("MAILTO:", "") for x in attendees]
        warn(item, "%d attendee(s) kept as addresses only; roles and replies dropped" % len(attendees))
    cats = categories_of(ev)
    if cats:
        a["categories"] = cats
        categories.update(cats)

    if "RRULE" in ev:
        rrule = ev["RRULE"]
        if isinstance(rrule, list):
            warn(item, "several RRULEs; only the first is kept")
            ev["RRULE"] = rrule = rrule[0]
        rec = convert_rrule(rrule, start, item)
        if rec is not None:
            horizon = dt.date(2100, 1, 1)
            wanted = exdates(ev) + [local(o.decoded("RECURRENCE-ID")) for o in overrides]
            wanted = [w.date() if isinstance(w, dt.datetime) else w for w in wanted]
            days = occurrence_dates(ev, max(wanted)) if wanted else set()
            deleted, modified = [], []
            for d in exdates(ev):
                if d not in days:
                    warn(item, "excluded date %s is not an occurrence; ignored" % d)
                elif d.isoformat() not in deleted:
                    deleted.append(d.isoformat())
            for o in overrides:
                rid = local(o.decoded("RECURRENCE-ID"))
                rid = rid.date() if isinstance(rid, dt.datetime) else rid
                oitem = "%s, occurrence %s" % (item, rid)
                if rid not in days or rid.isoformat() in deleted or any(m["date"] == rid.isoformat() for m in modified):
                    warn(oitem, "changed occurrence does not match the pattern; ignored")
                    continue
                if (text(o, "STATUS") or "").upper() == "CANCELLED":
                    deleted.append(rid.isoformat())
                    continue
                report_extras(o, EVENT_KEPT, oitem)
                ostart, oall, olen = times(o, oitem)
                m = {"date": rid.isoformat()}
                if oall != all_day:
                    m["all_day"] = oall
                m["start"] = iso_date(ostart) if oall else iso_dt(ostart)
                m["duration"] = olen * 1440 if oall else olen
                for key, name in (("subject", "SUMMARY"), ("location", "LOCATION")):
                    v = text(o, name)
                    if v is not None and v != (text(ev, name) or ""):
                        if len(v) > MAX_EXCEPTION_TEXT:
                            warn(oitem, "%s cut to %d characters" % (key, MAX_EXCEPTION_TEXT))
                            v = v[:MAX_EXCEPTION_TEXT]
                        m[key] = v
                if text(o, "DESCRIPTION") and text(o, "DESCRIPTION") != text(ev, "DESCRIPTION"):
                    m["notes"] = text(o, "DESCRIPTION")
                modified.append(m)
            if deleted:
                rec["deleted"] = deleted
            if modified:
                rec["modified"] = modified
            a["recurrence"] = rec
        elif overrides:
            warn(item, "%d changed occurrence(s) dropped with the pattern" % len(overrides))
    elif overrides:
        warn(item, "changed occurrences without a pattern; ignored")
    return a


def convert_todo(td, categories):
    item = 'task "%s"' % (text(td, "SUMMARY") or text(td, "UID") or "?")
    report_extras(td, TODO_KEPT | {"RRULE"}, item)
    t = {"subject": text(td, "SUMMARY") or ""}
    for key, name in (("start", "DTSTART"), ("due", "DUE"), ("completed", "COMPLETED")):
        if name in td:
            v = local(td.decoded(name))
            t[key] = iso_date(v)
    if "start" in t and "due" in t and t["due"] < t["start"]:
        warn(item, "due before its start; start dropped")
        del t["start"]
    status = (text(td, "STATUS") or "").upper()
    if status == "COMPLETED" or "completed" in t:
        t["complete"] = True
    prio = td.get("PRIORITY")
    if prio is not None and int(prio) != 0:
        p = int(prio)
        t["importance"] = "high" if p <= 4 else ("normal" if p == 5 else "low")
    cls = (text(td, "CLASS") or "").upper()
    if cls in ("PRIVATE", "CONFIDENTIAL"):
        t["sensitivity"] = "private" if cls == "PRIVATE" else "confidential"
    if text(td, "DESCRIPTION"):
        t["notes"] = text(td, "DESCRIPTION")
    if "RRULE" in td:
        t["recurring"] = True
        warn(item, "task recurrence kept as a flag only; its pattern is dropped")
    if any(sub.name == "VALARM" for sub in td.subcomponents):
        warn(item, "task alarm dropped")
    cats = categories_of(td)
    if cats:
        t["categories"] = cats
        categories.update(cats)
    return t


def convert_ics(data):
    cal = icalendar.Calendar.from_ical(data)
    report_extras_cal = sorted(k for k in cal.keys() if k not in CALENDAR_KEPT)
    if report_extras_cal:
        warn("calendar", "not kept: " + ", ".join(report_extras_cal))
    categories = set()
    masters, overrides, todos = [], {}, []
    for comp in cal.walk():
        if comp.name == "VEVENT":
            if "DTSTART" not in comp:
                warn(event_item(comp), "no start; skipped")
            elif "RECURRENCE-ID" in comp:
                overrides.setdefault(str(comp.get("UID")), []).append(comp)
            else:
                masters.append(comp)
        elif comp.name == "VTODO":
            todos.append(comp)
        elif comp.name in ("VCALENDAR", "VTIMEZONE", "STANDARD", "DAYLIGHT", "VALARM"):
            pass
        else:
            warn("calendar", "%s entries cannot be held; skipped" % comp.name)
    appointments = []
    used = set()
    for ev in masters:
        uid = str(ev.get("UID"))
        ov = overrides.get(uid, []) if uid not in used else []
        used.add(uid)
        appointments.append(convert_event(ev, ov, categories))
    for uid, ov in overrides.items():
        if uid not in used:
            for o in ov:
                warn(event_item(o), "changed occurrence of a missing event; skipped")
    tasks = [convert_todo(td, categories) for td in todos]
    return {"timezone": DEVICE_ZONE_NAME, "categories": sorted(categories),
            "appointments": appointments, "tasks": tasks}


# ---------------------------------------------------------------- vCard

TEL_SLOTS = {
    "cell": ["mobile", "mobile2", "mobile3"],
    "work": ["work", "work2"],
    "home": ["home", "home2"],
    "fax": ["fax"],
    "car": ["car"],
}
CARD_KEPT = {"version", "n", "fn", "org", "tel", "email", "bday", "anniversary", "x-anniversary",
             "note", "categories", "photo", "uid", "rev", "prodid"}


def param_types(line):
    types = set()
    for v in line.params.get("TYPE", []):
        types.update(t.strip().lower() for t in str(v).split(","))
    types.update(str(p).lower() for p in getattr(line, "singletonparams", []))
    return types


def card_date(line, item, what):
    v = str(line.value).strip()
    for fmt in ("%Y-%m-%d", "%Y%m%d", "%Y-%m-%dT%H:%M:%SZ", "%Y-%m-%dT%H:%M:%S", "%Y%m%dT%H%M%SZ"):
        try:
            return dt.datetime.strptime(v, fmt).date().isoformat()
        except ValueError:
            pass
    warn(item, "%s \"%s\" has no full date; dropped" % (what, v))
    return None


def convert_vcf(data):
    contacts, categories = [], set()
    for card in vobject.readComponents(data.decode("utf-8", errors="replace")):
        if card.name != "VCARD":
            warn("address book", "%s entries cannot be held; skipped" % card.name)
            continue
        fn = str(card.fn.value) if hasattr(card, "fn") else ""
        item = 'contact "%s"' % (fn or "?")
        c = {}
        if hasattr(card, "n"):
            n = card.n.value
            if n.given:
                c["first_name"] = n.given if isinstance(n.given, str) else " ".join(n.given)
            if n.family:
                c["last_name"] = n.family if isinstance(n.family, str) else " ".join(n.family)
            if n.additional or n.prefix or n.suffix:
                warn(item, "middle names, prefixes and suffixes dropped")
        if hasattr(card, "org"):
            org = card.org.value
            org = org if isinstance(org, list) else [org]
            if org and org[0]:
                c["company"] = org[0]
            if len(org) > 1 and any(org[1:]):
                warn(item, "department dropped")
        if not c and fn:
            c["file_as"] = fn
        free = {k: list(v) for k, v in TEL_SLOTS.items()}
        for tel in card.contents.get("tel", []):
            types = param_types(tel)
            kind = ("fax" if "fax" in types else "car" if "car" in types else
                    "cell" if "cell" in types else "work" if "work" in types else
                    "home" if "home" in types else "cell" if not (types - {"voice", "pref"}) else None)
            if kind is None or not free[kind]:
                warn(item, "phone %s (%s) has no free place; dropped"
                     % (tel.value, ",".join(sorted(types)) or "untyped"))
                continue
            c[free[kind].pop(0)] = str(tel.value)
        emails = [str(e.value) for e in card.contents.get("email", [])]
        for i, e in enumerate(emails[:3]):
            c["email%d" % (i + 1)] = e
        for e in emails[3:]:
            warn(item, "e-mail %s dropped (the device keeps three)" % e)
        if hasattr(card, "bday"):
            d = card_date(card.bday, item, "birthday")
            if d:
                c["birthday"] = d
        for key in ("anniversary", "x-anniversary"):
            if key in card.contents:
                d = card_date(card.contents[key][0], item, "anniversary")
                if d:
                    c["anniversary"] = d
        if hasattr(card, "note") and str(card.note.value).strip():
            c["notes"] = str(card.note.value)
        if hasattr(card, "categories"):
            cats = card.categories.value
            cats = [str(x).strip() for x in (cats if isinstance(cats, list) else [cats]) if str(x).strip()]
            if cats:
                c["categories"] = list(dict.fromkeys(cats))
                categories.update(cats)
        if hasattr(card, "photo"):
            v = card.photo.value
            if isinstance(v, bytes) and v:
                c["picture_base64"] = base64.b64encode(v).decode()
            else:
                warn(item, "picture given as a link; dropped")
        extra = sorted({k for k in card.contents if k not in CARD_KEPT})
        if extra:
            warn(item, "not kept: " + ", ".join(x.upper() for x in extra))
        if not c:
            warn(item, "no name, company or number; skipped")
            continue
        contacts.append(c)
    return {"categories": sorted(categories), "contacts": contacts}


def wrap_in_calendar(body):
    """Bare events and tasks, as some programs export them: the calendar around them
    is implied."""
    eol = b"\r\n" if b"\r\n" in body else b"\n"
    return (b"BEGIN:VCALENDAR" + eol + b"VERSION:2.0" + eol + body.rstrip(b"\r\n") + eol +
            b"END:VCALENDAR" + eol)


def main(argv):
    if len(argv) != 2:
        print("usage: import.py FILE.ics|FILE.vcf", file=sys.stderr)
        return 2
    path = argv[1]
    try:
        with open(path, "rb") as f:
            data = f.read()
    except OSError as e:
        print("import.py: cannot read %s: %s" % (path, e.strerror), file=sys.stderr)
        return 1
    body = data.lstrip(b"\xef\xbb\xbf \r\n\t")
    head = body[:64].upper()
    try:
        if head.startswith(b"BEGIN:VCALENDAR"):
            doc = convert_ics(data)
        elif head.startswith((b"BEGIN:VEVENT", b"BEGIN:VTODO")):
            doc = convert_ics(wrap_in_calendar(body))
        elif head.startswith(b"BEGIN:VCARD"):
            doc = convert_vcf(data)
        else:
            print("import.py: %s is neither an iCalendar nor a vCard file" % path, file=sys.stderr)
            return 1
    except (ValueError, KeyError, IndexError, TypeError, vobject.base.ParseError) as e:
        print("import.py: cannot parse %s: %s" % (path, e), file=sys.stderr)
        return 1
    for w in warnings:
        print(w, file=sys.stderr)
    json.dump(doc, sys.stdout, ensure_ascii=False, indent=1)
    sys.stdout.write("\n")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
