#!/usr/bin/env python3
"""Whole processes beside their yardsticks, timed from outside in one run.

Each case is a command of the editor and the command of another program doing the same
work (vipsthumbnail). The commands of every case alternate, RUNS times each;
printed as JSON: per command the median wall time (ms) and the median peak resident
memory (MB, the child's ru_maxrss).

  scripts/measure-processes.py BUILD_DIR PICTURE [--runs 7]

PICTURE is a large JPEG (bench_hotpaths leaves a 6000 x 4000 one in the temporary
folder). A batch of photos is timed by bench-table.py as one --convert --into call.
"""
import argparse
import json
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time


def run(command, env):
    t0 = time.perf_counter()
    p = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, env=env)
    _, status, usage = os.wait4(p.pid, 0)
    wall = (time.perf_counter() - t0) * 1000
    p.returncode = os.waitstatus_to_exitcode(status)
    err = p.stderr.read().decode(errors="replace")
    p.stderr.close()
    if p.returncode != 0:
        raise SystemExit(f"{' '.join(command)}: exit {p.returncode}: {err.strip()}")
    return wall, usage.ru_maxrss / 1024


def run_all(commands, env):
    """A list of commands run one after the other counts as one: the wall times add up,
    the peak is the largest."""
    wall, peak = 0.0, 0.0
    for c in commands:
        w, m = run(c, env)
        wall += w
        peak = max(peak, m)
    return wall, peak


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("build")
    ap.add_argument("picture")
    ap.add_argument("--runs", type=int, default=7)
    args = ap.parse_args()
    editor = os.path.join(os.path.abspath(args.build), "pictoria")
    for tool in ("vipsthumbnail",):
        if not shutil.which(tool):
            raise SystemExit(f"{tool} is not installed (Debian: libjpeg-turbo-progs, libvips-tools)")

    with tempfile.TemporaryDirectory() as work:
        env = os.environ | {"HOME": work, "XDG_CONFIG_HOME": os.path.join(work, ".config"),
                            "QT_QPA_PLATFORM": "offscreen"}
        out = lambda name: os.path.join(work, name)
        cases = {
            "convert": {
                "editor": [[editor, "--convert", args.picture, out("cover.jpg"), "--cover"]],
                "vipsthumbnail": [["vipsthumbnail", args.picture, "-s", "48x56", "-m", "centre", "-o",
                                   out("vips-cover.jpg")]],
            },
        }
        samples = {case: {name: [] for name in commands} for case, commands in cases.items()}
        for _ in range(args.runs):
            for case, commands in cases.items():
                for name, command in commands.items():
                    samples[case][name].append(run_all(command, env))
    result = {case: {name: {"wall_ms": statistics.median(w for w, _ in s),
                            "peak_mb": statistics.median(m for _, m in s), "runs": len(s)}
                     for name, s in by_name.items()}
              for case, by_name in samples.items()}
    print(json.dumps(result, indent=1))


if __name__ == "__main__":
    sys.exit(main())
