#!/usr/bin/python3
"""eml.py FILE.eml: reads one message with Python's email package and prints the
fields devctl stores, as one JSON object on stdout:
  subject, sender ('"Name" <address>' or the address), received (ISO UTC or null),
  size (bytes of the file), has_attachment, importance (0 low, 1 normal, 2 high),
  body (the first text/plain part, decoded; null when there is none),
  html (the first text/html part when there is no plain text, else null),
  mime_b64 (the whole file, base64).
Exit 1 with a message on stderr when the file cannot be read as a message."""
import base64
import datetime
import email
import email.policy
import email.utils
import json
import sys


def importance(msg):
    value = (msg.get("Importance") or "").strip().lower()
    if value in ("high", "low"):
        return 2 if value == "high" else 0
    prio = (msg.get("X-Priority") or "").strip()[:1]
    if prio in ("1", "2"):
        return 2
    if prio in ("4", "5"):
        return 0
    return 1


def first_text(msg, subtype):
    for part in msg.walk():
        if part.is_multipart() or part.get_content_disposition() == "attachment":
            continue
        if part.get_content_type() == "text/" + subtype:
            try:
                return part.get_content()
            except (LookupError, UnicodeError):
                payload = part.get_payload(decode=True) or b""
                return payload.decode("utf-8", "replace")
    return None


def main():
    if len(sys.argv) != 2:
        print("usage: eml.py FILE.eml", file=sys.stderr)
        return 2
    try:
        with open(sys.argv[1], "rb") as f:
            raw = f.read()
    except OSError as e:
        print(f"{sys.argv[1]}: {e.strerror}", file=sys.stderr)
        return 1
    msg = email.message_from_bytes(raw, policy=email.policy.default)
    if not msg.keys():
        print(f"{sys.argv[1]}: no message headers", file=sys.stderr)
        return 1
    header = msg.get("From")
    addresses = getattr(header, "addresses", ())
    if addresses:
        name, addr = addresses[0].display_name, addresses[0].addr_spec
    else:
        name, addr = email.utils.parseaddr(str(header or ""))
    sender = f'"{name}" <{addr}>' if name and addr else (addr or name)
    received = None
    if msg.get("Date"):
        try:
            when = email.utils.parsedate_to_datetime(str(msg["Date"]))
            if when.tzinfo is None:
                when = when.replace(tzinfo=datetime.timezone.utc)
            received = when.astimezone(datetime.timezone.utc).strftime("%Y-%m-%dT%H:%M:%SZ")
        except (TypeError, ValueError):
            received = None
    body = first_text(msg, "plain")
    out = {
        "subject": str(msg.get("Subject", "")),
        "sender": sender,
        "received": received,
        "size": len(raw),
        "has_attachment": any(p.get_content_disposition() == "attachment" for p in msg.walk()),
        "importance": importance(msg),
        "body": body,
        "html": None if body is not None else first_text(msg, "html"),
        "mime_b64": base64.b64encode(raw).decode("ascii"),
    }
    json.dump(out, sys.stdout, ensure_ascii=False)
    sys.stdout.write("\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
