#!/bin/bash
# Converts COUNT melody files of other makers to MIDI twice: in one command
# (quaverly-cli midi FILES -d OUTDIR) and one process per file, and prints
# both times. The files are copies of the .mld files of SAMPLES, round robin.
#   bash scripts/bench-batch.sh [CLI] [SAMPLES] [COUNT]
set -euo pipefail
cli=${1:-build/src/quaverly-cli}
samples=${2:-../shared/mfi-samples}
count=${3:-2000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in" "$work/one" "$work/each"
mapfile -t sources < <(find "$samples" -name '*.mld' | sort)
if ((${#sources[@]} == 0)); then
    echo "no .mld files in $samples" >&2
    exit 1
fi
for ((i = 0; i < count; i++)); do
    cp "${sources[i % ${#sources[@]}]}" "$work/in/$(printf 'song%05d.mld' "$i")"
done
start=$(date +%s.%N)
"$cli" midi "$work"/in/*.mld -d "$work/one" 2>/dev/null
middle=$(date +%s.%N)
for file in "$work"/in/*.mld; do
    "$cli" midi "$file" -o "$work/each/$(basename "${file%.mld}").mid"
done
end=$(date +%s.%N)
cmp -s <(cd "$work/one" && cat -- *.mid) <(cd "$work/each" && cat -- *.mid) || { echo "outputs differ" >&2; exit 1; }
awk -v a="$start" -v b="$middle" -v c="$end" -v n="$count" 'BEGIN {
    one = b - a; each = c - b
    printf "%d files: one command %.2f s, one process per file %.2f s (%.1f times as fast)\n", n, one, each, each / one
}'
