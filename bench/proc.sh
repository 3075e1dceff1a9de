# Process helpers shared by the benchmarks; sourced after scripts/lib.sh. They need WINEPREFIX, and
# start_probes the benchmark programs' folder BIN.

# A process of this prefix only: other runs on the machine use the same program names.
in_prefix() {
  # grep reads to the end: an early exit would fail the pipe under pipefail.
  tr '\0' '\n' 2>/dev/null <"/proc/$1/environ" | grep -x "WINEPREFIX=$WINEPREFIX" >/dev/null
}

# The Wine process of this prefix that runs the named program, waiting up to 20 s. Wine puts the program
# first on a process's command line; a launcher that only names it (start.exe, anim_watch's start) has its
# own program there, and so does any Unix tool whose arguments hold the name.
find_pid() {
  local name=${1,,} p program
  for _ in $(seq 1 200); do
    for p in /proc/[0-9]*; do
      p=${p#/proc/}
      program=""
      IFS= read -r -d '' program 2>/dev/null <"/proc/$p/cmdline" || continue
      program=${program,,}
      program=${program//\\//}
      [[ $program == "$name" || $program == */"$name" ]] || continue
      [[ "$(readlink "/proc/$p/exe" 2>/dev/null)" == */wine* ]] || continue
      in_prefix "$p" && echo "$p" && return 0
    done
    sleep 0.1
  done
  return 1
}

wineserver_pid() {
  local p
  for p in /proc/[0-9]*; do
    p=${p#/proc/}
    [[ "$(readlink "/proc/$p/exe" 2>/dev/null)" == */wineserver* ]] && in_prefix "$p" && echo "$p" && return 0
  done
  return 1
}

# utime + stime in clock ticks, all threads.
cpu_ticks() {
  local total=0 p
  for p in "$@"; do
    total=$((total + $(proc_stat "$p" 12-13 | tr ' ' '+')))
  done
  echo "$total"
}

vmrss_kib() {
  awk '/^VmRSS/ {print $2}' "/proc/$1/status"
}

now() { date +%s.%N; }

# Sleeps until SECONDS after START (a now), at once when that has passed.
sleep_until() {
  sleep "$(awk -v s="$1" -v n="$(now)" -v m="$2" 'BEGIN { d = m - (n - s); print (d > 0 ? d : 0) }')"
}

# Starts the holder of OWN own-process probe services and shared ones up to TOTAL active services, and
# waits until they run; the holder keeps the wineserver, and with it the services, alive between programs.
start_probes() {
  local own=$1 total=$2 out=$3
  wine "$BIN/anim_setup.exe" services "$own" "$total" >"$out" 2>&1 </dev/null &
  for _ in $(seq 1 600); do
    grep -q started "$out" && break
    sleep 0.5
  done
  sed 's/^/  /' "$out"
}
