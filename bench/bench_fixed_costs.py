#!/usr/bin/env python3
"""What a conversion costs before it does any work, and per page. Not part of CI.

Usage: [QM_CORPUS_DIR=…] python3 bench/bench_fixed_costs.py [BUILD_DIR] [RUNS] [--big] [--million]
(default build-test, 5 runs; --big adds the 5,000-sheet workbook, --million the sheet of
1,000,000 cells of bench/make_million_cells.py, through quillmere-batch alone)

1. A bare host: started and asked to Quit at once.
2. One small workbook (3 sheets) through quillmere-batch, whole process.
3. Generated workbooks of 1,000 and 2,000 small sheets (bench/make_many_sheets.py), each sheet to
   a page: the ratio of the two shows how the time grows with the sheets.
4. The corpus's "ok" workbooks at --jobs 1.
Each line gives the median wall time and the median CPU time of the process and everything it
started. Where ssconvert (Debian package gnumeric) is installed it converts the same small and
many-sheet workbooks, a page per sheet, in the same run. On a machine others keep busy, compare
CPU times: wall times there measure the load as much as the program.
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
args = [a for a in sys.argv[1:] if not a.startswith("--")]
big = "--big" in sys.argv
million = "--million" in sys.argv
build = os.path.abspath(args[0] if args else os.path.join(here, "..", "build-test"))
runs = int(args[1]) if len(args) > 1 else 5
batch = os.path.join(build, "bin", "quillmere-batch")
host = os.path.join(build, "bin", "quillmere-host")
corpus = os.environ.get("QM_CORPUS_DIR", os.path.join(here, "..", "..", "shared", "corpus"))
small = os.path.join(corpus, "xlsx", "edr-TestMultiSheet.xlsx")
converter = shutil.which("ssconvert")
work = tempfile.mkdtemp(prefix="qm-fixed-")
QUIT = b'{"id":1,"object":1,"op":"call","member":"Quit","args":[],"named":{}}\n'


spent = 0


def timed(command, stdin=None, clean=None):
    """(wall s, CPU s of the command and everything it started) of one run."""
    global spent
    if clean:
        # The last run's pages are moved aside, not deleted, until the end: ext4 passes over
        # inodes freed in the last half minute or so when it allocates new ones, one by one, so
        # deleting thousands of pages just before a run makes creating each new page cost more
        # the more were deleted, whichever program writes them.
        if os.path.exists(clean):
            spent += 1
            os.rename(clean, os.path.join(work, f"spent{spent}"))
        os.makedirs(clean)
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    subprocess.run(command, input=stdin, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wall = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    return wall, after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime


def series(label, command, stdin=None, clean=None, count=runs):
    samples = [timed(command, stdin, clean) for _ in range(count)]
    wall = statistics.median(s[0] for s in samples)
    cpu = statistics.median(s[1] for s in samples)
    print(f"{label:46} wall {wall * 1000:9.1f} ms   CPU {cpu * 1000:9.1f} ms", flush=True)
    return wall, cpu


def compare(ours, theirs):
    print(f"{'':46} ratio to ssconvert: wall {ours[0] / theirs[0]:.3f}, CPU {ours[1] / theirs[1]:.3f}")


def sheets_to_pages(label, workbook, count=runs):
    out = os.path.join(work, "out")
    ours = series(f"{label}: quillmere-batch", [batch, "-q", "-j", "1", "-o", out, workbook],
                  clean=out, count=count)
    if converter:
        theirs = series(f"{label}: ssconvert", [converter, "-S", "--export-type=Gnumeric_html:html40",
                                                workbook, os.path.join(out, "page%n.html")],
                        clean=out, count=count)
        compare(ours, theirs)
    return ours


print(f"{build}, {runs} runs, load average {os.getloadavg()[0]:.1f}")
series("bare host: start and Quit", [host], stdin=QUIT, count=max(runs, 20))
sheets_to_pages("small workbook (3 sheets)", small, count=max(runs, 20))
sizes = [1000, 2000] + ([5000] if big else [])
times = {}
for sheets in sizes:
    workbook = os.path.join(work, f"many{sheets}.xlsx")
    subprocess.run([sys.executable, os.path.join(here, "make_many_sheets.py"), str(sheets), workbook],
                   check=True)
    times[sheets] = sheets_to_pages(f"{sheets} sheets", workbook)
print(f"{'':46} 2,000 against 1,000 sheets: wall {times[2000][0] / times[1000][0]:.2f}, "
      f"CPU {times[2000][1] / times[1000][1]:.2f}")

names = []
with open(os.path.join(corpus, "manifest.tsv"), encoding="utf-8") as manifest:
    next(manifest)
    for line in manifest:
        fields = line.rstrip("\n").split("\t")
        if len(fields) > 2 and fields[2] == "ok":
            names.append(os.path.join(corpus, fields[0]))
out = os.path.join(work, "corpus")
series(f"the corpus's {len(names)} ok workbooks, --jobs 1", [batch, "-q", "-j", "1", "-o", out] + names,
       clean=out, count=min(runs, 3))
if million:
    workbook = os.path.join(work, "million.xlsx")
    subprocess.run([sys.executable, os.path.join(here, "make_million_cells.py"), workbook], check=True)
    out = os.path.join(work, "million")
    series("1,000,000 cells: quillmere-batch", [batch, "-q", "-j", "1", "-o", out, workbook],
           clean=out)
print(f"load average at the end {os.getloadavg()[0]:.1f}")
shutil.rmtree(work, ignore_errors=True)
