#!/usr/bin/env python3
"""Every writable variable of the plug-in's own objects, checked against the list below.

Module-wide state is what outlives a dialog, so it is where one transaction's data could
reach the next one. A new global must be added here with the reason it is module-wide;
one that went away must leave. The objects are those of the DLL as built, read with the
toolchain's nm.

usage: module_globals.py NM OBJECT_OR_LIBRARY...
"""
import subprocess
import sys

# name (as nm -C prints it, anonymous namespace dropped) -> why it is module-wide
ALLOWED = {
    # What the module is and where it lives: set at attach.
    "ModuleInstance": "the module handle",
    "StationFunctions": "the station program's functions, found at attach",
    "SettingsPath": "the settings file beside the module",
    "BatchSeqPath": "the sequence store beside the module",
    # The settings, read at attach and changed only by the configuration dialog.
    "CurrentSettings": "the settings in effect",
    "CurrentSettingFaults": "what the settings file held that was not understood",
    "CurrentDataFolder": "the data folder the settings file names, read at attach only",
    # Read once at attach, like the settings.
    "TimeZoneInfo": "the station's time zone",
    "CardImageList": "the dialogs' pictures, loaded from the module",
    "GradientLibrary": "the system library that paints the buttons, loaded on first use",
    "GradientFillProc": "its function",
    # The exchange: one at a time per process, and it may outlive its dialog.
    "TheJob": "the one exchange job",
    "WatchLock": "guards the dialog that watches the job",
    "JobFinishedMessageId": "the registered message that brings the job back",
    # Between an export and its dialog's first message only.
    "HandedOver": "the dialog state an export hands to its dialog",
    # The sequence store: used under its lock file by one call at a time.
    "HeldLock": "the store's lock file while it is held",
    "StoreText": "the store as read (too big for a station's stack)",
    "NewText": "the store as it is to be written (same)",
    "Known": "the journal's latest number of the last batch numbered, read once per load",
    # The test seam's own bookkeeping.
    "FirstReset": "the list of parts ResetModuleState puts back",
}
# The registrations of that list, one per file that keeps state above.
RESET_PREFIX = "kReset"


def writable_variables(nm, paths):
    out = subprocess.run([nm, "-C", "-f", "sysv", "--defined-only", *paths],
                         check=True, capture_output=True, text=True).stdout
    found = {}
    source = ""
    for line in out.splitlines():
        if line.startswith("Symbols from "):
            source = line[len("Symbols from "):].rstrip(":")
            continue
        fields = [f.strip() for f in line.split("|")]
        if len(fields) < 7:
            continue
        name, section = fields[0], fields[6]
        writable = section.startswith((".bss", ".data")) and not section.startswith(".data.rel.ro")
        # Sections' own symbols, the compiler's and the runtime's are not ours.
        if not writable or name.startswith((".", "_", "DW.ref")):
            continue
        name = name.replace("(anonymous namespace)::", "")
        found.setdefault(name, source)
    return found


def main():
    if len(sys.argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    found = writable_variables(sys.argv[1], sys.argv[2:])
    resets = sorted(n for n in found if n.startswith(RESET_PREFIX))
    state = {n: s for n, s in found.items() if not n.startswith(RESET_PREFIX)}
    faults = [f"not on the list: {n} ({s})" for n, s in sorted(state.items()) if n not in ALLOWED]
    faults += [f"on the list but gone: {n}" for n in sorted(ALLOWED) if n not in state]
    for fault in faults:
        print(f"module_globals: {fault}", file=sys.stderr)
    print(f"module_globals: {len(state)} module-wide variables, {len(resets)} reset registrations: "
          + ", ".join(resets))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
