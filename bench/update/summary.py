#!/usr/bin/env python3
"""Prints the figures of bench/update/run.sh from its rounds.

    summary.py FIGURES ROUNDS FILES CABINET_BYTES LARGEST_CABINET

FIGURES has one line per run: "setup MICROSECONDS IDLE_KB PEAK_KB WM_WAITS"
or "reference MICROSECONDS". WM_WAITS counts the times Wine's X11 driver
gave up waiting for a window manager (2 s each; the display has none).
"""
import statistics
import sys

MIB = 1 << 20
WM_WAIT_S = 2.0  # the X11 driver's fixed timeout in wait_for_withdrawn_state


def main():
    path = sys.argv[1]
    rounds, files, cab_bytes, largest = (int(a) for a in sys.argv[2:6])
    rows = [line.split() for line in open(path)]
    setup = [r for r in rows if r[0] == "setup"]
    ref = [int(r[1]) / 1e6 for r in rows if r[0] == "reference"]
    took = [int(r[1]) / 1e6 for r in setup]
    less_wm = [int(r[1]) / 1e6 - WM_WAIT_S * int(r[4]) for r in setup]
    waits = sorted({int(r[4]) for r in setup})
    idle = [int(r[2]) / 1024 for r in setup]
    peak = [int(r[3]) / 1024 for r in setup]
    growth = [p - i for p, i in zip(peak, idle)]

    def times(xs):
        return "%6.2f s  (%s)" % (statistics.median(xs), " ".join("%.2f" % x for x in xs))

    print("product: %d files, all out of date; %d cabinets, %.1f MiB in all, the largest %.1f MiB"
          % (files, files, cab_bytes / MIB, largest / MIB))
    print("from the answer to the start prompt to the product's start, %d rounds: median (every round)" % rounds)
    print("  SetupZQ.exe xctkd:                          " + times(took))
    print("    less Wine's wait for a window manager:    " + times(less_wm))
    print("      (%s x %.0f s per run: the X11 driver's wait_for_withdrawn_state times out on a display"
          % ("/".join(str(w) for w in waits), WM_WAIT_S))
    print("       without a window manager; a desktop has one, Windows has no such wait)")
    print("  reference, WinHTTP + SetupIterateCabinetA: " + times(ref))
    print("  ratio SetupZQ/reference, medians:            %6.3f   (goal <= 1.10)"
          % (statistics.median(took) / statistics.median(ref)))
    print("    without the window-manager wait:           %6.3f" % (statistics.median(less_wm) / statistics.median(ref)))
    print("resident memory of the SetupZQ.exe process (VmRSS, VmHWM of its /proc status), worst of %d rounds:" % rounds)
    print("  idle at the start prompt (VmRSS):            %6.1f MiB" % max(idle))
    print("  peak over the run (VmHWM):                   %6.1f MiB" % max(peak))
    print("  peak - idle:                                 %6.1f MiB  (goal <= largest cabinet + 16 MiB = %.1f MiB)"
          % (max(growth), largest / MIB + 16))


if __name__ == "__main__":
    main()
