#!/usr/bin/env python3
"""The troubleshooting table of ADMIN.md must be exactly what the plug-in's tables
print (tools/admin_guide/troubleshooting_table.cpp): it stands between the lines
<!-- troubleshooting table: begin --> and <!-- troubleshooting table: end -->.

Usage: check_troubleshooting.py PRINTER GUIDE [--write]
  --write   put the printed table into GUIDE instead of comparing
"""

import difflib
import subprocess
import sys

BEGIN = "<!-- troubleshooting table: begin -->\n"
END = "<!-- troubleshooting table: end -->\n"


def main(printer, guide, write):
    table = subprocess.run([printer], check=True, capture_output=True, text=True).stdout
    with open(guide) as stream:
        text = stream.read()
    if BEGIN not in text or END not in text:
        sys.exit(f"{guide}: no troubleshooting table markers")
    head, rest = text.split(BEGIN, 1)
    current, tail = rest.split(END, 1)
    if write:
        with open(guide, "w") as stream:
            stream.write(head + BEGIN + table + END + tail)
        return
    if current != table:
        sys.stdout.writelines(difflib.unified_diff(current.splitlines(True), table.splitlines(True),
                                                   guide, "printed from the code"))
        sys.exit(f"{guide}'s troubleshooting table differs from the code's; to take the code's:\n"
                 f"  python3 {sys.argv[0]} {printer} {guide} --write")


if __name__ == "__main__":
    args = [a for a in sys.argv[1:] if a != "--write"]
    if len(args) != 2:
        sys.exit(__doc__)
    main(args[0], args[1], "--write" in sys.argv[1:])
