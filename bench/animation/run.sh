#!/usr/bin/env bash
# Animation cost of the saver beside a bare reference frame and an idle 10 ms timer, run alternately on a
# private prefix and display; prints figures only. Argument: the build folder (default: the project's).
# Env: ROUNDS (default 3), LONG=1 for a 10-minute working-set run instead of 3 minutes.
source "$(dirname "$0")/../../scripts/lib.sh"
source "$(dirname "$0")/../proc.sh"

BUILD_DIR=${1:-$BUILD}
BIN="$BUILD_DIR/bench"
SAVER="$BUILD_DIR/bin/QuorvaneSaver.scr"
ROUNDS=${ROUNDS:-3}
WINDOW=20
# Wine's start, the saver's 3.2 s intro and a margin, alike for all three programs.
SETTLE=8
# Long enough for the settle time, the measured window and the frame-rate capture after it.
LIFE=$((SETTLE + WINDOW + 12))
if [ "${LONG:-0}" = 1 ]; then MEMORY_MARKS=(60 600); else MEMORY_MARKS=(60 180); fi
RUN_DIR="$BUILD_DIR/bench-run/animation"
RESULTS="$RUN_DIR/results.txt"
HZ=$(getconf CLK_TCK)

mkdir -p "$RUN_DIR"
: >"$RESULTS"
trap stop_wine EXIT
start_xvfb
init_prefix "$RUN_DIR/prefix"

# One program for one row count: CPU of program + wineserver + Xvfb over WINDOW seconds, then frame rate.
measure() {
  local kind=$1 rows=$2 out="$RUN_DIR/$1-$2.out" launcher pid server before after t0 t1 fps=- ticks=-
  case $kind in
  saver) wine "$SAVER" /s >"$out" 2>&1 & launcher=$! ;;
  reference) wine "$BIN/anim_reference.exe" "$rows" "$LIFE" >"$out" 2>&1 & launcher=$! ;;
  idle) wine "$BIN/anim_idle.exe" "$LIFE" >"$out" 2>&1 & launcher=$! ;;
  esac
  case $kind in
  saver) pid=$(find_pid 'QuorvaneSaver.scr') ;;
  *) pid=$(find_pid "anim_$kind.exe") ;;
  esac
  server=$(wineserver_pid)
  sleep "$SETTLE"
  before=$(cpu_ticks "$pid" "$server" "$XVFB_PID")
  t0=$(now)
  sleep "$WINDOW"
  after=$(cpu_ticks "$pid" "$server" "$XVFB_PID")
  t1=$(now)
  if [ "$kind" != idle ]; then
    fps=$(wine "$BIN/anim_watch.exe" fps 4 </dev/null | sed -n 's/^moved \([0-9.]*\) px.*/\1/p' || true)
  fi
  if [ "$kind" = saver ]; then
    kill "$pid" 2>/dev/null || true
    wait "$launcher" 2>/dev/null || true
  else
    wait "$launcher" 2>/dev/null || true
    ticks=$(sed -n 's/.*: \([0-9.]*\) ticks\/s.*/\1/p' "$out")
  fi
  local cpu
  cpu=$(awk -v a="$before" -v b="$after" -v t0="$t0" -v t1="$t1" -v hz="$HZ" \
    'BEGIN { printf "%.2f", (b - a) / hz / (t1 - t0) * 100 }')
  echo "$kind $rows $cpu ${fps:--} ${ticks:--}" >>"$RESULTS"
  printf '  %-9s rows %-2s  CPU %6s %% of one core   line px/s %6s   own ticks/s %6s\n' "$kind" "$rows" "$cpu" \
    "${fps:--}" "${ticks:--}"
}

echo "== animation cost (1024x768, $WINDOW s per run, program + wineserver + Xvfb, $ROUNDS rounds)"
start_probes 20 150 "$RUN_DIR/services.out"
# Every row a measured own-process service, so each periodic refresh does its full work.
wine "$BIN/anim_setup.exe" saved 20 </dev/null

programs=(saver reference idle)
for round in $(seq 1 "$ROUNDS"); do
  echo " round $round"
  for rows in 5 20; do
    wine "$BIN/anim_setup.exe" rows "$rows" </dev/null
    for i in 0 1 2; do
      kind=${programs[$(((i + round) % 3))]}
      # The idle floor has no rows: once a round is enough.
      [ "$kind" = idle ] && [ "$rows" = 20 ] && continue
      measure "$kind" "$rows"
    done
  done
done

echo " means over $ROUNDS rounds"
awk '
  { key = $1 " " $2; cpu[key] += $3; n[key]++
    if ($4 != "-") { fps[key] += $4; nf[key]++ }
    if ($5 != "-") { ticks[key] += $5; nt[key]++ } }
  END {
    idle = cpu["idle 5"] / n["idle 5"]
    printf "  idle floor            CPU %6.2f %%   ticks/s %6.2f\n", idle, ticks["idle 5"] / nt["idle 5"]
    split("5 20", counts, " ")
    for (c = 1; c <= 2; c++) {
      r = counts[c]; s = "saver " r; f = "reference " r
      sc = cpu[s] / n[s]; fc = cpu[f] / n[f]
      printf "  rows %-2s saver        CPU %6.2f %%   frames/s (line px/s) %6.2f\n", r, sc, nf[s] ? fps[s] / nf[s] : 0
      printf "  rows %-2s reference    CPU %6.2f %%   ticks/s %6.2f   line px/s %6.2f\n", r, fc, ticks[f] / nt[f], \
        nf[f] ? fps[f] / nf[f] : 0
      printf "  rows %-2s saver / reference CPU %.3f   above the idle floor %.3f   saver frames / reference ticks %.3f\n", \
        r, sc / fc, (sc - idle) / (fc - idle), (nf[s] ? fps[s] / nf[s] : 0) / (ticks[f] / nt[f])
    }
  }' "$RESULTS"

echo "== start-up with 150 monitored local services (nothing saved, 5 rows)"
wine "$BIN/anim_setup.exe" clear </dev/null
wine "$BIN/anim_setup.exe" rows 5 </dev/null
wine "$BIN/anim_setup.exe" count </dev/null | sed 's/^/  /'
saver_path="Z:${SAVER//\//\\}"
for attempt in 1 2 3; do
  printf '  run %d, from CreateProcess: ' "$attempt"
  wine "$BIN/anim_watch.exe" start 30 "$saver_path" /s </dev/null || true
done
echo "  (the first line pixel comes a random 0..1000 px of travel after the intro; the cleared intro arms the frame timer)"

echo "== working set of the saver, 20 saved rows, at ${MEMORY_MARKS[0]} s and ${MEMORY_MARKS[1]} s (LONG=1: 600 s)"
wine "$BIN/anim_setup.exe" saved 20 </dev/null
wine "$BIN/anim_setup.exe" rows 20 </dev/null
wine "$SAVER" /s >/dev/null 2>&1 &
launcher=$!
pid=$(find_pid 'QuorvaneSaver.scr')
start=$(now)
rss=()
for mark in "${MEMORY_MARKS[@]}"; do
  sleep_until "$start" "$mark"
  rss+=("$(vmrss_kib "$pid")")
  printf '  at %4d s: VmRSS %s KiB; ' "$mark" "${rss[-1]}"
  wine "$BIN/anim_watch.exe" memory QuorvaneSaver </dev/null || true
done
kill "$pid" 2>/dev/null || true
wait "$launcher" 2>/dev/null || true
awk -v a="${rss[0]}" -v b="${rss[1]}" 'BEGIN { printf "  VmRSS growth %.2f %%\n", (b - a) / a * 100 }'
