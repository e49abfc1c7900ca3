#!/usr/bin/env python3
"""What the plug-in's DLL_PROCESS_ATTACH does, under Wine's relay trace: the station
simulator loads the DLL (and calls SPMEjectCard), and every call the DLL's own code makes
between the loader's call of its entry point for PROCESS_ATTACH and the return is
listed, with every library loaded meanwhile. Attach runs under the loader lock, so it
fails on any library loaded there, a crypto provider above all, and on any call into the
CryptoAPI.

Usage: check_attach.py STATION_SIM PLUGIN_DLL   (inside scripts/wine_session.sh)
"""

import os
import re
import struct
import subprocess
import sys

ENTRY = re.compile(r'^([0-9a-f]+):(Call|Ret ) PE DLL \(proc=\w+,module=(\w+) L"([^"]*)",reason=PROCESS_ATTACH')
CALL = re.compile(r'^([0-9a-f]+):Call (\w+)\.(\w+)\(.*\) ret=([0-9a-f]+)$')
LOADED = re.compile(r'^([0-9a-f]+):trace:loaddll:build_module Loaded L"([^"]*)"')
CRYPTO = re.compile(r'crypt|rsaenh|dssenh|bcryptprimitives', re.IGNORECASE)


def image_size(dll):
    """SizeOfImage from the PE optional header: the span of the DLL's own code."""
    with open(dll, 'rb') as stream:
        data = stream.read(4096)
    header = struct.unpack_from('<I', data, 0x3C)[0]
    return struct.unpack_from('<I', data, header + 24 + 56)[0]


def trace_attach(station, dll):
    env = dict(os.environ, WINEDEBUG='+relay,+loaddll')
    run = subprocess.Popen(['wine', station, '--plugin', dll, 'eject'], env=env,
                           stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True,
                           errors='replace')
    name = os.path.basename(dll).lower()
    size = image_size(dll)
    thread = base = None
    calls, loads = [], []
    done = False
    for line in run.stderr:
        line = line.rstrip('\n')
        if done:
            continue
        entry = ENTRY.match(line)
        if entry and os.path.basename(entry.group(4).replace('\\', '/')).lower() == name:
            if entry.group(2) == 'Call':
                thread, base = entry.group(1), int(entry.group(3), 16)
            elif thread == entry.group(1):
                done = True
            continue
        if thread is None or not line.startswith(thread + ':'):
            continue
        call = CALL.match(line)
        if call and base <= int(call.group(4), 16) < base + size:
            calls.append(f'{call.group(2)}.{call.group(3)}')
        loaded = LOADED.match(line)
        if loaded:
            loads.append(loaded.group(2))
    status = run.wait()
    if thread is None or not done:
        sys.exit(f'check_attach: no complete PROCESS_ATTACH of {name} in the trace (exit code {status})')
    return calls, loads


def main(station, dll):
    calls, loads = trace_attach(station, dll)
    distinct = list(dict.fromkeys(calls))
    print(f'attach of {os.path.basename(dll)}: {len(calls)} calls from its code, {len(distinct)} distinct')
    for call in distinct:
        print(f'  {call}')
    faults = [f'loads {library}' + (' (a crypto provider)' if CRYPTO.search(library) else '')
              for library in loads]
    faults += [f'calls {call}' for call in distinct if CRYPTO.search(call.split('.', 1)[1])]
    if faults:
        print('under the loader lock, attach ' + '; '.join(faults))
        sys.exit(1)
    print('no library loaded and no crypto provider asked for under the loader lock')


if __name__ == '__main__':
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
