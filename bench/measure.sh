#!/usr/bin/env bash
# Frame work of every replay and the real-clock figures of bench_frames, for one or more
# builds measured back to back (so a busy machine weighs on each alike).
#   bench/measure.sh [RUNS] [BUILD_DIR ...]     (defaults: 3 runs, build)
# Run from the repository root; builds need -DNULLVANE_BENCH=ON for the bench_frames part.
# Per replay and build: the median over the runs of the replay's median, p99 and max frame
# work, the process's processor seconds and its peak resident memory.
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-3}"
shift || true
builds=("${@:-build}")
export ALSOFT_DRIVERS=null
xvfb=(xvfb-run -a -s "-screen 0 1920x1080x24")
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR) print v[int((NR + 1) / 2)]; else print "-" }'; }

for replay in replays/*.txt; do
	name="$(basename "$replay" .txt)"
	for ((i = 0; i < runs; ++i)); do
		for b in "${builds[@]}"; do
			out="$tmp/$(echo "$b" | tr / _).$name"
			"${xvfb[@]}" /usr/bin/time -f "time %U %S %M" "$b/nullvane" --replay "$replay" 2>&1 |
				grep -E "^replay: [0-9]|^time " | tr '\n' ' ' >> "$out" || true
			echo >> "$out"
		done
	done
	for b in "${builds[@]}"; do
		out="$tmp/$(echo "$b" | tr / _).$name"
		col() { sed -n "s/.*$1 \([0-9.]*\).*/\1/p" "$out" | median; }
		cpu="$(awk '{ for (i = 1; i <= NF; ++i) if ($i == "time") print $(i + 1) + $(i + 2) }' "$out" | median)"
		rss="$(awk '{ for (i = 1; i <= NF; ++i) if ($i == "time") print $(i + 3) / 1024 }' "$out" | median)"
		printf "%-22s %-28s median %5s ms  p99 %6s ms  max %7s ms  cpu %6s s  peak %5.0f MB\n" \
			"$name" "$b" "$(col "median")" "$(col "p99")" "$(col "ms, max")" "$cpu" "$rss"
	done
done

for ((i = 0; i < runs; ++i)); do
	for b in "${builds[@]}"; do
		[ -x "$b/bench/bench_frames" ] || continue
		printf "%-28s " "$b"
		"${xvfb[@]}" "$b/bench/bench_frames" 2>/dev/null |
			grep -oE "(start_to_first_frame_ms|cpu_share_of_a_core|peak_resident_mb|pacing_error_max_ms)=[0-9.]+[a-zA-Z]*" |
			tr '\n' ' '
		echo
	done
done
