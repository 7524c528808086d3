#!/usr/bin/env python3
"""Where the time of one quillmere-batch run goes, and what --jobs gains. Not part of CI.

Usage: [QM_CORPUS_DIR=…] python3 bench/bench_batch_jobs.py [BUILD_DIR] [RUNS]   (default build, 15 runs)

1. One small workbook, whole process, as a user runs it: wall time (minimum and median of RUNS)
   and the CPU time of the batch and its host together, split into process start (--version),
   host start and end (a host that is asked to Quit at once) and the rest. A command-line
   converter (ssconvert, Debian package gnumeric) is timed on the same file when installed.
2. The corpus's "ok" workbooks, serially and with --jobs 2, alternating, the minimum of each.
Wall times mean little on a machine other work keeps busy: compare CPU times there, and run
the wall-time comparison on an idle machine.
"""
import os
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

here = os.path.dirname(os.path.abspath(__file__))
build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "build"))
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 15
bin_dir = os.path.join(build, "bin")
batch = os.path.join(bin_dir, "quillmere-batch")
host = os.path.join(bin_dir, "quillmere-host")
corpus = os.environ.get("QM_CORPUS_DIR", os.path.join(here, "..", "..", "shared", "corpus"))
small = os.path.join(corpus, "xlsx", "edr-TestMultiSheet.xlsx")
work = tempfile.mkdtemp(prefix="qm-bench-")
QUIT = b'{"id":1,"object":1,"op":"call","member":"Quit","args":[],"named":{}}\n'


def timed(command, stdin=None, clean=None):
    """(wall ms, CPU ms of the command and everything it started) of one run."""
    if clean:
        shutil.rmtree(clean, ignore_errors=True)
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    subprocess.run(command, input=stdin, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wall = (time.perf_counter() - start) * 1000
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime) * 1000
    return wall, cpu


def series(label, command, stdin=None, clean=None, count=runs):
    samples = [timed(command, stdin, clean) for _ in range(count)]
    walls = sorted(s[0] for s in samples)
    cpus = sorted(s[1] for s in samples)
    print(f"{label:44} wall min {walls[0]:7.1f} median {statistics.median(walls):7.1f} ms;"
          f" CPU min {cpus[0]:6.1f} median {statistics.median(cpus):6.1f} ms")
    return walls[0], statistics.median(cpus)


out = os.path.join(work, "out")
print(f"one small workbook ({os.path.basename(small)}, {os.path.getsize(small)} bytes), {runs} runs")
whole = series("quillmere-batch, whole process", [batch, "-q", "-o", out, small], clean=out)
start = series("  process start (--version)", [batch, "--version"])
host_only = series("  host start and Quit", [host], stdin=QUIT)
print(f"  the rest (reading, writing, the calls between): CPU about "
      f"{whole[1] - start[1] - host_only[1]:.1f} ms")
converter = shutil.which("ssconvert")
if converter:
    page = os.path.join(work, "ssconvert.html")
    other = series("ssconvert to HTML, whole process",
                   [converter, "--export-type=Gnumeric_html:html40", small, page])
    print(f"  quillmere-batch / ssconvert: wall {whole[0] / other[0]:.2f},"
          f" CPU {whole[1] / other[1]:.2f}")
else:
    print("no command-line converter installed (apt-get install gnumeric gives ssconvert)")

names = []
with open(os.path.join(corpus, "manifest.tsv"), encoding="utf-8") as manifest:
    next(manifest)
    for line in manifest:
        fields = line.rstrip("\n").split("\t")
        if len(fields) > 2 and fields[2] == "ok":
            names.append(os.path.join(corpus, fields[0]))
print(f"\nthe corpus's {len(names)} ok workbooks, per-sheet pages, 3 runs each, alternating")
best = {1: float("inf"), 2: float("inf")}
cpu = {1: [], 2: []}
for _ in range(3):
    for jobs in (1, 2):
        target = os.path.join(work, f"corpus{jobs}")
        wall, used = timed([batch, "-q", "-j", str(jobs), "-o", target] + names, clean=target)
        best[jobs] = min(best[jobs], wall)
        cpu[jobs].append(used)
for jobs in (1, 2):
    print(f"--jobs {jobs}: wall min {best[jobs]:7.0f} ms; CPU median {statistics.median(cpu[jobs]):6.0f} ms")
print(f"speed-up of --jobs 2: {best[1] / best[2]:.2f}x (load average {os.getloadavg()[0]:.1f})")
shutil.rmtree(work, ignore_errors=True)
