#!/usr/bin/env python3
"""Reads what the completion benchmark left in its folder and prints the figures:
for each build of the plug-in, the time from the gateway having sent an approved
charge's reply to the charge dialog having closed (the station's export returning),
next to the time of the bare exchange over WinINet.

Usage: completion_report.py FOLDER
  FOLDER/<build>/station.log  StationSim --times output ("station: returned at US")
  FOLDER/<build>/sent.log     the gateway's reply times for those charges, one a line
  FOLDER/exchange.log         exchange_bench output ("exchange US")
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


def main(folder):
    print("reply sent by the gateway -> charge dialog closed")
    for build, label in (("before", "at the next tick (before)"), ("after", "on the worker's notice (now)")):
        returned = read_numbers(os.path.join(folder, build, "station.log"), "station: returned at")
        sent = read_numbers(os.path.join(folder, build, "sent.log"), "")
        if len(returned) != len(sent) or not sent:
            sys.exit(f"{build}: {len(sent)} replies but {len(returned)} charges returned")
        print(f"  {label:30s} {figures([r - s for r, s in zip(returned, sent)])}")
    exchanges = read_numbers(os.path.join(folder, "exchange.log"), "exchange", 1)
    print("bare exchange over WinINet (connect, TLS, POST, reply)")
    print(f"  {'no dialog, no worker':30s} {figures(exchanges)}")


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    main(sys.argv[1])
