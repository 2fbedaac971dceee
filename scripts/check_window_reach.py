#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A window reaches another window only to open, close or look for it.

Every window class in windows/ is built as W(ProgramState&, WindowSet&). In the source file
of a window, another window class may appear only as window<W>().showWindow(),
window<W>().hide(), exists<W>() and in its #include; what windows need from each other
(the workplace picture, measuring it, publishing, showing levels) goes through WindowSet's
services. Prints each other use and exits 1 when there is any.
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
# Reaches still to be given a service: (file, window reached).
waiting = {
    ("EmployeeDetails.cpp", "AssessmentDetails"),  # the details' defaults
    ("SaveWindow.cpp", "AssessmentDetails"),  # the assessor remembered
    ("OpenExtraPics.cpp", "ExtraPics"),  # the extra picture boxes
    ("OverwriteFile.cpp", "SaveWindow"),  # saving over or asking for a new name
    ("RULAAction.cpp", "SaveWindow"),  # the folder chosen for saving
    ("MeasureAngles.cpp", "RebaWindow"),  # REBA's bands chosen by the measurements
}

allowed = re.compile(r"window<(\w+)>\(\)\.(?:showWindow|hide)\(\)|exists<(\w+)>\(\)|#include \"\w+\.h\"")
problems = []
for source in sorted(root.rglob("*.cpp")):
    text = source.read_text()
    own = set(constructor.findall(text)) | {source.stem}
    if not own & windows.keys():
        continue  # not a window: the navigation between windows and the window set itself
    for number, line in enumerate(text.splitlines(), 1):
        rest = allowed.sub("", line.split("//")[0])
        for name in set(re.findall(r"\b\w+\b", rest)):
            if name in windows and name not in own and (source.name, name) not in waiting:
                problems.append(f"{source.relative_to(root.parent)}:{number}: reaches window {name}: {line.strip()}")
for problem in problems:
    print(problem)
sys.exit(1 if problems else 0)
