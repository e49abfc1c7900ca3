#!/usr/bin/env python3
"""Scale benchmark of CSReconcile: a year of 40 stations, 5,000 journal lines per station
and month (2.4 million lines, about 250 MB), generated under WORK (once; kept for the
next run), then reconciled once with a settlement of every approval. Prints the time,
lines per second and the tool's peak memory (getrusage of the child). A benchmark:
it reports figures and fails only when the tool does.

usage: reconcile_scale.py CSRECONCILE WORK [--stations N --months N --lines N]
"""
import argparse
import os
import resource
import subprocess
import sys
import time

HEADER = "Local time,Kind,Terminal ID,Batch,Sequence,Amount,Card,Event,Response code,Message,End code\r\n"
CARDS = ["603950******%04d" % n for n in range(1000, 1100)]


def month_file(path, terminal, year, month, lines, sequence, settlement):
    """One station's month: charges, a few declines and deposits; returns the next number."""
    out = [HEADER]
    written = 0
    n = 0
    while written < lines - 3:
        day = 1 + n * 28 // (lines // 2)
        stamp = "%04d-%02d-%02d %02d:%02d:%02d" % (year, month, day, 8 + n % 10, n % 60, n * 7 % 60)
        card = CARDS[n % len(CARDS)]
        cents = 50 + (n * 37) % 2000
        amount = "%d.%02d" % (cents // 100, cents % 100)
        base = f"{stamp},%s,{terminal},1,{sequence},{amount},{card},"
        if n % 23 == 0:
            out += [base % "deposit" + "sending,,,\r\n", base % "deposit" + "approved,00,APPROVED,\r\n",
                    base % "deposit" + "booked,,Booked by the station program.,%d\r\n" % cents]
            written += 3
            settlement.append(f"{terminal},1,{sequence},{amount},00\r\n")
        elif n % 17 == 0:
            out += [base % "charge" + "sending,,,\r\n", base % "charge" + "declined,51,INSUFFICIENT FUNDS,2\r\n"]
            written += 2
        else:
            out += [base % "charge" + "sending,,,\r\n", base % "charge" + "approved,00,APPROVED THANK YOU,1\r\n"]
            written += 2
            settlement.append(f"{terminal},1,{sequence},{amount},00\r\n")
        sequence += 1
        n += 1
    with open(path, "w", newline="") as stream:
        stream.writelines(out)
    return sequence, written


def generate(work, stations, months, lines):
    marker = os.path.join(work, f"made-{stations}-{months}-{lines}")
    if os.path.exists(marker):
        return
    settlement = ["Terminal ID,Batch,Sequence,Amount,Response code\r\n"]
    for s in range(1, stations + 1):
        folder = os.path.join(work, "journals", "st%02d" % s)
        os.makedirs(folder, exist_ok=True)
        sequence = 1
        for m in range(months):
            year, month = 2026 + m // 12, 1 + m % 12
            sequence, _ = month_file(os.path.join(folder, "CSJournal-%04d-%02d.csv" % (year, month)),
                                     "T%04d" % s, year, month, lines, sequence, settlement)
    with open(os.path.join(work, "settlement.csv"), "w", newline="") as stream:
        stream.writelines(settlement)
    open(marker, "w").close()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("tool")
    parser.add_argument("work")
    parser.add_argument("--stations", type=int, default=40)
    parser.add_argument("--months", type=int, default=12)
    parser.add_argument("--lines", type=int, default=5000)
    args = parser.parse_args()
    os.makedirs(args.work, exist_ok=True)
    started = time.monotonic()
    generate(args.work, args.stations, args.months, args.lines)
    print(f"data: {time.monotonic() - started:.1f} s to make or find")
    journals = os.path.join(args.work, "journals")
    size = sum(os.path.getsize(os.path.join(d, f)) for d, _, fs in os.walk(journals) for f in fs)
    started = time.monotonic()
    run = subprocess.run([args.tool, journals, "--gateway", os.path.join(args.work, "settlement.csv"),
                          "--out", os.path.join(args.work, "out")], capture_output=True, text=True)
    seconds = time.monotonic() - started
    print(run.stdout, end="")
    if run.returncode != 0:
        print(run.stderr[-2000:], file=sys.stderr)
        sys.exit(f"CSReconcile exited {run.returncode}")
    lines = sum(1 for d, _, fs in os.walk(journals) for f in fs for _ in open(os.path.join(d, f), "rb"))
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = usage.ru_utime + usage.ru_stime  # what the time would be on a machine not shared
    print(f"figure: {lines} lines, {size / 1e6:.0f} MB in {seconds:.2f} s ({cpu:.2f} s of processor): "
          f"{lines / seconds:,.0f} lines/s, {size / 1e6 / seconds:.0f} MB/s; "
          f"peak memory {usage.ru_maxrss / 1024:.1f} MiB")


if __name__ == "__main__":
    main()
