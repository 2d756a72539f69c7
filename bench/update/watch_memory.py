#!/usr/bin/env python3
"""Watches one process until it ends and prints its peak resident size.

    watch_memory.py PID OUT_FILE

VmHWM (the kernel's high-water mark of the resident set) only grows, so the
last value read before the process ends is its peak; it is read every 20 ms
and written to OUT_FILE as "hwm_kb=N" so that an early stop loses nothing.
"""
import sys
import time


def field(status, name):
    for line in status.splitlines():
        if line.startswith(name + ":"):
            return int(line.split()[1])
    return None


def main():
    pid, out = sys.argv[1], sys.argv[2]
    last = None
    while True:
        try:
            with open("/proc/%s/status" % pid) as f:
                status = f.read()
        except OSError:
            break
        hwm = field(status, "VmHWM")
        if hwm is None:  # a zombie has no memory left to report
            break
        if hwm != last:
            last = hwm
            with open(out, "w") as f:
                f.write("hwm_kb=%d\n" % hwm)
        time.sleep(0.02)


if __name__ == "__main__":
    main()
