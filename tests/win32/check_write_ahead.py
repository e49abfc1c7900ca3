#!/usr/bin/env python3
"""Checks what a gateway simulator received against the journals of the stations.

usage: check_write_ahead.py GATEWAY_JOURNAL [--expect TERMINAL=N,N,...] FOLDER...

Fails (exit 1, one line per fault) when the gateway received a terminal, batch and
sequence number twice; when a request has no "sending" record in the CSJournal-*.csv
files of the folders; when a journal row is not whole (11 fields) or a file does not
begin with the header (rows of terminal PAD, the test's own, may be cut off but
never glued onto); and, with --expect, when a terminal's sequence numbers at the
gateway are not exactly those given, in that order ("" for none).
"""
import csv
import glob
import io
import os
import sys

HEADER = ("Local time,Kind,Terminal ID,Batch,Sequence,Amount,Card,Event,Response code,"
          "Message,End code")


def gateway_requests(path):
    requests = []
    with open(path, encoding="utf-8") as journal:
        for line in journal:
            fields = dict(part.split("=", 1) for part in line.split() if "=" in part)
            if fields.get("seq"):
                requests.append((fields["terminal"], int(fields["batch"]), int(fields["seq"])))
    return requests


def journal_rows(folders, faults):
    rows = []
    for folder in folders:
        for name in sorted(glob.glob(os.path.join(folder, "CSJournal-*.csv"))):
            with open(name, "rb") as f:
                text = f.read().decode("cp1252")
            if not text:
                continue  # its first write failed and was taken back
            lines = text.split("\r\n")
            if lines[0] != HEADER:
                faults.append(f"{name}: begins {lines[0]!r}, not the header")
            for row in csv.reader(io.StringIO("\r\n".join(lines[1:]))):
                if len(row) == 11:
                    rows.append(row)
                elif len(row) > 11 or row[2:3] != ["PAD"]:  # PAD: the test's own, cut off
                    faults.append(f"{name}: a row of {len(row)} fields: {row}")
    return rows


def main(argv):
    expected = {}
    args = argv[2:]
    while args and args[0] == "--expect":
        terminal, numbers = args[1].split("=", 1)
        expected[terminal] = [int(n) for n in numbers.split(",") if n]
        args = args[2:]
    faults = []
    requests = gateway_requests(argv[1])
    rows = journal_rows(args, faults)
    sending = {(r[2], int(r[3]), int(r[4])) for r in rows if r[7] == "sending"}
    seen = set()
    for request in requests:
        if request in seen:
            faults.append(f"sent twice: terminal {request[0]} batch {request[1]} sequence {request[2]}")
        seen.add(request)
        if request not in sending:
            faults.append(f"no sending record: terminal {request[0]} batch {request[1]} sequence {request[2]}")
    for terminal, numbers in expected.items():
        got = [r[2] for r in requests if r[0] == terminal]
        if got != numbers:
            faults.append(f"terminal {terminal}: the gateway received {got}, expected {numbers}")
    for fault in faults:
        print("FAULT:", fault)
    print(f"{len(requests)} requests, {len(set(requests))} distinct, {len(rows)} journal rows, "
          f"{len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
