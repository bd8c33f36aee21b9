#!/usr/bin/env python3
"""Runs the benchmarks and the start-up probe once and prints the README's figures table.

Every figure is the median of REPS repetitions (the machine is shared, so single runs are
noisy) and is shown beside its floor from the same run of the same binary:
  A  one memcpy of the magnified image (384 x 448 x 4 bytes)
  B  libjpeg-turbo's own decode of the same file; for Save, libjpeg-turbo's encode of the
     same portrait with the same settings plus the same durable write done directly
     (a new file beside the target, fdatasync, rename, fsync of the folder)
  D  libpng's own decode of the same PNG
  C  a bare Qt Widgets window of the editor's shape (start-up, memory)
  and whole processes beside djpeg and vipsthumbnail (scripts/measure-processes.py).

  scripts/bench-table.py [BUILD_DIR] [--reps 7] [--runs 15] [--idle 5] [--reuse]

The raw output of the run is written to scripts/bench-results/ (kept in the repository).
"""
import argparse
import glob
import json
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

UNIT = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}


# Each run's raw output is kept beside this script, so the README's table can be traced to
# the run it came from and tabled again without running anything (--reuse).
RESULTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "bench-results")


def run_json(build, reps, reuse, program, saved_name, extra=()):
    saved = os.path.join(RESULTS, saved_name)
    if not reuse:
        out = subprocess.run([os.path.join(build, "bench", program), "--benchmark_format=json",
                              f"--benchmark_repetitions={reps}", "--benchmark_report_aggregates_only=true",
                              "--benchmark_min_time=0.2", *extra],
                             check=True, capture_output=True, text=True,
                             env=os.environ | {"QT_QPA_PLATFORM": "offscreen"}).stdout
        with open(saved, "w") as f:
            f.write(out)
    with open(saved) as f:
        return medians_of(f.read())


def medians_of(out):
    medians = {}
    for b in json.loads(out)["benchmarks"]:
        if b.get("aggregate_name") != "median":
            continue
        name = b["run_name"].removesuffix("/real_time").removesuffix("/manual_time")
        medians[name] = dict(us=b["real_time"] * UNIT[b["time_unit"]],
                             counters={k: v for k, v in b.items()
                                       if k in ("painted_px", "view_px", "cell_px", "floor_us")})
    return medians


def whole_runs(reps, commands):
    """Wall-clock medians, in µs, of whole processes, the commands interleaved run by run."""
    times = {name: [] for name in commands}
    for _ in range(reps):
        for name, (argv, out_dir) in commands.items():
            shutil.rmtree(out_dir, ignore_errors=True)
            os.makedirs(out_dir)
            start = time.perf_counter()
            subprocess.run(argv, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            times[name].append((time.perf_counter() - start) * 1e6)
    return {name: statistics.median(t) for name, t in times.items()}


def batch_of_faces(build, reps, reuse):
    """The face photos of tests/faces/ (14, repeating the first ones) made into portraits by one
    pictoria --convert ... --into call (--cover, and --face) and by one vipsthumbnail call."""
    saved = os.path.join(RESULTS, "batch_faces.json")
    if not reuse:
        here = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
        photos = sorted(glob.glob(os.path.join(here, "tests", "faces", "*.jpg")))
        work = tempfile.mkdtemp(prefix="pictoria-batch-")
        inputs = []
        for i in range(14):
            src = photos[i % len(photos)]
            dst = os.path.join(work, f"{i:02d}-{os.path.basename(src)}")
            shutil.copy(src, dst)
            inputs.append(dst)
        ours, theirs = os.path.join(work, "pictoria"), os.path.join(work, "vips")
        pictoria = [os.path.join(build, "pictoria"), "--convert", *inputs, "--into", ours]
        medians = whole_runs(reps, {
            "pictoria": (pictoria + ["--cover"], ours),
            "pictoria_face": (pictoria + ["--face"], ours),
            "vipsthumbnail": (["vipsthumbnail", *inputs, "--size", "48x56", "--smartcrop", "attention",
                               "-o", os.path.join(theirs, "%s.jpg")], theirs),
        })
        shutil.rmtree(work, ignore_errors=True)
        with open(saved, "w") as f:
            json.dump(medians, f)
    with open(saved) as f:
        return json.load(f)


def fmt_us(us):
    return f"{us / 1000:.1f} ms" if us >= 1000 else f"{us:.1f} µs"


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("build", nargs="?", default="build-bench")
    ap.add_argument("--reps", type=int, default=7)
    ap.add_argument("--runs", type=int, default=15)
    ap.add_argument("--idle", type=int, default=5)
    ap.add_argument("--reuse", action="store_true", help="table again from the saved run in scripts/bench-results/")
    args = ap.parse_args()
    here = os.path.dirname(os.path.abspath(__file__))
    os.makedirs(RESULTS, exist_ok=True)
    m = run_json(args.build, args.reps, args.reuse, "bench_hotpaths", "bench_hotpaths.json",
                 ["--benchmark_filter=-BM_ImportSandboxEntry"])
    # The sandbox entry forks: from a process that ran the window benchmarks the child pays for
    # the parent's heap, which the helper (a fresh process) does not. It runs in a process of its own.
    m |= run_json(args.build, args.reps, args.reuse, "bench_hotpaths", "bench_sandbox.json",
                  ["--benchmark_filter=BM_ImportSandboxEntry"])
    zoom = run_json(args.build, args.reps, args.reuse, "bench_import", "bench_import_zoom.json",
                    ["--benchmark_filter=ImportZoomStep|ScaleVisibleArea|FitWholePicture"])
    faces = run_json(args.build, args.reps, args.reuse, "bench_faces", "bench_faces.json")
    batch = batch_of_faces(args.build, args.reps, args.reuse)
    saved_start = os.path.join(RESULTS, "startup.json")
    if not args.reuse:
        out = subprocess.run([sys.executable, os.path.join(here, "measure-startup.py"), args.build,
                              "--runs", str(args.runs), "--idle", str(args.idle)],
                             check=True, stdout=subprocess.PIPE, text=True).stdout
        with open(saved_start, "w") as f:
            f.write(out)
    with open(saved_start) as f:
        start = json.load(f)
    # The import and the conversion as whole processes, beside djpeg and vipsthumbnail.
    saved_import = os.path.join(RESULTS, "import-e2e.json")
    if not args.reuse:
        out = subprocess.run([sys.executable, os.path.join(here, "measure-import.py"), args.build,
                              "--runs", str(args.runs)], check=True, stdout=subprocess.PIPE, text=True).stdout
        with open(saved_import, "w") as f:
            f.write(out)
    imp = None
    if os.path.exists(saved_import):
        with open(saved_import) as f:
            imp = json.load(f)
    saved_processes = os.path.join(RESULTS, "processes.json")
    if not args.reuse:
        picture = os.path.join(tempfile.gettempdir(), "pictoria-bench-6000x4000.jpg")
        out = subprocess.run([sys.executable, os.path.join(here, "measure-processes.py"), args.build, picture,
                              "--runs", str(args.reps)], check=True, stdout=subprocess.PIPE, text=True).stdout
        with open(saved_processes, "w") as f:
            f.write(out)
    with open(saved_processes) as f:
        proc = json.load(f)

    rows = []
    A = m["BM_FloorA_Memcpy"]["us"]

    def row(case, name, floor_name, floor_us, target=None):
        us = m[name]["us"]
        ratio = us / floor_us
        verdict = "" if target is None else ("met" if ratio <= target else f"missed by {ratio / target:.2f} x")
        rows.append((case, fmt_us(us), f"{floor_name} {fmt_us(floor_us)}", f"{ratio:.2f}",
                     "" if target is None else f"<= {target}", verdict))

    row("Pointer move, no commit (handler)", "BM_MoveWithoutCommit/0", "A", A, 3)
    row("Pointer move, no commit (+ repaint)", "BM_MoveWithoutCommit/1", "A", A, 3)
    row("Brush move committing a cell (handler)", "BM_MoveCommittingCell/0", "A", A, 3.5)
    row("Brush move committing a cell (+ repaint)", "BM_MoveCommittingCell/1", "A", A, 4)
    row("DrawtoBB (whole rebuild)", "BM_DrawtoBB", "A", A, 2)
    row("Import drag step", "BM_ImportDragStep", "A", A, 4)
    for q in (100, 85, 70, 55):
        # Ctrl+S as a whole beside the durable-write floor timed in the same iterations.
        save = m[f"BM_SaveCommand/{q}"]
        floor = save["counters"]["floor_us"]
        ratio = save["us"] / floor
        rows.append((f"Save of a portrait (Ctrl+S), quality {q}", fmt_us(save["us"]), f"B durable {fmt_us(floor)}",
                     f"{ratio:.2f}", "<= 1.3", "met" if ratio <= 1.3 else f"missed by {ratio / 1.3:.2f} x"))
        row(f"Open portrait, quality {q}", f"BM_OpenPortrait/{q}", "B", m[f"BM_FloorB_DecodePortrait/{q}"]["us"], 2)
    B = m["BM_FloorB_DecodeLargeJpeg"]["us"]
    D = m["BM_FloorD_DecodeLargePng"]["us"]
    row("Import decode 6000x4000 JPEG (helper)", "BM_ImportDecodeHelper/0", "B", B, 1.3)
    row("Import decode 6000x4000 JPEG (in-process FreeImage)", "BM_ImportDecodeInProcess/0", "B", B)
    row("Import decode 6000x4000 PNG (helper)", "BM_ImportDecodeHelper/1", "D", D, 1.3)
    row("Import decode 6000x4000 PNG (in-process FreeImage)", "BM_ImportDecodeInProcess/1", "D", D)
    # One wheel step in the import window on a 6000 x 4000 picture, beside scaling only the
    # visible area at that step (bench_import).
    for step, label in ((-8, "1/4"), (-4, "1/2"), (-1, "0.84"), (4, "2x"), (12, "8x")):
        us = zoom[f"BM_ImportZoomStep/{step}"]["us"]
        # The sharp filter's row; runs kept from before it existed have one row per step.
        floor = zoom.get(f"BM_ScaleVisibleArea/{step}/1", zoom.get(f"BM_ScaleVisibleArea/{step}"))["us"]
        ratio = us / floor
        rows.append((f"Import zoom step to {label}, 6000x4000 picture", fmt_us(us), f"visible area {fmt_us(floor)}",
                     f"{ratio:.2f}", "<= 2", "met" if ratio <= 2 else f"missed by {ratio / 2:.2f} x"))
    sandbox = m["BM_ImportSandboxEntry"]["us"]
    rows.append(("Import helper sandbox set-up, per import", fmt_us(sandbox), "", "", "< 1 ms",
                 "met" if sandbox < 1000 else f"missed by {sandbox / 1000:.2f} x"))

    framing = faces["BM_FaceFraming24MP"]["us"]
    rows.append(("Face framing on a 24-megapixel photo (A: grey copy, helper's search, framing)", fmt_us(framing),
                 f"grey copy {fmt_us(faces['BM_FaceGreyCopy24MP']['us'])}", "", "<= 100 ms",
                 "met" if framing <= 100e3 else f"missed by {framing / 100e3:.2f} x"))
    for key, how in (("pictoria", "--cover"), ("pictoria_face", "--face, faces found")):
        ratio_b = batch[key] / batch["vipsthumbnail"]
        rows.append((f"14 face photos to portraits (one --convert --into call, {how})", fmt_us(batch[key]),
                     f"vipsthumbnail, one call, {fmt_us(batch['vipsthumbnail'])}", f"{ratio_b:.2f}", "<= 1.0",
                     "met" if ratio_b <= 1.0 else f"missed by {ratio_b:.2f} x"))

    c = m["BM_RepaintAreaPerCommit"]["counters"]
    e, f = start["editor"], start["floor_c"]
    print(f"Floors: A = {fmt_us(A)} (memcpy of 688,128 bytes), B = {fmt_us(B)} (libjpeg-turbo, 6000x4000 JPEG), "
          f"D = {fmt_us(D)} (libpng, 6000x4000 PNG), C = bare Qt window. Medians of {args.reps} repetitions; start-up medians of {args.runs} runs.\n")
    print("| Case | Median | Floor | Ratio | Target | |")
    print("|---|---:|---:|---:|---:|---|")
    for r in rows:
        print("| " + " | ".join(r) + " |")
    painted = c.get("painted_px", 0)
    print(f"| Area repainted per committed move | {painted:.0f} px | view {c.get('view_px', 0):.0f} px "
          f"| {painted / c.get('view_px', 1):.3f} | cell + popups | "
          f"{'met' if painted <= 64 + 2 * 130 * 21 else 'missed'} |")
    ratio_t = e["mapped_ms"] / f["mapped_ms"]
    ratio_p = e["painted_ms"] / f["painted_ms"]
    ratio_m = e["rss_kb"] / f["rss_kb"]
    print(f"| Start-up to the mapped window | {e['mapped_ms']:.0f} ms | C {f['mapped_ms']:.0f} ms | {ratio_t:.2f} "
          f"| <= 1.15 | {'met' if ratio_t <= 1.15 else f'missed by {ratio_t / 1.15:.2f} x'} |")
    print(f"| Start-up to the first painted frame | {e['painted_ms']:.0f} ms | C {f['painted_ms']:.0f} ms "
          f"| {ratio_p:.2f} | | |")
    print(f"| CPU time spent up to the first frame | {e['startup_cpu_ms']:.0f} ms | C {f['startup_cpu_ms']:.0f} ms "
          f"| {e['startup_cpu_ms'] / max(f['startup_cpu_ms'], 1):.2f} | | |")
    print(f"| Resident memory 1 s after start | {e['rss_kb'] / 1024:.1f} MB | C {f['rss_kb'] / 1024:.1f} MB "
          f"| {ratio_m:.2f} | <= 1.1 | {'met' if ratio_m <= 1.1 else f'missed by {ratio_m / 1.1:.2f} x'} |")
    if imp:
        ratio = imp["import_ms"] / imp["djpeg_ms"]
        print(f"| 6000x4000 JPEG: import start to the import window painted | {imp['import_ms']:.0f} ms "
              f"| djpeg whole decode {imp['djpeg_ms']:.0f} ms | {ratio:.2f} | <= 1.0 | "
              f"{'met' if ratio <= 1.0 else f'missed by {ratio:.2f} x'} |")
    print(f"| CPU while idle ({e['idle_s']} s) | {e['idle_cpu_ms']:.0f} ms | C {f['idle_cpu_ms']:.0f} ms | | 0 | "
          f"{'met' if e['idle_cpu_ms'] <= f['idle_cpu_ms'] + 10 else 'missed'} |")

    # Whole processes, each beside its yardstick from the same run.
    def process_row(case, ours, theirs, floor_name, target, memory_target=None):
        t = ours["wall_ms"] / theirs["wall_ms"]
        verdict = "met" if t <= target else f"missed by {t / target:.2f} x"
        text = (f"| {case} | {ours['wall_ms']:.0f} ms, {ours['peak_mb']:.0f} MB | {floor_name} {theirs['wall_ms']:.0f} ms, "
                f"{theirs['peak_mb']:.0f} MB | {t:.2f}")
        if memory_target is not None:
            mem = ours["peak_mb"] / theirs["peak_mb"]
            text += f", memory {mem:.2f}"
            verdict += "; memory " + ("met" if mem <= memory_target else f"missed by {mem / memory_target:.2f} x")
            print(f"{text} | <= {target} time, <= {memory_target} memory | {verdict} |")
        else:
            print(f"{text} | <= {target} | {verdict} |")

    process_row("`--convert IN OUT --cover`, 6000x4000 JPEG", proc["convert"]["editor"],
                proc["convert"]["vipsthumbnail"], "vipsthumbnail", 1.0, 1.5)


if __name__ == "__main__":
    main()
