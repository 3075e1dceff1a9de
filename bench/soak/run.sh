#!/usr/bin/env bash
# Soak of the full-screen saver on a private prefix and 1024x768 display: SOAK_MINUTES (30) minutes with 20
# rows whose lines are often replaced and re-rendered, sampled each minute into soak.csv, drawn into soak.png
# (gnuplot) and summed up. A complete run of 30 minutes or more also replaces docs/images/soak.png.
# Argument: the build folder (default: the project's).
source "$(dirname "$0")/../../scripts/lib.sh"
source "$(dirname "$0")/../proc.sh"

BUILD_DIR=${1:-$BUILD}
BIN="$BUILD_DIR/bench"
SAVER="$BUILD_DIR/bin/QuorvaneSaver.scr"
MINUTES=${SOAK_MINUTES:-30}
ROWS=20
# 20 own-process probes (lines with memory and processor share, refreshed through their processes) and 40
# shared ones (shorter lines): a line that leaves is replaced by one of the 41 services then off screen.
OWN=20
MONITORED=60
# One probe paused or continued each second, so lines on screen change colour and text and are rendered again.
CHURN_MS=1000
# Wine's start, the saver's 3.2 s intro and a margin.
SETTLE=8
# The processor share is taken over the first CPU_WINDOW seconds of each minute; the frame-rate capture and
# the sample follow it, so their own cost stays out of it.
CPU_WINDOW=45
RUN_DIR="$BUILD_DIR/bench-run/soak"
CSV="$RUN_DIR/soak.csv"
PNG="$RUN_DIR/soak.png"
HZ=$(getconf CLK_TCK)

mkdir -p "$RUN_DIR"
rm -f "$CSV" "$PNG"
trap stop_wine EXIT
start_xvfb
init_prefix "$RUN_DIR/prefix"

echo "== soak: $MINUTES min of the full-screen saver, 1024x768, $ROWS rows of $MONITORED monitored services"
# The prefix's own active services count towards the total, so ask for a margin beyond the monitored ones.
start_probes "$OWN" $((MONITORED + 15)) "$RUN_DIR/services.out"
wine "$BIN/anim_setup.exe" saved "$MONITORED" </dev/null
wine "$BIN/anim_setup.exe" rows "$ROWS" </dev/null
wine "$BIN/anim_setup.exe" churn "$MONITORED" "$CHURN_MS" >/dev/null 2>&1 </dev/null &

wine "$SAVER" /s >"$RUN_DIR/saver.out" 2>&1 </dev/null &
launcher=$!
pid=$(find_pid 'QuorvaneSaver.scr')
server=$(wineserver_pid)
sleep "$SETTLE"
# The GDI count reads the saver's whole handle table, which makes 1.5 MiB of its untouched pages resident:
# once before the first minute, so that step is not taken for growth.
wine "$BIN/soak_sample.exe" QuorvaneSaver.scr >/dev/null 2>&1 </dev/null || true

echo "minute,cpu_saver,cpu_total,fps,vmrss_kib,gdi,handles,private_kib" >"$CSV"
printf '  %6s %9s %9s %7s %10s %5s %7s %11s\n' minute "saver %" "total %" "fps" "VmRSS KiB" GDI handles "private KiB"
completed=0
status=0
for minute in $(seq 1 "$MINUTES"); do
  start=$(now)
  [ -e "/proc/$pid" ] || break
  saver0=$(cpu_ticks "$pid")
  others0=$(cpu_ticks "$server" "$XVFB_PID")
  sleep_until "$start" "$CPU_WINDOW"
  [ -e "/proc/$pid" ] || continue
  saver1=$(cpu_ticks "$pid")
  others1=$(cpu_ticks "$server" "$XVFB_PID")
  t1=$(now)
  fps=$(wine "$BIN/anim_watch.exe" fps 4 </dev/null | sed -n 's/^moved \([0-9.]*\) px.*/\1/p' || true)
  sample=$(wine "$BIN/soak_sample.exe" QuorvaneSaver.scr </dev/null || true)
  sample=${sample//$'\r'/}
  [ -e "/proc/$pid" ] || continue
  rss=$(vmrss_kib "$pid")
  # "gdi G handles H working_set_kib W private_kib P"; Wine's working set is VmRSS, so that one is left out.
  read -r _ gdi _ handles _ _ _ private <<<"$sample" || true
  [[ ${gdi:-} =~ ^[0-9]+$ ]] || gdi=NaN
  [[ ${handles:-} =~ ^[0-9]+$ ]] || handles=NaN
  [[ ${private:-} =~ ^[0-9]+$ ]] || private=NaN
  read -r cpu_saver cpu_total < <(awk -v s0="$saver0" -v s1="$saver1" -v o0="$others0" -v o1="$others1" \
    -v t0="$start" -v t1="$t1" -v hz="$HZ" \
    'BEGIN { d = hz * (t1 - t0); printf "%.2f %.2f\n", (s1 - s0) / d * 100, (s1 - s0 + o1 - o0) / d * 100 }')
  echo "$minute,$cpu_saver,$cpu_total,${fps:-NaN},$rss,$gdi,$handles,$private" >>"$CSV"
  printf '  %6s %9s %9s %7s %10s %5s %7s %11s\n' "$minute" "$cpu_saver" "$cpu_total" "${fps:-NaN}" "$rss" "$gdi" \
    "$handles" "$private"
  completed=$minute
  sleep_until "$start" 60
done
if [ "$completed" -lt "$MINUTES" ]; then
  code=0
  wait "$launcher" || code=$?
  echo "  the saver ended by itself during minute $((completed + 1)), exit status $code"
  status=1
else
  kill "$pid" 2>/dev/null || true
  wait "$launcher" 2>/dev/null || true
fi

echo " over $completed minutes (CPU: % of one core over ${CPU_WINDOW} s of each minute; total adds wineserver + Xvfb)"
awk -F, '
  NR == 1 { for (i = 2; i <= NF; i++) name[i] = $i; columns = NF; next }
  { for (i = 2; i <= columns; i++) {
      if ($i == "NaN") continue
      v = $i + 0
      if (!(i in first)) { first[i] = v; min[i] = v; max[i] = v }
      last[i] = v; sum[i] += v; n[i]++
      if (v < min[i]) min[i] = v
      if (v > max[i]) max[i] = v } }
  END {
    printf "  %-12s %10s %10s %10s %10s %10s\n", "", "first", "last", "min", "max", "mean"
    for (i = 2; i <= columns; i++)
      if (n[i]) printf "  %-12s %10g %10g %10g %10g %10.2f\n", name[i], first[i], last[i], min[i], max[i], sum[i] / n[i]
      else printf "  %-12s no samples\n", name[i]
  }' "$CSV"

if [ "$completed" = 0 ]; then
  exit "$status"
fi
if ! command -v gnuplot >/dev/null; then
  echo "  no gnuplot, so no plot (scripts/soak installs gnuplot-nox)"
  exit "$status"
fi
heading="Saver soak: $completed min full screen, 1024x768, $ROWS rows of $MONITORED services"
heading+=", lines replaced and re-rendered"
gnuplot <<EOF
set terminal pngcairo size 1400,1000 font "Liberation Sans,11"
set output "$PNG"
set datafile separator comma
set datafile missing "NaN"
set key autotitle columnheader below horizontal
set grid
set xlabel "minute of the run"
set xrange [0:*]
set xtics $([ "$completed" -le 10 ] && echo 1 || echo 5)
set yrange [0:*]
set style data linespoints
set multiplot layout 2,2 title "$heading" font ",14"
set title "Processor share (% of one core, over $CPU_WINDOW s of each minute)"
set ylabel "%"
plot "$CSV" using 1:2 title "saver", "" using 1:3 title "saver + wineserver + Xvfb"
set title "Frame rate (a line moves 1 px per frame)"
set ylabel "frames/s"
plot "$CSV" using 1:4 title "frames/s"
set title "Memory of the saver (MiB)"
set ylabel "MiB"
plot "$CSV" using 1:(\$5 / 1024) title "resident (VmRSS)", \\
  "" using 1:(\$8 / 1024) title "private: anonymous resident (Wine's page-file use)"
set title "Open objects of the saver (count)"
set ylabel "count"
plot "$CSV" using 1:6 title "GDI objects", "" using 1:7 title "kernel handles"
unset multiplot
EOF
echo "  plot: $PNG"
if [ "$completed" = "$MINUTES" ] && [ "$MINUTES" -ge 30 ]; then
  mkdir -p "$ROOT/docs/images"
  cp "$PNG" "$ROOT/docs/images/soak.png"
  echo "  copied to docs/images/soak.png"
fi
exit "$status"
