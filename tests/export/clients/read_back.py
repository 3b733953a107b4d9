"""Reads a vCard or iCalendar file with python-vobject or python-icalendar and prints what they
took from it as JSON: one object per card or event. Exits with 3 when the reader is missing."""
import json
import sys

kind, path = sys.argv[1], sys.argv[2]
try:
    if kind == "vcard":
        import vobject
    else:
        import icalendar
except ImportError as missing:
    print(missing, file=sys.stderr)
    sys.exit(3)

with open(path, encoding="utf-8", newline="") as f:
    data = f.read()

items = []
if kind == "vcard":
    for card in vobject.readComponents(data):
        got = lambda name: [p.value for p in card.contents.get(name, [])]
        items.append({
            "fn": got("fn"),
            "n": [n.family for n in got("n")],
            "tel": got("tel"),
            "email": got("email"),
            "bday": got("bday"),
            "note": got("note"),
            "org": [";".join(o) for o in got("org")],
            "adr": [a.street for a in got("adr")],
            "url": got("url"),
            "uid": got("uid"),
        })
else:
    for event in icalendar.Calendar.from_ical(data).walk("VEVENT"):
        start = event.decoded("dtstart")
        items.append({
            "start": start.isoformat(),
            "summary": str(event.get("summary")),
            "description": str(event.get("description", "")),
            "rrule": event["rrule"].to_ical().decode() if "rrule" in event else "",
            "uid": str(event.get("uid")),
        })
json.dump(items, sys.stdout, ensure_ascii=False)
