#!/usr/bin/env python3
"""Peak resident memory (VmHWM, Linux) of the engine over one game, for each
of several INFO max_memory caps: the figures of the README's Memory section.

The engine plays itself on 20x20 from 10,10 11,11 up to 30 stones, every
move asked with a BOARD block under INFO max_node 40000.

    bench/peak_memory.py [--engine build/pbrain-quenvik]
"""
import argparse
import subprocess

CAPS = [None, 367001600, 134217728, 64000000, 33554432]


def peak_over_a_game(path, cap, stones=30):
    engine = subprocess.Popen([path], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, bufsize=1)

    def send(line):
        engine.stdin.write(line + "\n")
        engine.stdin.flush()

    engine.stdout.readline()  # ready line
    if cap:
        send(f"INFO max_memory {cap}")
    send("INFO max_node 40000")
    send("INFO timeout_turn 60000")
    send("START 20")
    engine.stdout.readline()
    order = [(10, 10), (11, 11)]
    while len(order) < stones:
        send("BOARD")
        mover = len(order) % 2
        for i, (x, y) in enumerate(order):
            send(f"{x},{y},{1 if i % 2 == mover else 2}")
        send("DONE")
        line = engine.stdout.readline().strip()
        while line.startswith("MESSAGE"):
            line = engine.stdout.readline().strip()
        order.append(tuple(map(int, line.split(","))))
    with open(f"/proc/{engine.pid}/status") as status:
        peak_kib = next(int(line.split()[1]) for line in status if line.startswith("VmHWM"))
    send("END")
    engine.wait()
    return peak_kib


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--engine", default="build/pbrain-quenvik")
    args = parser.parse_args()
    for cap in CAPS:
        print(f"max_memory {cap or 'none':>10}: peak resident {peak_over_a_game(args.engine, cap) / 1024:.0f} MiB")


if __name__ == "__main__":
    main()
