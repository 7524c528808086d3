#!/usr/bin/env bash
# Runs quillmere-batch as a Slurm job array on a one-node cluster started on this machine, over a
# copy of the corpus (good, damaged and encrypted workbooks) in 4 shards, and checks that every
# good workbook is converted exactly once, every bad one is reported failed with its kind, and a
# second submission converts nothing. As root, after a build:
#
#   bash scripts/slurm-test.sh [BUILD-DIR]      (default build-test)
#
# Installs Debian's Slurm and munge packages when they are missing, writes every configuration
# to a temporary folder, starts munged, slurmctld and slurmd itself and stops them (and removes
# the folder) however it ends. Every wait is bounded.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$(realpath "${1:-build-test}")
batch=$build/bin/quillmere-batch
corpus=$(realpath "${QM_CORPUS_DIR:-../shared/corpus}")
shards=4
limit=120 # seconds for each submission

[ "$(id -u)" = 0 ] || { echo "slurm-test: run as root (it starts the cluster's daemons)" >&2; exit 2; }
[ -x "$batch" ] || { echo "slurm-test: no $batch; build quillmere-batch first" >&2; exit 2; }
[ -f "$corpus/manifest.tsv" ] || { echo "slurm-test: no corpus at $corpus" >&2; exit 2; }

missing=()
for package in slurmctld slurmd slurm-client munge; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
        missing+=("$package")
done
if ((${#missing[@]})); then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

work=$(mktemp -d /tmp/qm-slurm.XXXXXX)
chmod 755 "$work"
daemons=()
stop() {
    local status=$?
    for pid in "${daemons[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${daemons[@]}"; do
        for _ in $(seq 50); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -9 "$pid" 2>/dev/null || true
    done
    if [ "$status" != 0 ]; then
        for log in "$work"/*.log; do
            [ -f "$log" ] && { echo "--- $log"; tail -n 30 "$log"; } >&2
        done
    fi
    rm -rf "$work"
    exit "$status"
}
trap stop EXIT
trap 'exit 130' INT TERM

# Waits up to $1 seconds for the command after it to succeed.
wait_for() {
    local seconds=$1
    shift
    local deadline=$((SECONDS + seconds))
    until "$@" >/dev/null 2>&1; do
        ((SECONDS < deadline)) || return 1
        sleep 0.5
    done
}

# munge: a key of our own and a socket in the temporary folder.
mkdir -m 700 "$work/munge"
dd if=/dev/urandom of="$work/munge/munge.key" bs=1024 count=1 status=none
chmod 400 "$work/munge/munge.key"
socket=$work/munge/munge.socket
munged --force --key-file="$work/munge/munge.key" --socket="$socket" \
    --pid-file="$work/munge/munged.pid" --seed-file="$work/munge/seed" \
    --log-file="$work/munged.log"
wait_for 10 test -s "$work/munge/munged.pid" || { echo "slurm-test: munged did not start" >&2; exit 1; }
daemons+=("$(cat "$work/munge/munged.pid")")

# Ports away from Slurm's defaults, so a cluster already on this machine is left alone.
node=$(hostname -s)
port=$((20000 + RANDOM % 20000))
mkdir -p "$work/state" "$work/spool" "$work/jobs"
cat >"$work/slurm.conf" <<CONF
ClusterName=qmtest
SlurmctldHost=$node
SlurmctldPort=$port
SlurmdPort=$((port + 1))
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
AuthInfo=socket=$socket
CryptoType=crypto/munge
StateSaveLocation=$work/state
SlurmdSpoolDir=$work/spool
SlurmctldPidFile=$work/slurmctld.pid
SlurmdPidFile=$work/slurmd.pid
SlurmctldLogFile=$work/slurmctld.log
SlurmdLogFile=$work/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
SchedulerType=sched/builtin
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
MpiDefault=none
ReturnToService=2
SlurmdParameters=config_overrides
NodeName=$node CPUs=$(nproc) State=UNKNOWN
PartitionName=qm Nodes=$node Default=YES MaxTime=10 State=UP
CONF
export SLURM_CONF=$work/slurm.conf
slurmctld -D -i -f "$SLURM_CONF" >"$work/slurmctld.out" 2>&1 &
daemons+=("$!")
slurmd -D -f "$SLURM_CONF" -N "$node" >"$work/slurmd.out" 2>&1 &
daemons+=("$!")
node_idle() { [ "$(sinfo -h -n "$node" -o %T 2>/dev/null)" = idle ]; }
wait_for 60 node_idle || { echo "slurm-test: the node did not come up" >&2; exit 1; }

# The corpus's workbooks that the manifest calls good, and those under bad/, listed once.
mkdir -p "$work/in"
cp -r "$corpus"/. "$work/in/"
python3 - "$work/in" "$work/list" "$work/expected.json" <<'PY'
import csv, json, os, sys
root, list_path, expected_path = sys.argv[1:]
# Encrypted with the application's default password: it opens them without asking, and so do we.
default_password = {"bad/calamine-issue_385.xls"}
good, bad = [], []
with open(os.path.join(root, "manifest.tsv"), newline="") as manifest:
    for row in csv.DictReader(manifest, delimiter="\t"):
        path = os.path.join(root, row["file"])
        if row["expected"] == "ok" or row["file"] in default_password:
            good.append(path)
        elif row["file"].startswith("bad/"):
            bad.append(path)
with open(list_path, "w") as out:
    out.writelines(p + "\n" for p in good + bad)
json.dump({"good": good, "bad": bad}, open(expected_path, "w"))
print(f"slurm-test: {len(good)} good and {len(bad)} bad workbooks in {os.environ.get('SHARDS', 4)} shards")
PY

# Submits the array and the merge after it, and waits for both within the limit.
submit() {
    local array merge
    array=$(sbatch --parsable --array=1-$shards --chdir="$work/jobs" \
        --export=ALL,QM_LIST="$work/list",QM_OUT="$work/out",QM_REPORTS="$work/reports",QM_BATCH="$batch" \
        "$root/packaging/cluster/quillmere-array.sbatch")
    merge=$(sbatch --parsable --dependency=afterany:"$array" --chdir="$work/jobs" \
        --export=ALL,QM_REPORTS="$work/reports" "$root/packaging/cluster/quillmere-merge.sbatch")
    queue_empty() { [ -z "$(squeue -h -j "$array,$merge" 2>/dev/null)" ]; }
    if ! wait_for "$limit" queue_empty; then
        echo "slurm-test: the jobs did not end within $limit s" >&2
        squeue >&2 || true
        exit 1
    fi
    cat "$work/jobs"/quillmere-merge-*.log
    rm -f "$work/jobs"/quillmere-merge-*.log
}

start=$SECONDS
submit
mkdir "$work/first"
cp "$work/reports"/report-*.jsonl "$work/first/"
first=$((SECONDS - start))
start=$SECONDS
submit
second=$((SECONDS - start))

python3 - "$work/expected.json" "$work/first" "$work/reports" "$shards" <<'PY'
import collections, json, os, sys
expected = json.load(open(sys.argv[1]))
def lines(path):
    if not os.path.exists(path):
        return []
    with open(path, encoding="utf-8", errors="surrogateescape") as report:
        return [json.loads(line) for line in report if line.strip()]
# Each task appends to its own report: what the second submission wrote follows the first's.
first, second = [], []
for shard in range(1, int(sys.argv[4]) + 1):
    name = f"report-{shard}.jsonl"
    before, after = lines(os.path.join(sys.argv[2], name)), lines(os.path.join(sys.argv[3], name))
    first += before
    second += after[len(before):]
problems = []
converted = collections.Counter(r["path"] for r in first if r["status"] == "converted")
failed = {r["path"]: r for r in first if r["status"] == "failed"}
for path in expected["good"]:
    if converted[path] != 1:
        problems.append(f"{path}: converted {converted[path]} times, not once"
                        + (f" ({failed[path]['error']})" if path in failed else ""))
for path in expected["bad"]:
    record = failed.get(path)
    if record is None:
        problems.append(f"{path}: not reported as failed")
    elif record["kind"] not in ("damaged", "encrypted", "unreadable") or not record["error"]:
        problems.append(f"{path}: failed as {record['kind']!r}: {record['error']}")
again = [r["path"] for r in second if r["status"] == "converted"]
if again:
    problems.append(f"the second submission converted {len(again)} workbooks: {again[:3]}")
skipped = {r["path"] for r in second if r["status"] == "skipped"}
if skipped != set(expected["good"]):
    problems.append(f"the second submission skipped {len(skipped)} of {len(expected['good'])}")
for problem in problems:
    print("slurm-test:", problem, file=sys.stderr)
kinds = collections.Counter(r["kind"] for r in failed.values())
print(f"slurm-test: {sum(converted.values())} converted once each, {len(failed)} failed "
      f"({dict(kinds)}); the second submission skipped {len(skipped)} and converted none")
sys.exit(1 if problems else 0)
PY
echo "slurm-test: passed (first submission $first s, second $second s)"
