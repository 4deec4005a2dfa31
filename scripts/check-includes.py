#!/usr/bin/env python3
"""Fails on an include that runs the wrong way. The folders depend one way:
platform <- core <- window; platform/qt and platform/web (the runtimes) on
platform alone; main.cpp and main_web.cpp put a runtime and the window
together. Only the runtimes (and what tests or measures them) include a
toolkit. Usage: check-includes.py [PROJECT_ROOT]"""
import pathlib
import re
import sys

root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent.parent)
include = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)
TOOLKITS = {"qt": re.compile(r"^Q[A-Za-z]*$|^Qt"), "web": re.compile(r"^emscripten")}
FREE = {"platform"}  # the toolkit-free part of the boundary

# Where a file lives: the project folders it may include, and the toolkits.
RULES = [  # (path prefix, folders, toolkits); the first that fits decides
    ("platform/qt/", {"platform", "platform/qt"}, {"qt"}),
    ("platform/web/", {"platform", "platform/web"}, {"web"}),
    ("platform/", FREE, set()),
    ("core/", FREE | {"core"}, set()),
    ("window/", FREE | {"core", "window"}, set()),
    ("main.cpp", FREE | {"window", "platform/qt"}, {"qt"}),
    ("main_web.cpp", FREE | {"window", "platform/web"}, {"web"}),
    ("tests/platform/", FREE, set()),
    ("tests/core/", FREE | {"core"}, set()),
    ("tests/window/", FREE | {"core", "window"}, set()),
    ("tests/qt/", FREE | {"core", "window", "platform/qt"}, {"qt"}),
    ("fuzz/", FREE | {"core", "window"}, set()),
    ("bench/web_", FREE | {"core", "window"}, {"web"}),
    ("tools/", FREE | {"core", "window", "platform/qt"}, {"qt"}),
    ("bench/", FREE | {"core", "window", "platform/qt"}, {"qt"}),
]


def folder_of(name):
    """The project folder an include names: platform/qt, core, ...; None for others."""
    parts = name.split("/")
    if parts[0] not in ("platform", "core", "window") or len(parts) < 2:
        return None
    if parts[0] == "platform" and len(parts) > 2:
        return "platform/" + parts[1]
    return parts[0]


wrong = []
for path in sorted(root.rglob("*")):
    relative = path.relative_to(root).as_posix()
    if path.suffix not in (".h", ".cpp") or relative.startswith(("build/", ".git/")):
        continue
    rule = next((r for r in RULES if relative.startswith(r[0])), None)
    if rule is None:
        continue
    _, folders, toolkits = rule
    for bracket, name in include.findall(path.read_text(encoding="utf-8")):
        folder = folder_of(name)
        if bracket == '"' and folder is not None and folder not in folders:
            wrong.append(f"{relative}: includes {name} ({folder} is not below it)")
        for toolkit, pattern in TOOLKITS.items():
            if bracket == "<" and pattern.match(name) and toolkit not in toolkits:
                wrong.append(f"{relative}: includes <{name}>, a toolkit it must not know")
for line in wrong:
    print(line)
print(f"include directions: {len(wrong)} wrong" if wrong else "include directions: all one way")
sys.exit(1 if wrong else 0)
