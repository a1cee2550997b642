#!/usr/bin/python3
"""Writes demo.json, the demo handheld's PIM data around Monday 2026-12-07.

Deterministic: the same script always gives the same file, so the demo device and
the screenshots taken of it do not drift. Run it again after changing the lists.
"""
import json
import os
import random

rng = random.Random(20261207)

CATEGORIES = ["Business", "Personal", "Family", "Holiday", "Projects", "Travel", "Health", "Clients"]

# (first, last, company) in Latin, Cyrillic, Greek and Hebrew scripts.
PEOPLE = [
    ("Anna", "Lindqvist", "Nordlicht Design"), ("Bastian", "Krüger", "Krüger & Söhne"),
    ("Chloé", "Marchand", ""), ("Dario", "Ferretti", "Ferretti Logistica"),
    ("Eleanor", "Whitcombe", "Harbourline Insurance"), ("Fynn", "Albrecht", ""),
    ("Greta", "Vogelsang", "Stadtwerke Mittelfeld"), ("Henrik", "Dahl", "Dahl Marine"),
    ("Inès", "Roussel", "Atelier Roussel"), ("Jakub", "Nowicki", "Wisła Software"),
    ("Katharina", "Brenner", ""), ("Lorenzo", "Bianchi", "Osteria del Ponte"),
    ("Maja", "Kowalczyk", ""), ("Niels", "Vermeulen", "Polder Data BV"),
    ("Olivia", "Hartley", "Hartley Architects"), ("Pieter", "de Graaf", ""),
    ("Quentin", "Lefèvre", "Lefèvre Conseil"), ("Rosa", "Almeida", "Casa Almeida"),
    ("Sebastian", "Hofmann", "Hofmann Elektro"), ("Tilda", "Engström", ""),
    ("Ulrich", "Baumgartner", "Alpenblick Hotel"), ("Valentina", "Rossi", ""),
    ("Wiebke", "Janssen", "Küstenklinik Nord"), ("Xavier", "Dupont", "Dupont Frères"),
    ("Yasmin", "Okafor", "Brightfield Labs"), ("Zofia", "Mazur", ""),
    ("Moritz", "Keller", "Keller Bau"), ("Sophie", "Lambert", ""),
    ("Tobias", "Wendt", "Wendt Verlag"), ("Clara", "Neumann", ""),
    ("Felix", "Schuster", "Schuster Reisen"), ("Lea", "Zimmermann", ""),
    ("Dmitri", "Sokolov", ""),
    ("Алексей", "Смирнов", "Северный ветер"), ("Наталья", "Иванова", ""),
    ("Ольга", "Кузнецова", "Балтика Трейд"), ("Игорь", "Волков", ""),
    ("Светлана", "Морозова", "Уральские Самоцветы"), ("Богдан", "Шевченко", ""),
    ("Ірина", "Коваленко", "Дніпро Агро"), ("Георги", "Петров", ""),
    ("Νίκος", "Παπαδόπουλος", "Αιγαίο Ναυτιλιακή"), ("Ελένη", "Γεωργίου", ""),
    ("Δημήτρης", "Οικονόμου", "Ολυμπία Τεχνική"), ("Μαρία", "Κωνσταντίνου", ""),
    ("Γιώργος", "Αντωνίου", ""), ("Σοφία", "Νικολάου", "Κρήτη Γεύσεις"),
    ("נועה", "כהן", "גליל תוכנה"), ("איתי", "לוי", ""), ("מיכל", "מזרחי", "ים המלח ספא"),
    ("יונתן", "פרץ", ""), ("שירה", "ביטון", ""), ("דניאל", "אברהם", "כרמל מערכות"),
    ("", "", "Stadtbibliothek Mittelfeld"), ("", "", "Taxi Zentrale 24"),
    ("Hanna", "Becker", "Praxis Dr. Becker"), ("Jonas", "Richter", ""),
    ("Emma", "Fischer", ""), ("Lukas", "Wagner", "Wagner Autohaus"),
    ("Mia", "Schulz", ""),
]

NUMBER_KINDS = ["mobile", "work", "work2", "home", "home2", "mobile2", "car", "mobile3", "fax"]


def phone(prefix):
    return "%s %d %07d" % (prefix, rng.randint(30, 899), rng.randint(0, 9999999))


def email(first, last, company, n):
    import unicodedata
    def ascii_part(s):
        s = unicodedata.normalize("NFKD", s).encode("ascii", "ignore").decode().lower()
        return "".join(c for c in s if c.isalnum()) or "contact%d" % n
    dom = ascii_part(company)[:14] or rng.choice(["mailbox", "postfach", "webpost", "netmail"])
    return "%s.%s@%s.example" % (ascii_part(first), ascii_part(last), dom)


def contacts():
    out = []
    for i, (first, last, company) in enumerate(PEOPLE):
        c = {"id": i + 1}
        if first: c["first_name"] = first
        if last: c["last_name"] = last
        if company: c["company"] = company
        # Every number kind appears; busy people have many.
        count = 1 + (i * 7) % 5
        kinds = [NUMBER_KINDS[(i + k * 2) % len(NUMBER_KINDS)] for k in range(count)]
        for k in dict.fromkeys(kinds):
            c[k] = phone("+49" if i % 3 else "+44")
        if i % 2 == 0 or not (first or last):
            c["email1"] = email(first or "info", last or "desk", company, i)
        if i % 5 == 0:
            c["email2"] = email(first or "info", (last or "desk") + "2", "", i)
        if i % 11 == 0:
            c["email3"] = email(first or "info", "private", "", i)
        if i % 4 == 1:
            c["preferred"] = kinds[-1]
        if first or last:
            if i % 3 == 0:
                # Some birthdays fall in the two weeks after the demo date.
                if i % 9 == 0:
                    c["birthday"] = "%04d-12-%02d" % (1960 + i % 40, 7 + (i // 9) % 14)
                else:
                    c["birthday"] = "%04d-%02d-%02d" % (1955 + i % 45, 1 + i % 12, 1 + (i * 5) % 28)
            if i % 8 == 2:
                c["anniversary"] = "%04d-12-%02d" % (1990 + i % 30, 9 + (i // 8) % 10)
            elif i % 10 == 5:
                c["anniversary"] = "%04d-%02d-%02d" % (1985 + i % 30, 1 + (i * 3) % 12, 1 + i % 27)
        if i % 6 == 4:
            c["notes"] = rng.choice([
                "Prefers calls in the morning.", "Met at the trade fair in Hannover.",
                "Spare key holder.", "Ask about the new warehouse project.",
                "Vegetarian - remember for dinners."])
        if i % 7 == 0:
            c["categories"] = [rng.choice(["Business", "Clients"])]
        elif i % 7 == 3:
            c["categories"] = ["Family"] if i % 2 else ["Personal"]
        out.append(c)
    return out


def appointments():
    a = []
    def add(**kw):
        kw["id"] = len(a) + 1
        a.append(kw)
    # Recurring series, each of a different kind.
    add(subject="Team meeting", location="Room Elbe", start="2026-11-02T09:30", duration=60,
        categories=["Business"], reminder=True,
        recurrence={"type": "weekly", "days": ["mo"], "until": "2027-03-29",
                    "deleted": ["2026-12-28"],
                    "modified": [{"date": "2026-12-07", "start": "2026-12-08T11:00", "duration": 60,
                                  "location": "Room Spree", "subject": "Team meeting (moved)"}]})
    # The only demo appointment whose number stands in its notes alone.
    add(subject="Morning stand-up", location="Project room", start="2026-11-30T08:45", duration=15,
        categories=["Projects"], notes="Dial-in on home office days: +49 30 1234567",
        recurrence={"type": "daily", "count": 15, "deleted": ["2026-12-05", "2026-12-06"]})
    add(subject="Monthly report due", start="2026-01-15T16:00", duration=30, categories=["Business"],
        recurrence={"type": "monthly", "day": 15})
    add(subject="Board review", location="HQ, 5th floor", start="2026-01-01T14:00", duration=120,
        busy="oof", recurrence={"type": "month_nth", "days": ["th"], "week": 1, "count": 24})
    add(subject="Wedding anniversary", start="2011-12-17", all_day=True, categories=["Family"],
        busy="free", recurrence={"type": "yearly"})
    add(subject="Thanksgiving call with Boston", start="2025-11-27T18:00", duration=45,
        recurrence={"type": "year_nth", "days": ["th"], "week": 4})
    add(subject="Yoga", location="Studio Lindenhof", start="2026-09-01T19:00", duration=75,
        categories=["Health"], sensitivity="private",
        recurrence={"type": "weekly", "days": ["tu", "th"], "interval": 1}, busy="tentative")
    # Single appointments over the fortnight, with overlaps and all-day ones.
    singles = [
        ("2026-11-30T10:00", 90, "Kick-off: warehouse app", "Keller Bau", "Projects"),
        ("2026-12-01T12:30", 60, "Lunch with Lorenzo", "Osteria del Ponte", "Personal"),
        ("2026-12-02T15:00", 60, "Dentist", "Praxis Dr. Becker", "Health"),
        ("2026-12-03T09:00", 240, "Workshop: offline sync", "Lab 2", "Projects"),
        ("2026-12-03T11:00", 30, "Call Polder Data", "", "Clients"),
        ("2026-12-04T17:30", 90, "Christmas market with the kids", "Marktplatz", "Family"),
        ("2026-12-07T10:00", 60, "Budget 2027 draft", "Room Spree", "Business"),
        ("2026-12-07T10:30", 45, "Interview: junior developer", "Room Isar", "Business"),
        ("2026-12-07T13:00", 60, "Lunch with Anna Lindqvist", "Café Nord", "Clients"),
        ("2026-12-07T16:00", 30, "Call Dario re delivery dates", "", "Clients"),
        ("2026-12-07T20:00", 150, "Choir rehearsal", "St. Petri", "Personal"),
        ("2026-12-08T09:00", 30, "Pick up winter tyres", "Wagner Autohaus", "Personal"),
        ("2026-12-08T14:00", 120, "Design review", "Nordlicht Design", "Projects"),
        ("2026-12-09T08:00", 60, "Flight HAM - ATH", "Hamburg Airport", "Travel"),
        ("2026-12-10T19:30", 120, "Dinner with Νίκος", "Plaka", "Travel"),
        ("2026-12-11T15:00", 60, "Flight ATH - HAM", "Athens Airport", "Travel"),
        ("2026-12-12T11:00", 120, "Birthday brunch", "At home", "Family"),
        ("2026-12-14T09:00", 480, "Release freeze", "", "Projects"),
        ("2026-12-14T13:00", 60, "Overlapping: vendor demo", "Room Elbe", "Clients"),
        ("2026-12-15T18:00", 240, "Office Christmas party", "Alpenblick Hotel", "Business"),
        ("2026-12-16T07:30", 30, "Blood test", "Praxis Dr. Becker", "Health"),
        ("2026-12-17T23:00", 120, "Late deploy window", "Remote", "Projects"),
        ("2026-12-18T16:00", 60, "Parent-teacher meeting", "Grundschule Am Park", "Family"),
        ("2026-12-19T10:00", 90, "Ремонт: встреча с мастером", "", "Personal"),
        ("2026-12-20T15:00", 120, "פגישה עם נועה", "Tel Aviv office", "Clients"),
        ("2026-12-07T11:30", 15, "Call 555-0123 or (212) 555 7788 ext 12", "", "Clients"),
    ]
    for start, dur, subject, location, cat in singles:
        kw = dict(subject=subject, start=start, duration=dur, categories=[cat])
        if location:
            kw["location"] = location
        if "Dentist" in subject or "Blood" in subject:
            kw["sensitivity"] = "private"
            kw["reminder"] = True
        if "Flight" in subject:
            kw["busy"] = "oof"
        if "Lunch" in subject:
            kw["notes"] = "Table booked under my name."
        if "Interview" in subject:
            kw["attendees"] = ["hr@firma.example", "lead@firma.example"]
        add(**kw)
    # All-day and multi-day events.
    add(subject="Conference: Mobile Data Days", location="Berlin", start="2026-12-02", all_day=True,
        days=2, categories=["Business", "Travel"], busy="oof")
    add(subject="Athens trip", start="2026-12-09", all_day=True, days=3, categories=["Travel"], busy="oof")
    add(subject="Saint Nicholas", start="2026-12-06", all_day=True, busy="free", categories=["Holiday"])
    add(subject="Home office", start="2026-12-07", all_day=True, busy="free")
    add(subject="Winter holidays", start="2026-12-21", all_day=True, days=12, busy="oof",
        categories=["Holiday", "Family"])
    return a


def tasks():
    t = []
    def add(subject, **kw):
        kw["id"] = len(t) + 1
        kw["subject"] = subject
        t.append(kw)
    add("Submit travel expenses (November)", due="2026-12-01", importance="high", categories=["Business"])
    add("Renew passport", due="2026-11-20", importance="high", categories=["Personal"],
        notes="Photos are in the top drawer.")
    add("Order Christmas cards", start="2026-11-25", due="2026-12-05", categories=["Family"])
    add("Review pull requests", due="2026-12-07", categories=["Projects"], reminder="2026-12-07T09:00")
    add("Prepare budget slides", start="2026-12-03", due="2026-12-09", importance="high",
        categories=["Business"])
    add("Book table for the party", due="2026-12-08", categories=["Business"])
    add("Call insurance about the car", due="2026-12-10", importance="low", categories=["Personal"])
    add("Buy presents for Emma and Jonas", start="2026-12-01", due="2026-12-19", categories=["Family"])
    add("Write release notes 4.2", start="2026-12-10", due="2026-12-14", categories=["Projects"])
    add("Send offer to Hartley Architects", due="2026-12-11", importance="high", categories=["Clients"])
    add("Translate manual into Greek", due="2026-12-18", categories=["Projects"],
        notes="Ask Ελένη to proofread.")
    add("Plan team offsite 2027", importance="low", categories=["Business"])
    add("Read 'Designing Data Apps'", importance="low", categories=["Personal"])
    add("Clean up photo library", categories=["Personal"])
    add("Tax documents for 2026", due="2027-01-31", categories=["Personal"])
    add("Flu shot", due="2026-11-28", completed="2026-11-26", categories=["Health"])
    add("Pay kindergarten fee", due="2026-12-01", completed="2026-12-01", recurring=True,
        categories=["Family"])
    add("Book flights to Athens", due="2026-11-15", completed="2026-11-10", categories=["Travel"])
    add("Update Wi-Fi firmware", due="2026-12-04", complete=True, importance="low")
    add("Confidential: salary review notes", due="2026-12-16", sensitivity="private",
        categories=["Business"])
    add("Water the plants (weekly)", due="2026-12-07", recurring=True, categories=["Personal"])
    add("Заказать билеты в театр", due="2026-12-12", categories=["Personal"])
    add("לאשר את ההצעה", due="2026-12-09", importance="high", categories=["Clients"])
    return t


def main():
    doc = {
        "timezone": "W. Europe",
        "categories": [{"id": i + 1, "name": n} for i, n in enumerate(CATEGORIES)],
        "contacts": contacts(),
        "appointments": appointments(),
        "tasks": tasks(),
        "links": [
            {"store": "named_prop", "item": "appointment:1", "named_prop": "0x80010041", "icon": "Icons-meeting"},
            {"store": "named_prop", "item": "task:1", "named_prop": "0x80010041", "icon": "Icons-money"},
            {"store": "fusion", "item": "appointment:14", "path": "\\Program Files\\Agenda Fusion\\Icons\\plane.bmp"},
        ],
    }
    here = os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(here, "demo.json"), "w", encoding="utf-8") as f:
        json.dump(doc, f, ensure_ascii=False, indent=1)
        f.write("\n")


if __name__ == "__main__":
    main()
