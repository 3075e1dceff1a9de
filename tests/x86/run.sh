#!/usr/bin/env bash
# The 32-bit programs on a display and prefix of their own, beside the 64-bit tests: the installer's
# silent install, reinstall and uninstall, its refusal beside a package and the package's beside it, and the
# 32-bit saver's start-up checks (QSS_X86_CASES). Where 32-bit programs go through an emulator, a minute or
# more each, the installer installs once and the saver's checks are QSS_X86_EMULATED_CASES.
# Argument: the folder of the test programs.
source "$(dirname "$0")/../../scripts/lib.sh"

TESTS=$1
trap stop_wine EXIT
start=$SECONDS
start_xvfb
# The template was booted with the emulator where one is needed: its 32-bit half is ready.
copy_prefix "$TEST_RUN/template" "$TEST_RUN/x86"
keep_prefix_up "$TESTS"

cases=$QSS_X86_CASES
if i386_emulated; then
  cases=$QSS_X86_EMULATED_CASES
  export QSS_INSTALL_ONCE=1
fi
status=0
run_cases "$TESTS/installer_tests.exe" 'Installer.*' || status=1
echo "installer: $((SECONDS - start)) s"
QSS_SCR="$QSS_SCR_X86" run_cases "$TESTS/startup_tests.exe" "$cases" || status=1
echo "32-bit stage: $((SECONDS - start)) s"
exit "$status"
