#!/usr/bin/env python3
"""Prints the cost of waking another process, on the same CPU and across
CPUs: a byte sent back and forth over two pipes, 20000 times. Wine talks to
its server this way on every socket read, so this is the machine's figure
that the Wine benchmarks depend on most."""
import os
import time

ROUNDS = 20000


def round_trip_us(parent_cpu, child_cpu):
    to_child, from_parent = os.pipe()
    from_child, to_parent = os.pipe()
    pid = os.fork()
    if pid == 0:
        os.sched_setaffinity(0, {child_cpu})
        for _ in range(ROUNDS):
            os.read(to_child, 1)
            os.write(to_parent, b"y")
        os._exit(0)
    os.sched_setaffinity(0, {parent_cpu})
    start = time.perf_counter()
    for _ in range(ROUNDS):
        os.write(from_parent, b"x")
        os.read(from_child, 1)
    took = time.perf_counter() - start
    os.waitpid(pid, 0)
    for fd in (to_child, from_parent, from_child, to_parent):
        os.close(fd)
    return took / ROUNDS * 1e6


def main():
    cpus = sorted(os.sched_getaffinity(0))
    same = round_trip_us(cpus[-1], cpus[-1])
    line = "process wake-up round trip: %.1f us on one CPU" % same
    if len(cpus) > 1:
        line += ", %.1f us across CPUs" % round_trip_us(cpus[0], cpus[-1])
    print(line)


if __name__ == "__main__":
    main()
