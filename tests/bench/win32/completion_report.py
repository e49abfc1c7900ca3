#!/usr/bin/env python3
"""Reads what the completion benchmark left in its folder and prints the figures:
for each build of the plug-in, the time from the gateway having sent an approved
charge's reply to the charge dialog having closed (the station's export returning),
next to the time of the bare exchange over WinINet.

Usage: completion_report.py FOLDER
  FOLDER/<build>/station-R.log  StationSim --times output ("station: returned at US")
  FOLDER/<build>/sent-R.log     the gateway's reply times for those charges, one a line
  FOLDER/exchange-R.log         exchange_bench output ("exchange US")
for each round R from 1; each round's figures are printed, and with more than one
round, those of all rounds together.
"""

import os
import statistics
import sys


def percentile(values, share):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, round(share * (len(ordered) - 1)))]


def figures(values_us):
    ms = [v / 1000 for v in values_us]
    return (f"{len(ms):3d}  median {statistics.median(ms):8.1f} ms  "
            f"95th percentile {percentile(ms, 0.95):8.1f} ms  max {max(ms):8.1f} ms")


def read_numbers(path, prefix, field=-1):
    with open(path) as stream:
        return [int(line.split()[field]) for line in stream if line.startswith(prefix)]


def rounds_in(folder):
    count = 0
    while os.path.exists(os.path.join(folder, f"exchange-{count + 1}.log")):
        count += 1
    if count == 0:
        sys.exit(f"{folder}: no exchange-1.log")
    return count


def completion_times(folder, build, round_number):
    returned = read_numbers(os.path.join(folder, build, f"station-{round_number}.log"),
                            "station: returned at")
    sent = read_numbers(os.path.join(folder, build, f"sent-{round_number}.log"), "")
    if len(returned) != len(sent) or not sent:
        sys.exit(f"{build}, round {round_number}: {len(sent)} replies but {len(returned)} charges returned")
    return [r - s for r, s in zip(returned, sent)]


def main(folder):
    rounds = range(1, rounds_in(folder) + 1)
    # The lines of each kind, one a round, then all rounds together when there are more.
    def lines(label, times_of_round):
        every = []
        for round_number in rounds:
            times = times_of_round(round_number)
            every += times
            print(f"  {label:30s} {figures(times)}")
        if len(rounds) > 1:
            print(f"  {'  all rounds':30s} {figures(every)}")

    print("reply sent by the gateway -> charge dialog closed")
    for build, label in (("before", "at the next tick (before)"), ("after", "on the worker's notice (now)")):
        lines(label, lambda round_number: completion_times(folder, build, round_number))
    print("bare exchange over WinINet (connect, TLS, POST, reply)")
    lines("no dialog, no worker",
          lambda round_number: read_numbers(os.path.join(folder, f"exchange-{round_number}.log"), "exchange", 1))


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    main(sys.argv[1])
