#!/usr/bin/env bash
# The Win32 view's own tests (tests/win32view), in process on the harness's display.
set -u
: "${KIRRAMO_WIN_BUILD:?KIRRAMO_WIN_BUILD must name the Windows build folder}"
: "${DISPLAY:?DISPLAY must name the X display that Wine uses}"
exec timeout 600 wine "$KIRRAMO_WIN_BUILD/tests/kirramo_win32view_tests.exe" --gtest_brief=1
