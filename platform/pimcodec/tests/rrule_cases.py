#!/usr/bin/env python3
"""Writes recurrence patterns with the occurrences an iCalendar RRULE engine
(python-dateutil) gives for them, for the expansion test to compare against.

  rrule_cases.py OUT [COUNT]

Deterministic: a fixed seed, dates only (no host zone). One line per pattern:
  type interval weekdays dayOfMonth week end count start endDate first last : days...
type: 0 daily, 1 weekly, 2 monthly, 3 month-nth, 5 yearly, 6 year-nth; end: 0 by
date, 1 after count, 2 never; dates as YYYYMMDD; days are the occurrence dates
within [first, last].
"""
import datetime
import random
import sys

from dateutil import rrule

SEED = 20261207
WEEKDAYS = [rrule.SU, rrule.MO, rrule.TU, rrule.WE, rrule.TH, rrule.FR, rrule.SA]


def ymd(d):
    return d.year * 10000 + d.month * 100 + d.day


def day_of_month(d):
    # The d-th day, or the month's last when it is shorter.
    if d <= 28:
        return {"bymonthday": d}
    return {"bymonthday": list(range(28, d + 1)), "bysetpos": -1}


def rule_for(kind, interval, mask, dom, week, start, **end):
    days = [WEEKDAYS[i] for i in range(7) if mask & (1 << i)]
    if kind == 0:
        return rrule.rrule(rrule.DAILY, interval=interval, dtstart=start, **end)
    if kind == 1:
        return rrule.rrule(rrule.WEEKLY, interval=interval, byweekday=days, wkst=rrule.SU, dtstart=start, **end)
    if kind == 2:
        return rrule.rrule(rrule.MONTHLY, interval=interval, dtstart=start, **day_of_month(dom), **end)
    if kind == 3:
        return rrule.rrule(rrule.MONTHLY, interval=interval, byweekday=days,
                           bysetpos=-1 if week == 5 else week, dtstart=start, **end)
    if kind == 5:
        return rrule.rrule(rrule.YEARLY, bymonth=start.month, dtstart=start, **day_of_month(dom), **end)
    return rrule.rrule(rrule.YEARLY, bymonth=start.month, byweekday=days,
                       bysetpos=-1 if week == 5 else week, dtstart=start, **end)


def main():
    out = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 400
    rnd = random.Random(SEED)
    lines = []
    while len(lines) < count:
        kind = rnd.choice([0, 1, 2, 3, 5, 6])
        interval = {0: rnd.randint(1, 10), 1: rnd.randint(1, 4), 2: rnd.randint(1, 6),
                    3: rnd.randint(1, 6), 5: 1, 6: 1}[kind]
        mask = rnd.randint(1, 127) if kind in (1, 3, 6) else 0
        dom = rnd.choice([1, 5, 15, 28, 29, 30, 31]) if kind in (2, 5) else 0
        week = rnd.randint(1, 5) if kind in (3, 6) else 0
        # Occurrences start at 09:00: an end date compares by its day.
        start = datetime.datetime(2000, 1, 1, 9) + datetime.timedelta(days=rnd.randint(0, 12000))
        end_kind = rnd.choice([0, 1, 2])
        until = start
        occurrences = 0
        if end_kind == 0:
            until = start + datetime.timedelta(days=rnd.randint(0, 2500))
            rule = rule_for(kind, interval, mask, dom, week, start,
                            until=until.replace(hour=23, minute=59, second=59))
            if rule.before(datetime.datetime(9999, 1, 1)) is None:
                continue  # no occurrence at all: not a pattern a writer produces
        elif end_kind == 1:
            occurrences = rnd.randint(1, 60)
            rule = rule_for(kind, interval, mask, dom, week, start, count=occurrences)
        else:
            rule = rule_for(kind, interval, mask, dom, week, start)
        first = (start + datetime.timedelta(days=rnd.randint(-40, 1200))).replace(hour=0)
        last = first + datetime.timedelta(days=rnd.randint(0, 400))
        got = rule.between(first, last.replace(hour=23, minute=59), inc=True)
        lines.append("%d %d %d %d %d %d %d %d %d %d %d : %s" % (
            kind, interval * (12 if kind in (5, 6) else 1), mask, dom, week, end_kind, occurrences,
            ymd(start), ymd(until), ymd(first), ymd(last), " ".join(str(ymd(d)) for d in got)))
    with open(out, "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
