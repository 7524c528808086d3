#!/usr/bin/env bash
# Converts a workbook archive on several machines over ssh with GNU Parallel: one shard per
# machine slot, every machine seeing the list, the archive and the output directory at the same
# paths (a shared file system).
#
#   QM_NODES=nodes.txt QM_SHARDS=16 bash quillmere-parallel.sh /archive/list.txt /web
#
# QM_NODES  GNU Parallel's --sshloginfile: one machine a line, "4/node1" for 4 slots on node1
# QM_SHARDS the number of shards (default 16); each runs `quillmere-batch --jobs 1` on one slot
# QM_BATCH  quillmere-batch on the machines (default: the one on their PATH)
# QM_ROOT   the folder the list's relative paths start from (default: the home folder on each
#           machine); the outputs mirror the paths below it
#
# Each shard writes its own report (OUTPUT/.reports/report-K.jsonl); run the same command again
# after a failure and --skip-done converts only what is left. The merged report is
# OUTPUT/.reports/report.jsonl.
set -euo pipefail
list=${1:?usage: quillmere-parallel.sh LIST OUTPUT}
output=${2:?usage: quillmere-parallel.sh LIST OUTPUT}
nodes=${QM_NODES:?QM_NODES names GNU Parallel\'s ssh login file}
shards=${QM_SHARDS:-16}
batch=${QM_BATCH:-quillmere-batch}
mkdir -p "$output/.reports"
status=0
# --retries reruns a shard whose machine went away; its report makes the rerun short.
parallel --sshloginfile "$nodes" --workdir "${QM_ROOT:-.}" --retries 2 --line-buffer --tag \
    "$batch" --files-from "$list" --mirror --shard "{}/$shards" --jobs 1 --quiet \
    --report "$output/.reports/report-{}.jsonl" --skip-done -o "$output" ::: $(seq "$shards") ||
    status=$?
cat "$output/.reports"/report-[0-9]*.jsonl >"$output/.reports/report.jsonl"
exit "$status"
