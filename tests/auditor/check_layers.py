#!/usr/bin/env python3
"""The auditor's side keeps its layers: no #include climbs back, and
hotfixes-baseline links no code of hotfixes-table.

    check_layers.py --src SRC [--program hotfixes-baseline
                    --library libhotfixes_table_core.a [--nm nm]]

Each folder of src/auditor may include only the folders LAYERS gives it:
the shared text, files, vocabulary and program shell sit below both
programs and include neither; the table's read/ never includes judge/ or
write/, and judge/ never write/, nor does any stage include the program's
own files (table_options, table_program); the converter's read/ never
includes catalog/; neither program includes the other. The report
program's folders and the platform layer include nothing of the auditor's,
and the auditor nothing of the report's.

With --program and --library, no function or variable that the table's
library defines may be defined in the converter (nm, strong symbols).

Prints each violation and exits 1 when there is any.
"""

import argparse
import os
import re
import subprocess
import sys

SHARED = ["auditor/text", "auditor/files", "auditor/vocabulary",
          "auditor/program", "platform"]
# A folder -> the folders its files may include (besides the standard
# library's and zlib's headers).
LAYERS = {
    "auditor/text": ["auditor/text", "platform"],
    "auditor/files": ["auditor/files", "auditor/text", "platform"],
    "auditor/vocabulary": ["auditor/vocabulary", "auditor/text"],
    "auditor/program": ["auditor/program", "auditor/files", "auditor/text",
                        "platform"],
    "auditor/table/read": ["auditor/table/read"] + SHARED,
    "auditor/table/judge": ["auditor/table/judge",
                            "auditor/table/read"] + SHARED,
    "auditor/table/write": ["auditor/table/write", "auditor/table/judge",
                            "auditor/table/read"] + SHARED,
    "auditor/table": ["auditor/table"] + SHARED,
    "auditor/baseline/read": ["auditor/baseline/read"] + SHARED,
    "auditor/baseline/catalog": ["auditor/baseline/catalog",
                                 "auditor/baseline/read"] + SHARED,
    "auditor/baseline": ["auditor/baseline"] + SHARED,
}
REPORT = ["app", "output", "versioninfo", "osinfo", "hotfix", "registry",
          "common"]
for folder in REPORT:
    LAYERS[folder] = REPORT + ["platform"]
LAYERS["platform"] = ["platform"]

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def layer_of(path):
    """The folder of LAYERS a path under src/ lies in (the longest that
    holds it), or None."""
    best = None
    for folder in LAYERS:
        if path.startswith(folder + "/") and (best is None or
                                              len(folder) > len(best)):
            best = folder
    return best


def allowed(included, layer):
    return any(included.startswith(folder + "/") for folder in LAYERS[layer])


def check_includes(src):
    problems = []
    for root, _, files in os.walk(src):
        for name in sorted(files):
            if not name.endswith((".h", ".cc")):
                continue
            path = os.path.join(root, name)
            relative = os.path.relpath(path, src).replace(os.sep, "/")
            layer = layer_of(relative)
            if layer is None:
                problems.append("%s: in no layer of check_layers.py"
                                % relative)
                continue
            with open(path, encoding="utf-8") as source:
                for number, line in enumerate(source, 1):
                    match = INCLUDE.match(line)
                    if not match:
                        continue
                    included = match.group(1)
                    if "/" not in included or allowed(included, layer):
                        continue
                    problems.append(
                        "src/%s:%d: includes %s; %s/ may include only %s"
                        % (relative, number, included, layer,
                           ", ".join(f + "/" for f in LAYERS[layer])))
    return problems


def defined(nm, path):
    """The strong symbols a file defines: code, data, read-only data."""
    out = subprocess.run([nm, "--defined-only", path], capture_output=True,
                         text=True, check=True).stdout
    symbols = set()
    for line in out.splitlines():
        fields = line.split()
        if len(fields) == 3 and fields[1] in "TDBR":
            symbols.add(fields[2])
    return symbols


def check_link(nm, program, library):
    shared = sorted(defined(nm, program) & defined(nm, library))
    return ["%s defines %s, which %s holds"
            % (os.path.basename(program), symbol, os.path.basename(library))
            for symbol in shared]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--src", required=True)
    parser.add_argument("--program")
    parser.add_argument("--library")
    parser.add_argument("--nm", default="nm")
    arguments = parser.parse_args()
    problems = check_includes(arguments.src)
    if arguments.program and arguments.library:
        problems += check_link(arguments.nm, arguments.program,
                               arguments.library)
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
