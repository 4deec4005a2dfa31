#!/usr/bin/env python3
"""Makes the page one file: each line "<!-- inline: NAME -->" of the
template becomes NAME's text inside <style> (for .css) or <script>; NAME
"module" is the module's JavaScript, any other name a file beside the
template. Usage: assemble-page.py TEMPLATE MODULE_JS OUTPUT"""
import pathlib
import re
import sys

template, module, output = (pathlib.Path(a) for a in sys.argv[1:4])
marker = re.compile(r"^\s*<!--\s*inline:\s*(\S+)\s*-->\s*$")


def inlined(name):
    source = module if name == "module" else template.parent / name
    if not source.is_file():
        sys.exit(f"{template}: there is no {source} to put into the page")
    text = source.read_text(encoding="utf-8")
    tag = "style" if name.endswith(".css") else "script"
    if f"</{tag}" in text.lower():
        sys.exit(f"{source} holds '</{tag}', which would end its element early")
    # The module's script has an id: the page's workers are made from its text.
    opening = f'<{tag} id="module">' if name == "module" else f"<{tag}>"
    return f"{opening}\n{text.rstrip()}\n</{tag}>\n"


if not template.is_file():
    sys.exit(f"there is no page template {template}")
page, names = [], []
for line in template.read_text(encoding="utf-8").splitlines(keepends=True):
    found = marker.match(line)
    if found:
        names.append(found.group(1))
    page.append(inlined(found.group(1)) if found else line)
if "module" not in names:
    sys.exit(f"{template} has no line '<!-- inline: module -->'")
output.parent.mkdir(parents=True, exist_ok=True)
output.write_text("".join(page), encoding="utf-8")
