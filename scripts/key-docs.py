#!/usr/bin/env python3
"""The key tables of README.md and data/chaosgame.1, between their marker
lines, are printed by the chaos_key_docs tool from the window's key table.
Fails, with a diff, where a committed copy differs; --write puts the tool's
tables in. Usage: key-docs.py TOOL [--write] [PROJECT_ROOT]"""
import difflib
import pathlib
import subprocess
import sys

args = [a for a in sys.argv[1:] if a != "--write"]
write = "--write" in sys.argv[1:]
if not args:
    sys.exit(__doc__)
tool = args[0]
root = pathlib.Path(args[1] if len(args) > 1 else pathlib.Path(__file__).parent.parent)
FILES = [  # (file, format, first marker, last marker)
    ("README.md", "markdown", "<!-- keys: made by chaos_key_docs from window/texts.h -->", "<!-- keys: end -->"),
    ("data/chaosgame.1", "roff", '.\\" keys: made by chaos_key_docs from window/texts.h', '.\\" keys: end'),
]

stale = False
for name, form, first, last in FILES:
    path = root / name
    text = path.read_text(encoding="utf-8")
    start, end = text.find(first + "\n"), text.find("\n" + last)
    if start < 0 or end < start:
        print(f"{name}: the lines {first!r} and {last!r} around the key table are missing")
        stale = True
        continue
    start += len(first) + 1
    tables = subprocess.run([tool, form], check=True, capture_output=True, text=True).stdout
    made = text[:start] + tables.rstrip("\n") + text[end:]
    if made == text:
        continue
    if write:
        path.write_text(made, encoding="utf-8")
        print(f"wrote {name}")
        continue
    stale = True
    sys.stdout.writelines(difflib.unified_diff(text.splitlines(True), made.splitlines(True),
                                               f"{name} (committed)", f"{name} (from the key table)"))
if stale:
    print(f"\nThe key tables differ from the key table in window/texts.h. To write them anew:\n"
          f"  {sys.argv[0]} {tool} --write")
    sys.exit(1)
