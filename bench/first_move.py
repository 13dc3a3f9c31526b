#!/usr/bin/env python3
"""How deep the first decision of a freshly started engine searches, against
the same decision in a warm process. Timings, not a test.

    bench/first_move.py [--engine 'CMD'] [--runs 10] [--turn-ms 200 500 2000]
    bench/first_move.py --start-replies 100 [--engine 'CMD']

For every per-move time (INFO timeout_turn) and every memory setting
(INFO max_memory 367001600, as the match runner sends it, and no memory key),
it starts RUNS new processes that answer START 15 and then TURN 7,7 at once,
as a match runner does, and RUNS warm processes that make the same decision
after a first one, a pause and RESTART: the pause lasts until the process's
resident memory has stopped growing for a second (whatever the engine does
in the background while it waits is then done). Fresh and warm runs
alternate, so both meet the same load, and a fresh process is started after
a pause of a second too: where the system shares time between sessions, a
decision made right after this script's own work would start behind. The table gives the node counts of the measured decision: the
fresh median against the warm median, and the worst fresh run against it.

--referee pauses each process right after its START and INFO lines, as the
tournament's referee does, and lets it go on only with the move request.
--gap-ms waits that long between START's OK and the move request, as a
person at a GUI would.

--start-replies N starts N new processes and prints how long START took to
answer in each (the median and the spread), from writing the line to reading
OK.

ENGINE is one command (split as a shell splits words), so a Windows build
runs as --engine 'wine build-windows/pbrain-quenvik.exe'.
"""
import argparse
import os
import re
import shlex
import signal
import statistics
import subprocess
import time

SUMMARY = re.compile(r"^MESSAGE Nodes=(\d+), .*depth=(\d+)-")
MOVE = re.compile(r"^\d+,\d+$")
MATCH_RUNNER_MEMORY = 367001600


class Engine:
    def __init__(self, command):
        self.process = subprocess.Popen(
            shlex.split(command), stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, bufsize=1
        )

    def send(self, *lines):
        self.process.stdin.write("".join(line + "\n" for line in lines))
        self.process.stdin.flush()

    def line(self):
        text = self.process.stdout.readline()
        if not text:
            raise RuntimeError("the engine ended its output")
        return text.strip()

    def decision(self):
        """Reads up to the move line: (nodes, depth, fell back)."""
        nodes, depth, fell_back = 0, 0, False
        while True:
            line = self.line()
            found = SUMMARY.match(line)
            if found:
                nodes, depth = int(found.group(1)), int(found.group(2))
            elif line == "MESSAGE Er...":
                fell_back = True
            elif MOVE.match(line):
                return nodes, depth, fell_back

    def pause(self):
        os.kill(self.process.pid, signal.SIGSTOP)

    def resume(self):
        os.kill(self.process.pid, signal.SIGCONT)

    def resident_kib(self):
        try:
            with open(f"/proc/{self.process.pid}/status") as status:
                for line in status:
                    if line.startswith("VmRSS:"):
                        return int(line.split()[1])
        except OSError:
            pass
        return None

    def settle(self, quiet_s=1.0, limit_s=20.0):
        """Waits until the resident size has not grown for quiet_s."""
        started = last_growth = time.monotonic()
        size = self.resident_kib()
        while time.monotonic() - last_growth < quiet_s and time.monotonic() - started < limit_s:
            time.sleep(0.1)
            now = self.resident_kib()
            if now is not None and size is not None and now > size:
                last_growth = time.monotonic()
            size = now

    def close(self):
        self.send("END")
        self.process.stdin.close()
        self.process.wait()


def setup_lines(turn_ms, memory):
    lines = [f"INFO timeout_turn {turn_ms}"]
    if memory is not None:
        lines.append(f"INFO max_memory {memory}")
    return lines


def first_decision(command, turn_ms, memory, warm, referee, gap_ms):
    if not warm:
        time.sleep(1.0)
    engine = Engine(command)
    if referee:
        # The referee writes its lines and suspends the brain at once.
        engine.send("START 15", *setup_lines(turn_ms, memory))
        engine.pause()
        time.sleep(0.2)
        engine.resume()
        engine.line()  # ready
        engine.line()  # OK
    else:
        engine.line()  # ready
        engine.send("START 15")
        assert engine.line() == "OK"
        engine.send(*setup_lines(turn_ms, memory))
    if gap_ms:
        time.sleep(gap_ms / 1000)
    if warm:
        engine.send("TURN 7,7")
        engine.decision()
        engine.settle()
        engine.send("RESTART")
        assert engine.line() == "OK"
    engine.send("TURN 7,7")
    result = engine.decision()
    engine.close()
    return result


def print_table(args):
    print(f"engine: {args.engine}; {args.runs} fresh and {args.runs} warm processes per row", end="")
    print("; referee pauses" if args.referee else "", end="")
    print(f"; {args.gap_ms} ms before the move request" if args.gap_ms else "")
    header = (
        "timeout_turn  memory      fresh nodes (min-max)      warm nodes (min-max)       fresh/warm  worst   "
        "fresh depth  warm depth  fallbacks"
    )
    print(header)
    for turn_ms in args.turn_ms:
        for memory in (MATCH_RUNNER_MEMORY, None):
            fresh, warm = [], []
            for _ in range(args.runs):
                fresh.append(first_decision(args.engine, turn_ms, memory, False, args.referee, args.gap_ms))
                warm.append(first_decision(args.engine, turn_ms, memory, True, args.referee, args.gap_ms))
            fresh_nodes = [nodes for nodes, _, _ in fresh]
            warm_nodes = [nodes for nodes, _, _ in warm]
            warm_median = statistics.median(warm_nodes)
            ratio = statistics.median(fresh_nodes) / warm_median if warm_median else 0.0
            worst = min(fresh_nodes) / warm_median if warm_median else 0.0
            fallbacks = sum(1 for _, _, fell in fresh + warm if fell)
            label = "none" if memory is None else str(memory)
            print(
                f"{turn_ms:>12}  {label:<10}  "
                f"{statistics.median(fresh_nodes):>8.0f} ({min(fresh_nodes)}-{max(fresh_nodes)})".ljust(27)
                + f"  {warm_median:>8.0f} ({min(warm_nodes)}-{max(warm_nodes)})".ljust(27)
                + f"  {ratio:>9.0%}  {worst:>5.0%}  "
                f"{statistics.median(d for _, d, _ in fresh):>11.0f}  {statistics.median(d for _, d, _ in warm):>10.0f}"
                f"  {fallbacks:>9}",
                flush=True,
            )


def start_replies(args):
    times = []
    for _ in range(args.start_replies):
        engine = Engine(args.engine)
        engine.line()  # ready
        started = time.perf_counter()
        engine.send("START 15")
        assert engine.line() == "OK"
        times.append((time.perf_counter() - started) * 1000)
        engine.close()
    times.sort()
    print(f"engine: {args.engine}; START 15 answered in {len(times)} fresh processes")
    print(
        f"median {statistics.median(times):.2f} ms, fastest {times[0]:.2f} ms, "
        f"90% within {times[int(len(times) * 0.9) - 1]:.2f} ms, slowest {times[-1]:.2f} ms"
    )


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--engine", default="build/pbrain-quenvik")
    parser.add_argument("--runs", type=int, default=10)
    parser.add_argument("--turn-ms", type=int, nargs="+", default=[200, 500, 2000])
    parser.add_argument("--referee", action="store_true")
    parser.add_argument("--gap-ms", type=int, default=0)
    parser.add_argument("--start-replies", type=int, default=0)
    args = parser.parse_args()
    if args.start_replies:
        start_replies(args)
    else:
        print_table(args)


if __name__ == "__main__":
    main()
