#!/usr/bin/env python3
"""How far the engine's replies overrun their time budget, and how fast a
YXSTOP is answered. Timings, not a test: run on a quiet machine.

    bench/reply_latency.py [build/pbrain-quenvik] [--turn-ms 1100] [--rounds 3]

The budget of a move is min(time left / 15, time per move) - 100 ms; with the
default match time and INFO timeout_turn 1100 it is 1000 ms.
"""
import argparse
import subprocess
import time

POSITIONS = [
    # (board size, rule value, moves in playing order)
    (15, 0, "7,7"),
    (15, 0, "7,7 8,8 8,7 6,9 9,7 6,7"),
    (15, 4, "7,7 7,8 8,8 6,6 9,9 10,10 8,6 6,8"),
    (20, 1, "10,10 9,9 11,9 10,9 9,10 11,11 12,8 8,10 10,8"),
    (15, 0, "7,7 8,7 8,8 6,6 9,9 10,10 6,8 7,8 9,6 5,7 6,7 8,9 8,6 7,6 10,5 11,4 6,5 5,4"),
]


class Engine:
    def __init__(self, path):
        self.process = subprocess.Popen([path], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, bufsize=1)
        self.process.stdout.readline()

    def send(self, line):
        self.process.stdin.write(line + "\n")
        self.process.stdin.flush()

    def line(self):
        return self.process.stdout.readline().strip()

    def move(self):
        while True:
            line = self.line()
            if not line.startswith("MESSAGE"):
                return line

    def close(self):
        self.send("END")
        self.process.wait()


def set_up(engine, size, rule, moves, turn_ms):
    engine.send(f"START {size}")
    assert engine.line() == "OK"
    engine.send(f"INFO rule {rule}")
    engine.send(f"INFO timeout_turn {turn_ms}")
    cells = moves.split()
    engine.send("BOARD")
    # The engine moves next: its stones are those of the side to move.
    mine = len(cells) % 2
    for i, cell in enumerate(cells):
        engine.send(f"{cell},{1 if i % 2 == mine else 2}")
    return cells


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("engine", nargs="?", default="build/pbrain-quenvik")
    parser.add_argument("--turn-ms", type=int, default=1100)
    parser.add_argument("--rounds", type=int, default=3)
    args = parser.parse_args()
    budget = args.turn_ms - 100

    engine = Engine(args.engine)
    worst_overrun = None
    for _ in range(args.rounds):
        for size, rule, moves in POSITIONS:
            set_up(engine, size, rule, moves, args.turn_ms)
            started = time.monotonic()
            engine.send("DONE")
            reply = engine.move()
            elapsed = (time.monotonic() - started) * 1000
            overrun = elapsed - budget
            worst_overrun = overrun if worst_overrun is None else max(worst_overrun, overrun)
            print(f"size {size} rule {rule} stones {len(moves.split()):2d}: reply {reply:6s} after {elapsed:7.1f} ms "
                  f"(budget {budget} ms, overrun {overrun:+.1f} ms)")

    stop_delays = []
    for size, rule, moves in POSITIONS:
        set_up(engine, size, rule, moves, 10_000_000)
        engine.send("DONE")
        assert engine.line().startswith("MESSAGE Expected time")
        time.sleep(0.3)
        stopped = time.monotonic()
        engine.send("YXSTOP")
        engine.move()
        stop_delays.append((time.monotonic() - stopped) * 1000)
    engine.close()
    print(f"worst overrun of a {budget} ms budget: {worst_overrun:+.1f} ms")
    print(f"YXSTOP answered after {min(stop_delays):.1f} to {max(stop_delays):.1f} ms")


if __name__ == "__main__":
    main()
