#!/usr/bin/env python3
"""Reads the release's PowerShell scripts (tools/deploy/*.ps1) for the faults that cannot
be run here (Debian has no PowerShell), each found before in a script of the guide:
- text written in an encoding that PowerShell 7 makes UTF-8 ([Text.Encoding]::Default,
  Out-File, Set-Content or Add-Content without -Encoding), where the plug-in reads ANSI;
- a claim of success printed outside the try that the write is in (the catch must say
  what failed, and the script must exit non-zero when something did);
- the journals collected through the administrative share C$, or with robocopy, which
  holds a live file against the station's writes.

usage: check_powershell.py SCRIPT.ps1...
"""
import re
import sys

faults = []


def fault(path, number, why):
    faults.append(f"{path}:{number}: {why}")


for path in sys.argv[1:]:
    lines = open(path, encoding="utf-8").read().splitlines()
    text = "\n".join(lines)
    for number, line in enumerate(lines, 1):
        code = line.split("#", 1)[0]
        if re.search(r"\[Text\.Encoding\]::Default", code, re.I):
            fault(path, number, "[Text.Encoding]::Default is UTF-8 under PowerShell 7")
        if re.search(r"\b(Out-File|Set-Content|Add-Content)\b", code, re.I) and "-Encoding" not in code:
            fault(path, number, "text written without -Encoding")
        if "collect" in path and re.search(r"C\$|robocopy", code, re.I):
            fault(path, number, "journals collected through C$ or with robocopy")
    if "catch" not in text or not re.search(r"exit 1", text):
        fault(path, 0, "no catch that reports a failure, or no exit 1 when one happened")

for line in faults:
    print(line)
print(f"{len(sys.argv) - 1} scripts read, {len(faults)} faults")
sys.exit(1 if faults else 0)
