#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A window reaches another window only to open, close or look for it.

Every window class in windows/ is built as W(ProgramState&, WindowSet&). In the source file
of a window, another window class may appear only as window<W>().showWindow(),
window<W>().hide(), exists<W>() and in its #include, and its header is included only where
it is opened, closed or looked for; what windows need from each other (the workplace
picture, measuring it, publishing, the extra picture boxes, saving, REBA's measured bands)
goes through WindowSet's services. Prints each other use and exits 1 when there is any.
"""
import pathlib
import re
import sys

root = pathlib.Path(__file__).resolve().parent.parent / "windows"
constructor = re.compile(r"^\s*(?:explicit\s+)?(\w+)\(ProgramState&\s*\w*,\s*WindowSet&", re.M)
windows = {}
for header in sorted(root.rglob("*.h")):
    for name in constructor.findall(header.read_text()):
        windows[name] = header.stem
# The bases every window is built on.
for base in ("AppWindow", "PictureFileWindow"):
    windows.pop(base, None)
allowed = re.compile(r"window<(\w+)>\(\)\.(?:showWindow|hide)\(\)|exists<(\w+)>\(\)|#include \"\w+\.h\"")
problems = []
for source in sorted(root.rglob("*.cpp")):
    text = source.read_text()
    own = set(constructor.findall(text)) | {source.stem}
    if not own & windows.keys():
        continue  # not a window: the navigation between windows and the window set itself
    opened = set(re.findall(r"window<(\w+)>\(\)\.(?:showWindow|hide)\(\)|exists<(\w+)>\(\)", text))
    opened = {name for pair in opened for name in pair if name}
    for number, line in enumerate(text.splitlines(), 1):
        included = re.match(r'#include "(\w+)\.h"', line)
        if included:
            # Another window's header is there only for opening it.
            name = next((w for w, stem in windows.items() if stem == included.group(1)), None)
            if name and name not in own and name not in opened:
                problems.append(f"{source.relative_to(root.parent)}:{number}: includes window {name} without "
                                "opening it")
        rest = allowed.sub("", line.split("//")[0])
        for name in set(re.findall(r"\b\w+\b", rest)):
            if name in windows and name not in own:
                problems.append(f"{source.relative_to(root.parent)}:{number}: reaches window {name}: {line.strip()}")
for problem in problems:
    print(problem)
sys.exit(1 if problems else 0)
