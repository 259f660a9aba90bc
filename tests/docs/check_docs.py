#!/usr/bin/env python3
"""The documentation's map holds: README.md stays short, every section the
long README once had still has a home in README.md or docs/, every local
link leads to a file that exists, and every file of docs/ is reachable
from README.md.

    check_docs.py --root SOURCE_DIR

Prints each problem and exits 1 when there is any.
"""

import argparse
import os
import re
import sys

# What a newcomer reads in a few minutes.
README_LIMIT = 8 * 1024

# The sections of the README before it was split by subject; each must
# still be a heading somewhere.
SECTIONS = [
    "What it does",
    "Collecting the reports of a fleet",
    "`collect-report.cmd`",
    "Three ways to run it",
    "One table of many reports: `hotfixes-table`",
    "Comparing with an earlier audit",
    "Judging by a baseline",
    "Judging a fleet by every bulletin",
    "Trust",
    "A baseline from Microsoft's bulletin data: `hotfixes-baseline`",
    "Supported Windows",
    "Building on Windows",
    "The native build",
    "Tests",
    "Layout",
    "License",
]

HEADING = re.compile(r"^#{1,6} (.+?)\s*$")
LINK = re.compile(r"\]\(([^)\s]+)\)")


def headings_and_links(path):
    headings, links = set(), []
    fenced = False
    with open(path, encoding="utf-8") as text:
        for line in text:
            if line.startswith("```"):
                fenced = not fenced
                continue
            if fenced:
                continue
            match = HEADING.match(line)
            if match:
                headings.add(match.group(1))
            links += LINK.findall(line)
    return headings, links


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    root = parser.parse_args().root
    readme = os.path.join(root, "README.md")
    docs = os.path.join(root, "docs")
    pages = [readme] + sorted(
        os.path.join(docs, name) for name in os.listdir(docs)
        if name.endswith(".md"))
    problems = []
    size = os.path.getsize(readme)
    if size > README_LIMIT:
        problems.append("README.md: %d bytes, more than %d" %
                        (size, README_LIMIT))
    headings, linked = set(), set()
    for page in pages:
        page_headings, links = headings_and_links(page)
        headings |= page_headings
        for link in links:
            target = link.split("#", 1)[0]
            if re.match(r"^[a-z]+:", link) or not target:
                continue
            resolved = os.path.normpath(
                os.path.join(os.path.dirname(page), target))
            if not os.path.exists(resolved):
                problems.append("%s: a link to %s, which does not exist" %
                                (os.path.relpath(page, root), link))
            if page == readme:
                linked.add(resolved)
    for section in SECTIONS:
        if section not in headings:
            problems.append("no heading \"%s\" in README.md or docs/" %
                            section)
    for page in pages[1:]:
        if os.path.normpath(page) not in linked:
            problems.append("README.md does not link to %s" %
                            os.path.relpath(page, root))
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
