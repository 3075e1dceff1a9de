#!/usr/bin/env bash
# The full-screen picture and row layout on the smallest and a very large screen, and two monitors
# side by side on a wide one: cases of saver_tests, each on a private Xvfb of that size.
# Argument: the folder of the test programs.
source "$(dirname "$0")/../../scripts/lib.sh"

TESTS=$1
CASES='SaverWindow.TheIntroGivesWayToAsManyRowsAsThereAreServicesWhateverTheSettingsHold'
RUN_DIR="$(dirname "$TESTS")/test-run/screens"
mkdir -p "$RUN_DIR"
trap stop_wine EXIT

status=0
booted=0
for run in "640x480 $CASES" "3840x2160 $CASES" "1824x768 SaverWindow.ASecondMonitor*"; do
  size=${run%% *}
  echo "== $size"
  start_xvfb "$size"
  # Booted on this run's own display: its windows must not come up over the other tests'.
  if [ "$booted" = 0 ]; then
    init_prefix "$RUN_DIR/prefix"
    booted=1
  fi
  keep_prefix_up "$TESTS"
  wine "$TESTS/saver_tests.exe" --gtest_filter="${run#* }" </dev/null || status=1
  stop_wine
done
exit "$status"
