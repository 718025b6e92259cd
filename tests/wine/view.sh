#!/usr/bin/env bash
# The Win32 view's own tests (tests/win32view), in process on the harness's display.
set -u
: "${KIRRAMO_WIN_BUILD:?KIRRAMO_WIN_BUILD must name the Windows build folder}"
: "${DISPLAY:?DISPLAY must name the X display that Wine uses}"
# The display has no window manager: Wine manages the test's windows itself, as Windows
# does, instead of waiting two seconds for a window manager to withdraw each window
# that closes (the run driver's test times the closing of its progress window).
wine reg add 'HKCU\Software\Wine\AppDefaults\kirramo_win32view_tests.exe\X11 Driver' /v Managed /d N /f \
  >/dev/null 2>&1
exec timeout 600 wine "$KIRRAMO_WIN_BUILD/tests/kirramo_win32view_tests.exe" --gtest_brief=1
