#!/usr/bin/env bash
# The full-screen picture and row layout on the smallest and a very large screen, and two monitors
# side by side on a wide one: cases of saver_tests, each on a private Xvfb of that size. Then a
# 1024x768 screen at 150 % and 200 % (1536x1152 at 144 DPI, 2048x1536 at 192): the saver's line and
# intro sizes, the Setup sheet's and the link page's layout (in English and in French) and the font dialog's choice;
# at 200 % the stored settings too, whose font limit is on the drawn size.
# Argument: the folder of the test programs.
source "$(dirname "$0")/../../scripts/lib.sh"

TESTS=$1
CASE='SaverWindow.TheIntroGivesWayToAsManyRowsAsThereAreServicesWhateverTheSettingsHold'
trap stop_wine EXIT

status=0
copy_prefix "$TEST_RUN/template" "$TEST_RUN/screens"
for run in "640x480 $CASE" "3840x2160 $CASE" "1824x768 SaverWindow.ASecondMonitorIsCoveredInBlackAndItsInputEndsTheSaver"; do
  size=${run%% *}
  echo "== $size"
  start_xvfb "$size"
  keep_prefix_up "$TESTS"
  run_cases "$TESTS/saver_tests.exe" "${run#* }" || status=1
  stop_wine
done

SETUP='SetupSheet.PagesAreSavedAsPicturesAndNoTextIsClipped:SetupSheet.SwatchesShowStoredAndChosenColoursAndAChosenFontRefillsTheCountListToItsCapacityKeepingTheCount'
for run in "1536x1152 144" "2048x1536 192"; do
  size=${run% *} dpi=${run#* }
  echo "== $size at $dpi DPI"
  # A prefix of its own, as Wine reads the DPI once.
  copy_prefix_at_dpi "$TEST_RUN/template" "$TEST_RUN/screens-$dpi" "$dpi"
  mkdir -p "$QSS_OUT/$dpi"
  start_xvfb "$size"
  keep_prefix_up "$TESTS"
  run_cases "$TESTS/saver_tests.exe" 'SaverWindow.RowsAreAtMost*' || status=1
  [ "$dpi" = 192 ] && { run_cases "$TESTS/settings_tests.exe" 'SettingsRegistry.*' || status=1; }
  QSS_OUT="$QSS_OUT/$dpi" run_cases "$TESTS/config_tests.exe" "$SETUP" || status=1
  QSS_OUT="$QSS_OUT/$dpi" run_cases "$TESTS/link_tests.exe" 'Hyperlink.TheMenuOpens*' || status=1
  # In French too: the pages and the link page, their texts a third longer.
  for french in 'config_tests SetupSheet.PagesAre*' 'link_tests Hyperlink.InFrench*'; do
    LANG=fr_FR.UTF-8 LC_ALL=fr_FR.UTF-8 QSS_OUT="$QSS_OUT/$dpi" run_cases "$TESTS/${french% *}.exe" "${french#* }" || status=1
  done
  stop_wine
done
exit "$status"
