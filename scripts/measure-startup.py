#!/usr/bin/env python3
"""Start-up of the editor against floor C, measured from outside under Xvfb.

Each run starts the program through bench/startup_probe: time from process start to the
first top-level window mapped and painted, resident memory (VmRSS) one second later, and
CPU time over the next idle seconds, from /proc. The editor and floor C alternate, RUNS
times each, in one X server; the medians are printed as JSON.

  scripts/measure-startup.py [BUILD_DIR] [--runs 15] [--idle 5] [--also NAME=PROGRAM ...]

--also adds programs to the same alternation (another build of the editor, to compare
two builds on the same machine at the same moment).
"""
import argparse
import json
import os
import statistics
import subprocess
import sys
import tempfile

FIELDS = ("mapped_ms", "painted_ms", "startup_cpu_ms", "rss_kb", "idle_cpu_ms")


def probe(build, idle, program):
    # A run the probe could not read (the window never painted in time) is tried again.
    for attempt in range(3):
        r = subprocess.run([os.path.join(build, "bench", "startup_probe"), str(idle), program],
                           capture_output=True, text=True, timeout=120)
        if r.returncode == 0:
            return {k: float(v) for k, v in (p.split("=") for p in r.stdout.split())}
        print(f"{os.path.basename(program)}: {r.stderr.strip()} (attempt {attempt + 1})", file=sys.stderr)
    raise SystemExit(f"{program}: no reading after 3 attempts")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("build", nargs="?", default="build-bench")
    ap.add_argument("--runs", type=int, default=15)
    ap.add_argument("--idle", type=int, default=5)
    ap.add_argument("--also", action="append", default=[], metavar="NAME=PROGRAM")
    ap.add_argument("--inside-x", action="store_true", help=argparse.SUPPRESS)
    args = ap.parse_args()
    build = os.path.abspath(args.build)
    if not args.inside_x:
        cmd = ["xvfb-run", "-a", "-s", "-screen 0 1280x1024x24 -dpi 96 -br", sys.executable,
               os.path.abspath(__file__), build, "--runs", str(args.runs), "--idle", str(args.idle), "--inside-x"]
        cmd += [f"--also={a.split('=', 1)[0]}={os.path.abspath(a.split('=', 1)[1])}" for a in args.also]
        sys.exit(subprocess.call(cmd))

    programs = {"floor_c": os.path.join(build, "bench", "floor_c_window"),
                "editor": os.path.join(build, "pictoria")}
    programs |= dict(a.split("=", 1) for a in args.also)
    runs = {name: [] for name in programs}
    # The editor keeps its settings in a throw-away home, so every run starts alike.
    with tempfile.TemporaryDirectory() as home:
        os.environ["HOME"] = home
        os.environ["XDG_CONFIG_HOME"] = os.path.join(home, ".config")
        for _ in range(args.runs):
            for name, program in programs.items():
                runs[name].append(probe(build, args.idle, program))
    result = {name: {k: statistics.median(r[k] for r in rs) for k in FIELDS} | {"runs": len(rs), "idle_s": args.idle}
              for name, rs in runs.items()}
    print(json.dumps(result, indent=1))


if __name__ == "__main__":
    main()
