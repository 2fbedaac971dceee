#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Checks the links between the project's documents: every relative link in a tracked Markdown
file names a file that exists, and every #anchor a heading of the file it points into (with
the anchors GitHub makes from headings). Prints each broken link and exits 1 if there is one."""
import os
import re
import subprocess
import sys

LINK = re.compile(r'!?\[[^\]]*\]\(([^)\s]+)\)')
CODE_SPAN = re.compile(r'`[^`]*`')


def anchors(path):
    found = set()
    in_code = False
    with open(path, encoding='utf-8') as text:
        for line in text:
            if line.startswith('```'):
                in_code = not in_code
            if in_code or not line.startswith('#'):
                continue
            heading = line.lstrip('#').strip().lower()
            slug = re.sub(r'[^\w\- ]', '', heading).replace(' ', '-')
            found.add(slug)
    return found


def broken_links(root):
    files = subprocess.run(['git', 'ls-files', '*.md'], cwd=root, capture_output=True, text=True,
                           check=True).stdout.split()
    for name in files:
        with open(os.path.join(root, name), encoding='utf-8') as text:
            for number, line in enumerate(text, 1):
                if line.startswith('    '):  # an indented code block
                    continue
                for target in LINK.findall(CODE_SPAN.sub('', line)):
                    if re.match(r'[a-z]+:', target):
                        continue
                    where, _, anchor = target.partition('#')
                    path = os.path.normpath(os.path.join(root, os.path.dirname(name), where)) if where \
                        else os.path.join(root, name)
                    if not os.path.exists(path):
                        yield f'{name}:{number}: {target}: no such file'
                    elif anchor and path.endswith('.md') and anchor not in anchors(path):
                        yield f'{name}:{number}: {target}: no such heading'


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else '.'
    broken = list(broken_links(root))
    for line in broken:
        print(line, file=sys.stderr)
    return 1 if broken else 0


if __name__ == '__main__':
    sys.exit(main())
