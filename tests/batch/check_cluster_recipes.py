#!/usr/bin/env python3
"""Checks the cluster recipes without a cluster: the shell scripts parse, the Kubernetes manifest
is an Indexed Job whose shard count agrees in every place, and the image definition copies what
the batch needs to start its host.

usage: check_cluster_recipes.py SOURCE_DIR
"""

import pathlib
import re
import subprocess
import sys

import yaml

root = pathlib.Path(sys.argv[1])
cluster = root / "packaging" / "cluster"
problems = []

for script in sorted(cluster.glob("*.sh")) + sorted(cluster.glob("*.sbatch")) + [
        root / "scripts" / "slurm-test.sh"]:
    parsed = subprocess.run(["bash", "-n", str(script)], capture_output=True, text=True)
    if parsed.returncode != 0:
        problems.append(f"{script.name}: {parsed.stderr.strip()}")

job = yaml.safe_load((cluster / "quillmere-job.yaml").read_text())
spec = job["spec"]
if job["kind"] != "Job" or spec.get("completionMode") != "Indexed":
    problems.append("quillmere-job.yaml: not an Indexed Job")
command = " ".join(spec["template"]["spec"]["containers"][0]["args"])
shards = re.search(r'--shard "\$shard/(\d+)"', command)
if not shards or not (int(shards.group(1)) == spec["completions"] == spec["parallelism"]):
    problems.append("quillmere-job.yaml: --shard N, completions and parallelism differ")
if "JOB_COMPLETION_INDEX + 1" not in command:
    problems.append("quillmere-job.yaml: the shard is not the completion index plus one")

image = (cluster / "Containerfile").read_text()
for needed in ("quillmere-batch", "quillmere-host", "ENTRYPOINT", "USER"):
    if needed not in image:
        problems.append(f"Containerfile: no {needed}")

for problem in problems:
    print(problem, file=sys.stderr)
sys.exit(1 if problems else 0)
