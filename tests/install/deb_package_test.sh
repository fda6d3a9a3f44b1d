#!/bin/bash
# The Debian package end to end, as root on the real system as CI runs it:
# make deb, apt-get install, --version, a folder renamed, the window
# closed (~/.config/tavrel/setup.ini of a temporary HOME), apt-get purge and
# nothing left; purged again whatever happens. Skipped (77) without dpkg/apt-get,
# as another user, or with Tavrel installed (a package removed but not purged,
# whose configuration files alone are left, is not installed: the test installs
# and purges it). Usage: deb_package_test.sh SRC BUILD
set -uo pipefail
src=$(cd "$1" && pwd) build=$(cd "$2" && pwd)
skip() { echo "SKIP: $*" && exit 77; }
command -v dpkg > /dev/null && command -v apt-get > /dev/null || skip "no dpkg or apt-get here"
[[ $(id -u) == 0 ]] || skip "installing a package needs root"
[[ -e /usr/bin/tavrel || $(dpkg-query -W -f='${Status}' tavrel 2>/dev/null) == "install ok installed" ]] &&
    skip "Tavrel is installed already"

# The package is built first; only then does the rest run in a virtual X server.
if [[ -z ${TAVREL_DEB_BUILT:-} ]]; then
    unset MAKEFLAGS MFLAGS MAKELEVEL
    make -C "$src" deb DEB_BUILD="$build/deb-package" JOBS="${TAVREL_JOBS:-1}" > "$build/deb.log" 2>&1 ||
        { tail -n 30 "$build/deb.log" && echo "FAIL: make deb" && exit 1; }
    TAVREL_DEB_BUILT=1 exec xvfb-run -a -s "-screen 0 1280x800x24" bash "$0" "$@"
fi
screenshots="$build/screenshots"
source "$src/tests/ui/x_session.sh"
installed=yes
trap '[[ -z $installed ]] || apt-get purge -y -qq tavrel > /dev/null 2>&1; cleanup' EXIT
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$src"/dist/tavrel_*.deb > "$work/apt.log" 2>&1 ||
    fail "apt-get install: $(cat "$work/apt.log")"
[[ $(dpkg-query -W -f='${Depends}' tavrel) == *libicu*libqt6widgets6* ]] || fail "Depends lacks ICU or Qt"
dpkg-query -L tavrel > "$work/files"
[[ $(grep -cxE '/usr/(bin/tavrel|lib/tavrel/tavrel-window.so|share/doc/tavrel/copyright)' "$work/files") == 3 ]] ||
    fail "files: $(cat "$work/files")"
grep -qx 'License: Expat' /usr/share/doc/tavrel/copyright || fail "the copyright file names no MIT licence"
[[ $(dpkg-query -W -f='${Recommends}' tavrel) == *qt6-wayland* ]] || fail "Recommends lacks qt6-wayland"

export HOME="$work/home" TZ=UTC LC_ALL=C && unset XDG_CONFIG_HOME
[[ "$(tavrel --version)" == "tavrel 1.2.0.13" ]] || fail "tavrel --version: $(tavrel --version 2>&1)"
mkdir -p "$HOME/photos/trip" && touch -d 2011-09-14 "$HOME/photos/a.jpg" "$HOME/photos/trip/b.jpg"
tavrel "$HOME/photos" || fail "the command line ended with $?"
[[ $(cd "$HOME/photos" && find . -type f | sort | xargs) == "./20110914_a.jpg ./trip/20110914_b.jpg" ]] ||
    fail "names after the run: $(find "$HOME/photos")"

# The window makes the user's configuration folder when it closes.
start_window_manager
tavrel > "$work/window.out" 2>&1 &
pids+=($!) && window_pid=$!
window=$(wait_for_window "Tavrel v1.2.0.13") || fail "no window: $(cat "$work/window.out")"
wmctrl -i -c "$window"
wait_for_exit $window_pid
[[ $code == 0 ]] || fail "the window ended with '$code': $(cat "$work/window.out")"
[[ "$(od -An -c "$HOME/.config/tavrel/setup.ini" | tr -s ' ')" == ' S t a m p T y p e : 1 \r \n' ]] ||
    fail "~/.config/tavrel/setup.ini: $(od -c "$HOME/.config/tavrel/setup.ini" 2>&1)"

apt-get purge -y -qq tavrel > "$work/apt.log" 2>&1 || fail "apt-get purge: $(cat "$work/apt.log")"
installed=
while read -r path; do  # the package's files and own folders go; shared folders stay
    [[ -d $path && $path != */tavrel ]] || [[ ! -e $path && ! -L $path ]] || fail "left: $path"
done < "$work/files"
[[ -e "$HOME/.config/tavrel/setup.ini" ]] || fail "the purge took the user's settings"
echo "Debian package end to end: passed"
