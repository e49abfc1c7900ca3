#!/usr/bin/env python3
"""A table of ADMIN.md must be exactly what the code's table prints: the
troubleshooting table (tools/admin_guide/troubleshooting_table.cpp) stands between the
lines <!-- troubleshooting table: begin --> and <!-- troubleshooting table: end -->,
another table between the lines with its own name.

Usage: check_troubleshooting.py PRINTER GUIDE [--write] [--table NAME]
  --write   put the printed table into GUIDE instead of comparing
  --table   the table's name in its markers (default: troubleshooting table)
"""

import difflib
import subprocess
import sys


def main(printer, guide, write, name):
    begin = f"<!-- {name}: begin -->\n"
    end = f"<!-- {name}: end -->\n"
    table = subprocess.run([printer], check=True, capture_output=True, text=True).stdout
    with open(guide) as stream:
        text = stream.read()
    if begin not in text or end not in text:
        sys.exit(f"{guide}: no {name} markers")
    head, rest = text.split(begin, 1)
    current, tail = rest.split(end, 1)
    if write:
        with open(guide, "w") as stream:
            stream.write(head + begin + table + end + tail)
        return
    if current != table:
        sys.stdout.writelines(difflib.unified_diff(current.splitlines(True), table.splitlines(True),
                                                   guide, "printed from the code"))
        sys.exit(f"{guide}'s {name} differs from the code's; to take the code's:\n"
                 f"  python3 {' '.join(sys.argv)} --write")


if __name__ == "__main__":
    args = [a for a in sys.argv[1:] if a != "--write"]
    name = "troubleshooting table"
    if "--table" in args:
        at = args.index("--table")
        name = args[at + 1] if at + 1 < len(args) else sys.exit(__doc__)
        del args[at:at + 2]
    if len(args) != 2:
        sys.exit(__doc__)
    main(args[0], args[1], "--write" in sys.argv[1:], name)
