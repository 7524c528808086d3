#!/usr/bin/env python3
"""The window's Convert of one workbook of many small sheets against quillmere-batch on the same
workbook, a page per sheet. Not part of CI.

Usage: python3 bench/bench_window_sheets.py [BUILD_DIR] [SHEETS] [RUNS]
(default build-bench, 2,000 sheets, 5 runs; BUILD_DIR configured with -DQM_BUILD_BENCH=ON and
bench_convert, quillmere-host and quillmere-batch built in it)

The window is driven offscreen through bench_convert's BM_WindowManySheets, with the real host
and each operation's own host as the window starts them; the batch program runs as a process.
The window's line is Google Benchmark's mean of 5 runs (its counter cpu_with_host_ms the CPU
time of the window's process and its hosts per run); the batch's gives the medians of RUNS runs,
CPU time of the batch and its host.
"""
import os
import resource
import statistics
import subprocess
import sys
import tempfile
import time

here = os.path.dirname(os.path.abspath(__file__))
build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "build-bench"))
sheets = int(sys.argv[2]) if len(sys.argv) > 2 else 2000
runs = int(sys.argv[3]) if len(sys.argv) > 3 else 5

with tempfile.TemporaryDirectory(prefix="qm-window-") as work:
    workbook = os.path.join(work, f"many{sheets}.xlsx")
    subprocess.run([sys.executable, os.path.join(here, "make_many_sheets.py"), str(sheets), workbook],
                   check=True)
    print(f"{build}, {sheets} sheets, {runs} runs, load average {os.getloadavg()[0]:.1f}", flush=True)
    samples = []
    for run in range(runs):
        out = os.path.join(work, f"out{run}")  # a new folder each run, deleted at the end
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.perf_counter()
        subprocess.run([os.path.join(build, "bin", "quillmere-batch"), "-q", "-j", "1", "-o", out,
                        workbook], check=True)
        wall = time.perf_counter() - start
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        samples.append((wall, after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime))
    print(f"quillmere-batch: wall {statistics.median(s[0] for s in samples) * 1000:.1f} ms, "
          f"CPU {statistics.median(s[1] for s in samples) * 1000:.1f} ms (medians)")
    # The window after the batch: its pages are deleted when it ends, and a run soon after
    # thousands of deletions writes more slowly (see bench_convert).
    subprocess.run([os.path.join(build, "bin", "bench_convert"),
                    "--benchmark_filter=WindowManySheets"],
                   env=dict(os.environ, QM_MANY_SHEETS=workbook, QT_QPA_PLATFORM="offscreen"),
                   check=True)
