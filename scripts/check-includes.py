#!/usr/bin/env python3
"""Fails on an include that runs the wrong way. The folders depend one way:
platform <- core <- window; platform/qt and platform/web (the runtimes) on
platform alone; main.cpp and main_web.cpp put a runtime and the window
together. Only the runtimes (and what tests or measures them) include a
toolkit, and no include climbs out of a folder with "..".

  check-includes.py [PROJECT_ROOT]
      reads the sources' text: every #include of every source, built here or not.
  check-includes.py --build BUILD_TREE [PROJECT_ROOT]
      reads what the compilers read: the dependency file of every object of
      every target of a built tree (listed by CMake in BUILD_TREE/objects.txt;
      Ninja's are read with `ninja -t deps`), each header by its real path. An
      object without its dependency file fails: build the tree first."""
import os
import pathlib
import re
import subprocess
import sys

FREE = {"platform"}  # the toolkit-free part of the boundary

# Where a source lives: the project folders it may include, and the toolkits.
RULES = [  # (path prefix, folders, toolkits); the first that fits decides
    ("platform/qt/", {"platform", "platform/qt"}, {"qt"}),
    ("platform/web/", {"platform", "platform/web"}, {"web"}),
    ("platform/", FREE, set()),
    ("core/", FREE | {"core"}, set()),
    ("window/", FREE | {"core", "window"}, set()),
    ("main.cpp", FREE | {"core", "window", "platform/qt"}, {"qt"}),
    ("main_web.cpp", FREE | {"core", "window", "platform/web"}, {"web"}),
    ("tests/platform/", FREE | {"tests"}, set()),
    ("tests/core/", FREE | {"core", "tests"}, set()),
    ("tests/window/", FREE | {"core", "window", "tests"}, set()),
    ("tests/qt/", FREE | {"core", "window", "platform/qt", "tests"}, {"qt"}),
    ("tests/e2e/", set(), {"qt"}),
    ("fuzz/", FREE | {"core", "window", "fuzz"}, set()),
    ("bench/web_", FREE | {"core", "window"}, {"web"}),
    ("tools/", FREE | {"core", "window", "platform/qt"}, {"qt"}),
    ("bench/", FREE | {"core", "window", "platform/qt"}, {"qt"}),
]
# The project's own files; anything else below the root (build trees, the
# toolchain's cache in build/) counts as a system header.
PROJECT = {"platform", "core", "window", "tests", "fuzz", "bench", "data", "web", "main.cpp", "main_web.cpp"}


def rule_of(relative):
    return next((r for r in RULES if relative.startswith(r[0])), None)


def folder_of(relative):
    """The project folder a file lies in: platform/qt, core, tests, ..."""
    parts = relative.split("/")
    if parts[0] == "platform" and len(parts) > 2:
        return "platform/" + parts[1]
    return parts[0]


def check_text(root):
    """The sources' #include lines, as written."""
    include = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)
    toolkits = {"qt": re.compile(r"^Q[A-Za-z]*$|^Qt"), "web": re.compile(r"^emscripten")}
    wrong = []
    for path in sorted(root.rglob("*")):
        relative = path.relative_to(root).as_posix()
        if path.suffix not in (".h", ".cpp") or relative.split("/")[0] not in PROJECT:
            continue
        rule = rule_of(relative)
        if rule is None:
            continue
        _, folders, allowed = rule
        for bracket, name in include.findall(path.read_text(encoding="utf-8")):
            if ".." in name.split("/"):
                wrong.append(f"{relative}: includes {name}, climbing out of a folder with '..'")
            parts = name.split("/")
            beside = relative_to_project(root, path.parent / name) if (path.parent / name).exists() else None
            if bracket == '"' and beside:  # found beside the including file, as a compiler looks first
                folder = folder_of(beside)
            elif bracket == '"' and parts[0] in ("platform", "core", "window") and len(parts) > 1:
                folder = folder_of(name)
            else:
                folder = None
            if folder is not None and folder not in folders and folder not in ("tests", "fuzz", "bench"):
                wrong.append(f"{relative}: includes {name} ({folder} is not below it)")
            for toolkit, pattern in toolkits.items():
                if bracket == "<" and pattern.match(name) and toolkit not in allowed:
                    wrong.append(f"{relative}: includes <{name}>, a toolkit it must not know")
    return wrong, "include directions"


def toolkit_of(real):
    """The toolkit a system header belongs to, by where it lies; None for others."""
    if "/qt6/" in real:
        return "qt"
    if re.search(r"/include/emscripten(\.h$|/)", real):
        return "web"
    return None


def parse_depfile(text):
    """The prerequisites of a Make rule as a compiler writes it with -MD."""
    first = text.replace("\\\n", " ").split("\n", 1)[0]
    _, _, prerequisites = first.partition(": ")
    return [p.replace("\0", " ") for p in prerequisites.replace("\\ ", "\0").split()]


def ninja_deps(build):
    """Every object's dependencies as Ninja recorded them (it keeps no .d files)."""
    out = subprocess.run(["ninja", "-C", str(build), "-t", "deps"], capture_output=True, text=True,
                         check=True).stdout
    deps, current = {}, None
    for line in out.splitlines():
        if line and not line[0].isspace():
            current = os.path.normpath(os.path.join(build, line.split(": #deps")[0]))
            deps[current] = []
        elif line.strip() and current:
            deps[current].append(line.strip())
    return deps


def check_depfiles(root, build):
    listing = build / "objects.txt"
    if not listing.exists():
        return [f"{listing} is missing: configure the tree with CMake first"], "include dependencies"
    ninja = None
    wrong, objects, headers = [], 0, set()
    for line in listing.read_text().splitlines():
        target, _, names = line.partition("\t")
        for obj in filter(None, names.split(";")):
            obj = os.path.normpath(obj)
            objects += 1
            depfile = pathlib.Path(obj + ".d")
            if depfile.exists():
                deps = parse_depfile(depfile.read_text(errors="replace"))
            else:
                if ninja is None:
                    ninja = ninja_deps(build) if (build / "build.ninja").exists() else {}
                deps = ninja.get(obj)
                if not deps:
                    wrong.append(f"{target}: {obj} has no dependency file: build the tree before this check")
                    continue
            here = pathlib.Path(obj).parent
            while here.name != "CMakeFiles" and here != here.parent:
                here = here.parent
            source, *included = [os.path.join(here.parent, d) for d in deps]
            relative_source = relative_to_project(root, source)
            rule = rule_of(relative_source) if relative_source else None
            if rule is None:
                continue  # made by the build (moc, resources) or not the project's
            _, folders, allowed = rule
            for written in included:
                real = os.path.realpath(written)
                relative = relative_to_project(root, real)
                if relative is None:
                    toolkit = toolkit_of(real)
                    if toolkit and toolkit not in allowed:
                        wrong.append(f"{relative_source}: reads {real}, a toolkit it must not know")
                    continue
                headers.add(relative)
                if ".." in pathlib.PurePath(written).parts:
                    wrong.append(f"{relative_source}: reads {written}, climbing out of a folder with '..'")
                folder = folder_of(relative)
                if folder not in folders:
                    wrong.append(f"{relative_source}: reads {relative} ({folder} is not below it)")
    return wrong, f"include dependencies ({objects} objects, {len(headers)} project headers)"


def relative_to_project(root, path):
    """The path below the root if it is one of the project's own files, else None."""
    try:
        relative = pathlib.Path(os.path.realpath(path)).relative_to(root).as_posix()
    except ValueError:
        return None
    return relative if relative.split("/")[0] in PROJECT else None


args = sys.argv[1:]
build = None
if args[:1] == ["--build"]:
    build = pathlib.Path(args[1]).resolve()
    args = args[2:]
root = pathlib.Path(args[0] if args else pathlib.Path(__file__).parent.parent).resolve()
wrong, what = check_depfiles(root, build) if build else check_text(root)
for line in dict.fromkeys(wrong):
    print(line)
print(f"{what}: {len(wrong)} wrong" if wrong else f"{what}: all one way")
sys.exit(1 if wrong else 0)
