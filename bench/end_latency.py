#!/usr/bin/env python3
"""How soon END ends the process while the engine thinks, and whether anything
is printed after it. Timings, not a test: run on a quiet machine.

    bench/end_latency.py [build/pbrain-quenvik] [--delays 0,0.05,0.3,1] [--rounds 3]

Each run starts a fresh engine, asks for a move with a 30 s turn limit, sends
END after the given delay, and measures the time from END to the process's
exit. The tournament's manager kills a brain that takes about a second.
"""
import argparse
import re
import subprocess
import threading
import time

POSITIONS = [
    # (board size, rule value, moves in playing order)
    (15, 0, "7,7"),
    (15, 0, "7,7 8,8 8,7 6,9 9,7 6,7"),
    (15, 4, "7,7 7,8 8,8 6,6 9,9 10,10 8,6 6,8"),
    (20, 1, "10,10 9,9 11,9 10,9 9,10 11,11 12,8 8,10 10,8"),
]


def run_once(path, size, rule, moves, delay):
    process = subprocess.Popen([path], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, bufsize=1)
    lines = []
    reader = threading.Thread(target=lambda: lines.extend(line.rstrip("\n") for line in process.stdout))
    reader.start()
    cells = moves.split()
    mine = len(cells) % 2
    commands = [f"START {size}", f"INFO rule {rule}", "INFO timeout_turn 30000", "BOARD"]
    commands += [f"{cell},{1 if i % 2 == mine else 2}" for i, cell in enumerate(cells)]
    process.stdin.write("\n".join(commands + ["DONE"]) + "\n")
    process.stdin.flush()
    time.sleep(delay)
    printed_before_end = len(lines)
    ended = time.monotonic()
    process.stdin.write("END\n")
    process.stdin.flush()
    status = process.wait(timeout=10)
    elapsed = (time.monotonic() - ended) * 1000
    reader.join()
    # A move or a final report after END would be a fault; the OK of START
    # may still be on its way when END goes out at once.
    late = [line for line in lines[printed_before_end:] if re.fullmatch(r"\d+,\d+|MESSAGE Nodes=.*", line)]
    return elapsed, status, late


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("engine", nargs="?", default="build/pbrain-quenvik")
    parser.add_argument("--delays", default="0,0.05,0.3,1")
    parser.add_argument("--rounds", type=int, default=3)
    args = parser.parse_args()
    delays = [float(d) for d in args.delays.split(",")]

    worst = 0.0
    for delay in delays:
        for size, rule, moves in POSITIONS:
            times = []
            for _ in range(args.rounds):
                elapsed, status, late = run_once(args.engine, size, rule, moves, delay)
                times.append(elapsed)
                if status != 0 or late:
                    print(f"  status {status}, printed after END: {late}")
            worst = max(worst, max(times))
            print(f"END after {delay * 1000:6.0f} ms, size {size} rule {rule} stones {len(moves.split()):2d}: "
                  f"exit {min(times):6.1f} to {max(times):6.1f} ms after END")
    print(f"slowest exit after END: {worst:.1f} ms")


if __name__ == "__main__":
    main()
