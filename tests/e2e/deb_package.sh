#!/usr/bin/env bash
# The Debian package: built by scripts/package.sh, lintian finds no error in it,
# apt-get installs it on this machine, the installed program copies full paths and
# shows its window with the installed Qt module, and apt-get purge takes every file of
# it away again. Installs into the machine itself, so it runs only as root, and never
# where a kirramo package was installed before (that one is the user's).
source "$(dirname "$0")/lib/common.bash"
root=$(cd "$(dirname "$0")/../.." && pwd)

if [ "$(id -u)" -ne 0 ] || ! command -v apt-get >/dev/null || ! command -v cpack >/dev/null; then
  echo "SKIP: installing a package needs root, apt-get and cpack"
  report
  exit
fi
if dpkg-query -W -f='${Status}' kirramo 2>/dev/null | grep -q installed; then
  echo "SKIP: a kirramo package is installed on this machine already"
  report
  exit
fi

deb=$(timeout 1200 "$root/scripts/package.sh" 2>"$work/package.err" | tail -n 1) || true
if [ ! -f "$deb" ]; then
  fail "scripts/package.sh builds the package"
  tail -n 20 "$work/package.err"
  report
  exit
fi
check "package file named kirramo_<version>_amd64.deb" \
  test "$(basename "$deb")" = "kirramo_$("$KIRRAMO_BIN" --version | grep -o '[0-9][0-9.]*' | head -n 1)_amd64.deb"
control=$(dpkg-deb -f "$deb")
check "dependencies read off the binaries" grep -q '^Depends:.*libqt6widgets6.*' <<<"$control"

if command -v lintian >/dev/null; then
  timeout 300 lintian "$deb" >"$work/lintian" 2>&1
  check "lintian reports no error and no warning" sh -c "! grep '^[EW]:' '$work/lintian'"
  grep '^[EW]:' "$work/lintian"
else
  fail "lintian is installed (scripts/deps.sh test)"
fi

purge() { DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq kirramo >/dev/null 2>&1; }
at_exit+=(purge)
check "apt-get install ./kirramo_*.deb" \
  env DEBIAN_FRONTEND=noninteractive timeout 600 apt-get install -y -qq "$deb" >"$work/apt.out" 2>&1
dpkg-query -L kirramo >"$work/files" 2>/dev/null
check "installed: the program" test -x /usr/bin/kirramo
check "installed: the usage text, the Nautilus scripts and the Thunar actions under /usr/share/kirramo" \
  test -f "/usr/share/kirramo/how to use.txt" -a -x /usr/share/kirramo/nautilus/Kirramo/名前をコピー \
  -a -f /usr/share/kirramo/thunar/uca.xml
check "installed: icons, desktop entry, Dolphin's service menu, manual page" \
  test -f /usr/share/icons/hicolor/48x48/apps/kirramo.png -a -f /usr/share/applications/kirramo.desktop \
  -a -f /usr/share/kio/servicemenus/kirramo-copy-paths.desktop -a -f /usr/share/man/man1/kirramo.1.gz
module=$(grep '/kirramo-qt.so$' "$work/files")
check "installed: the Qt module, every library it needs found" \
  sh -c "test -f '$module' && ! ldd '$module' | grep -q 'not found'"

KIRRAMO_BIN=/usr/bin/kirramo
d="$work/フォルダ"
mkdir -p "$d"
: >"$d/a.txt"
run_text --paths "$d" "$d/a.txt"
check "installed program, --paths: status 0" test "$status" -eq 0
expect_file "installed program, --paths: the full paths" "$work/out" '%s\r\n%s\r\n' "$d" "$d/a.txt"

# The settings window comes from the installed module.
if command -v Xvfb >/dev/null && command -v xdotool >/dev/null; then
  x_display xdotool
  timeout 60 /usr/bin/kirramo --window "$d" >/dev/null 2>"$work/window.err" &
  pid=$!
  check "installed program shows its settings window" \
    timeout 30 xdotool search --sync --name '^Kirramo$' >/dev/null 2>&1
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
fi

check "apt-get purge kirramo" env DEBIAN_FRONTEND=noninteractive timeout 300 apt-get purge -y -qq kirramo \
  >"$work/apt.out" 2>&1
check "purged: the package is gone from dpkg's list" \
  sh -c "! dpkg-query -W -f='\${Status}' kirramo 2>/dev/null | grep -q 'installed\|config-files'"
left=()
while IFS= read -r f; do
  # The folders the package shares with others (/usr, /usr/share/icons...) stay.
  [ -e "$f" ] && [ ! -d "$f" ] && left+=("$f")
done <"$work/files"
for f in /usr/share/kirramo /usr/share/doc/kirramo "$(dirname "$module")"; do
  [ -e "$f" ] && left+=("$f")
done
check "purged: no file of the package is left" test ${#left[@]} -eq 0
[ ${#left[@]} -eq 0 ] || printf '  left: %s\n' "${left[@]}"

report
