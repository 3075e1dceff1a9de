#!/usr/bin/env bash
# The full-screen picture and row layout on the smallest and a very large screen, and two monitors
# side by side on a wide one: cases of saver_tests, each on a private Xvfb of that size.
# Argument: the folder of the test programs.
source "$(dirname "$0")/../../scripts/lib.sh"

TESTS=$1
CASE='SaverWindow.TheIntroGivesWayToAsManyRowsAsThereAreServicesWhateverTheSettingsHold'
RUN_DIR="$(dirname "$TESTS")/test-run"
trap stop_wine EXIT

status=0
copy_prefix "$RUN_DIR/template" "$RUN_DIR/screens"
for run in "640x480 $CASE" "3840x2160 $CASE" "1824x768 SaverWindow.ASecondMonitorIsCoveredInBlackAndItsInputEndsTheSaver"; do
  size=${run%% *}
  echo "== $size"
  start_xvfb "$size"
  keep_prefix_up "$TESTS"
  run_cases "$TESTS/saver_tests.exe" "${run#* }" || status=1
  stop_wine
done
exit "$status"
