#!/usr/bin/env python3
"""The import and the conversion of a 6000 x 4000 JPEG, measured as whole processes beside
their yardsticks in the same run, interleaved, RUNS times each; medians printed as JSON.

  import:  `pictoria --import big.jpg` under Xvfb, from the import's start to the import
           window's first paint (the editor's PICTORIA_TIMING marks), beside djpeg's whole
           decode of the same file (wall time of the process).
  convert: `pictoria --convert big.jpg out.jpg --cover` beside vipsthumbnail making the
           same 48 x 56 centre crop: wall time and peak resident memory of each process.

  scripts/measure-import.py [BUILD_DIR] [--runs 9] [--picture FILE]
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


def picture(path):
    # Photo-like: smooth areas with fine noise, about 6.5 MB at quality 90 (as a camera's).
    if not os.path.exists(path):
        subprocess.run(["convert", "-seed", "1", "-size", "1500x1000", "plasma:fractal", "-resize", "6000x4000!",
                        "-attenuate", "0.4", "+noise", "Gaussian", "-sampling-factor", "2x2", "-quality", "90",
                        path], check=True)
    return path


def timed(cmd, env=None):
    """Wall milliseconds and peak resident kilobytes of one process."""
    start = time.monotonic()
    p = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env)
    _, status, usage = os.wait4(p.pid, 0)
    wall = (time.monotonic() - start) * 1000
    p.returncode = os.waitstatus_to_exitcode(status)
    if p.returncode != 0:
        raise SystemExit(f"{cmd[0]} failed ({p.returncode})")
    return wall, usage.ru_maxrss


def editor_env(home):
    env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
               XDG_DATA_HOME=os.path.join(home, ".local/share"), XDG_STATE_HOME=os.path.join(home, ".local/state"),
               XDG_CACHE_HOME=os.path.join(home, ".cache"))
    return env


def import_once(build, path):
    """Milliseconds from the import's start to the import window's first paint."""
    with tempfile.TemporaryDirectory() as home:
        env = editor_env(home) | {"PICTORIA_TIMING": "1"}
        p = subprocess.Popen([os.path.join(build, "pictoria"), "--import", path], env=env,
                             stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        marks = {}
        deadline = time.monotonic() + 60
        try:
            for line in p.stderr:
                parts = line.split()
                if len(parts) == 3 and parts[0] == "pictoria-timing":
                    marks.setdefault(parts[1], float(parts[2]))
                if "import-shown" in marks or time.monotonic() > deadline:
                    break
        finally:
            p.terminate()  # the editor this run started; it keeps no state in its throw-away home
            p.wait(timeout=30)
        if "import-shown" not in marks:
            raise SystemExit("the import window never painted")
        return marks["import-shown"] - marks["import-start"], marks


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("build", nargs="?", default="build-bench")
    ap.add_argument("--runs", type=int, default=9)
    ap.add_argument("--picture", default=os.path.join(tempfile.gettempdir(), "pictoria-bench-6000x4000.jpg"))
    ap.add_argument("--inside-x", action="store_true", help=argparse.SUPPRESS)
    args = ap.parse_args()
    build = os.path.abspath(args.build)
    path = picture(os.path.abspath(args.picture))
    if not args.inside_x:
        cmd = ["xvfb-run", "-a", "-s", "-screen 0 1280x1024x24 -dpi 96 -br", sys.executable,
               os.path.abspath(__file__), build, "--runs", str(args.runs), "--picture", path, "--inside-x"]
        sys.exit(subprocess.call(cmd))

    runs = {k: [] for k in ("import_ms", "djpeg_ms", "convert_ms", "convert_kb", "vips_ms", "vips_kb")}
    with tempfile.TemporaryDirectory() as out:
        env = editor_env(out)
        for _ in range(args.runs):
            runs["import_ms"].append(import_once(build, path)[0])
            runs["djpeg_ms"].append(timed(["djpeg", "-outfile", os.devnull, path])[0])
            ms, kb = timed([os.path.join(build, "pictoria"), "--convert", path, os.path.join(out, "p.jpg"), "--cover"],
                           env)
            runs["convert_ms"].append(ms)
            runs["convert_kb"].append(kb)
            ms, kb = timed([shutil.which("vipsthumbnail"), path, "-s", "48x56", "--smartcrop", "centre",
                            "-o", os.path.join(out, "v.jpg")])
            runs["vips_ms"].append(ms)
            runs["vips_kb"].append(kb)
    result = {k: statistics.median(v) for k, v in runs.items()} | {"runs": args.runs}
    print(json.dumps(result, indent=1))


if __name__ == "__main__":
    main()
