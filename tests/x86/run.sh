#!/usr/bin/env bash
# The 32-bit programs on a display and prefix of their own, beside the 64-bit tests: the installer's
# silent install, reinstall and uninstall, and the 32-bit saver's start-up checks (QSS_X86_CASES).
# Under an emulator every 32-bit start takes half a minute or more, so the set stays short.
# Argument: the folder of the test programs.
source "$(dirname "$0")/../../scripts/lib.sh"

TESTS=$1
RUN_DIR="$(dirname "$TESTS")/test-run/x86"
mkdir -p "$RUN_DIR"
trap stop_wine EXIT
start=$SECONDS
start_xvfb
init_prefix "$RUN_DIR/prefix"
keep_prefix_up "$TESTS"
echo "prefix booted in $((SECONDS - start)) s"

status=0
wine "$TESTS/installer_tests.exe" </dev/null || status=1
QSS_SCR="$QSS_SCR_X86" wine "$TESTS/startup_tests.exe" --gtest_filter="$QSS_X86_CASES" </dev/null || status=1
echo "32-bit stage: $((SECONDS - start)) s"
exit "$status"
