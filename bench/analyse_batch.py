#!/usr/bin/env python3
"""Times `quenvik analyse` on a collection of many games.

Makes a collection as a tournament leaves it, one SGF file per match: the
engine plays itself from random 2-4 stone openings near the centre (each
move under a node limit), GAMES games in files of PER_FILE. Then it times
the analysis of the whole collection with --jobs 1 and --jobs 2, and, when
GNU parallel is installed, the README's recipe (parallel over the files, on
this machine alone). The per-game results must be the same every way.

    bench/analyse_batch.py [--build build] [--games 20] [--per-file 4]
                           [--play-nodes 2000] [--nodes 20000] [--seed 1]
                           [--keep DIR]
"""
import argparse
import json
import os
import random
import resource
import shutil
import subprocess
import sys
import tempfile
import time


def five_through(stones, size, x, y):
    colour = stones.get((x, y))
    for dx, dy in ((1, 0), (0, 1), (1, 1), (1, -1)):
        run = 1
        for sign in (1, -1):
            cx, cy = x + sign * dx, y + sign * dy
            while 0 <= cx < size and 0 <= cy < size and stones.get((cx, cy)) == colour:
                run += 1
                cx, cy = cx + sign * dx, cy + sign * dy
        if run >= 5:
            return True
    return False


class Engine:
    def __init__(self, path, size, nodes):
        self.proc = subprocess.Popen([path], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, bufsize=1)
        self.proc.stdout.readline()  # ready line
        self.send(f"START {size}")
        self.proc.stdout.readline()
        self.send(f"INFO max_node {nodes}")
        self.send("INFO timeout_turn 60000")  # the node limit, not the clock, ends a move

    def send(self, line):
        self.proc.stdin.write(line + "\n")
        self.proc.stdin.flush()

    def move(self, order):
        self.send("BOARD")
        mover = len(order) % 2
        for i, (x, y) in enumerate(order):
            self.send(f"{x},{y},{1 if i % 2 == mover else 2}")
        self.send("DONE")
        while True:
            line = self.proc.stdout.readline().strip()
            if not line.startswith("MESSAGE"):
                x, y = map(int, line.split(","))
                return x, y

    def close(self):
        self.send("END")
        self.proc.wait()


def self_play(engine, size, rng):
    centre = size // 2
    order, stones = [], {}
    for _ in range(rng.randint(2, 4)):
        while True:
            cell = (centre + rng.randint(-2, 2), centre + rng.randint(-2, 2))
            if cell not in stones:
                break
        stones[cell] = len(order) % 2
        order.append(cell)
    while len(order) < size * size:
        x, y = engine.move(order)
        stones[(x, y)] = len(order) % 2
        order.append((x, y))
        if five_through(stones, size, x, y):
            return order, "B+1" if len(order) % 2 == 1 else "W+1"
    return order, "0"


def sgf(order, size, result, black, white):
    moves = "".join(f";{'BW'[i % 2]}[{chr(97 + x)}{chr(97 + y)}]" for i, (x, y) in enumerate(order))
    return f"(;FF[4]GM[4]SZ[{size}]RU[0]PB[{black}]PW[{white}]RE[{result}]{moves})\n"


def children_cpu():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def timed(command, **kwargs):
    """Wall time, CPU time of the command and all its processes, output."""
    start, cpu = time.monotonic(), children_cpu()
    result = subprocess.run(command, capture_output=True, text=True, **kwargs)
    if result.returncode != 0:
        sys.exit(f"{' '.join(command)} failed: {result.stderr}")
    return time.monotonic() - start, children_cpu() - cpu, result.stdout


def plies_by_game(lines):
    games = {}
    for line in lines.splitlines():
        document = json.loads(line)
        games[(os.path.basename(document["file"]), document["game"])] = document["plies"]
    return games


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default="build")
    parser.add_argument("--games", type=int, default=20)
    parser.add_argument("--per-file", type=int, default=4)
    parser.add_argument("--play-nodes", type=int, default=2000)
    parser.add_argument("--nodes", type=int, default=20000)
    parser.add_argument("--size", type=int, default=15)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--keep", help="write the collection here and keep it")
    args = parser.parse_args()
    tool = os.path.abspath(os.path.join(args.build, "quenvik"))
    folder = args.keep or tempfile.mkdtemp(prefix="quenvik-batch-")
    os.makedirs(folder, exist_ok=True)
    rng = random.Random(args.seed)
    engine = Engine(os.path.join(args.build, "pbrain-quenvik"), args.size, args.play_nodes)
    files, moves = [], 0
    for match in range(0, args.games, args.per_file):
        path = os.path.join(folder, f"match-{match // args.per_file + 1:02d}.sgf")
        with open(path, "w") as out:
            for _ in range(min(args.per_file, args.games - match)):
                order, result = self_play(engine, args.size, rng)
                moves += len(order)
                out.write(sgf(order, args.size, result, "quenvik-a", "quenvik-b"))
        files.append(os.path.basename(path))
    engine.close()
    print(f"{args.games} games, {moves} moves, in {len(files)} files of {args.per_file} ({folder})")

    analyse = [tool, "analyse", "--json", "--nodes", str(args.nodes), "--game", *files]
    runs = {}
    load = os.getloadavg()[0]  # other work on the machine slows the wall times
    for jobs in (1, 2):
        seconds, cpu, out = timed(analyse + ["--jobs", str(jobs)], cwd=folder)
        runs[f"--jobs {jobs}"] = (seconds, cpu, plies_by_game(out))
    if shutil.which("parallel"):
        recipe = ["parallel", "-j2", tool, "analyse", "--json", "--nodes", str(args.nodes), "--game", "{}", ":::", *files]
        seconds, cpu, out = timed(recipe, cwd=folder)
        runs["parallel -j2 over files"] = (seconds, cpu, plies_by_game(out))
    reference = runs["--jobs 1"][2]
    print(f"load average before the runs: {load:.1f}, after: {os.getloadavg()[0]:.1f}")
    for name, (seconds, cpu, games) in runs.items():
        same = "same per-game results" if games == reference else "DIFFERENT results"
        print(f"{name:26} {seconds:6.1f} s wall {cpu:6.1f} s CPU  ({same})")
    if not args.keep:
        shutil.rmtree(folder)


if __name__ == "__main__":
    main()
