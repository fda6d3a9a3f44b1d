#!/bin/bash
# The Debian package end to end, as root on the real system, the way CI runs
# it (under xvfb-run): `make deb`, `apt-get install ./dist/tavrel_….deb`, the
# version, a folder renamed from the command line, the window opened and
# closed (setup.ini in ~/.config/tavrel/ of a temporary HOME), then the
# package purged and nothing of it left. Skipped (77) without dpkg and apt-get,
# when not root, or where Tavrel is installed already (it is not ours to
# remove). Whatever happens, the package is purged again on exit.
#
#   deb_package_test.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
src=$(cd "${1:?usage: deb_package_test.sh SOURCE_DIR BUILD_DIR}" && pwd)
build=$(cd "${2:?}" && pwd)

skip() {
    echo "SKIP: $*"
    exit 77
}
command -v dpkg > /dev/null && command -v apt-get > /dev/null || skip "no dpkg or apt-get here"
[[ $(id -u) == 0 ]] || skip "installing a package needs root"
dpkg-query -W -f='${Status}' tavrel 2> /dev/null | grep -q installed &&
    skip "a tavrel package is installed already"
[[ -e /usr/bin/tavrel ]] && skip "/usr/bin/tavrel exists already"

screenshots="$build/screenshots"
source "$src/tests/ui/x_session.sh"
installed=""
purge_package() {
    [[ -n "$installed" ]] || return 0
    DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq tavrel > "$work/purge.log" 2>&1
    installed=""
}
trap 'purge_package; cleanup' EXIT

# The package's own build beside this build; the package lands in dist/.
unset MAKEFLAGS MFLAGS MAKELEVEL
make -C "$src" deb DEB_BUILD="$build/deb-package" JOBS="${TAVREL_JOBS:-1}" > "$work/deb.log" 2>&1 ||
    fail "make deb: $(tail -n 30 "$work/deb.log")"
deb=$(ls "$src"/dist/tavrel_*.deb) || fail "no package in dist/"

installed=yes
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" > "$work/install.log" 2>&1 ||
    fail "apt-get install: $(cat "$work/install.log")"
depends=$(dpkg-query -W -f='${Depends}' tavrel)
[[ $depends == *libqt6widgets6* && $depends == *libicu* ]] ||
    fail "Depends lacks Qt or ICU: $depends"
dpkg-query -L tavrel > "$work/files"
for path in /usr/bin/tavrel /usr/lib/tavrel/tavrel-window.so /usr/share/applications/tavrel.desktop \
    /usr/share/man/man1/tavrel.1.gz /usr/share/doc/tavrel/copyright; do
    grep -qx "$path" "$work/files" || fail "the package lacks $path"
done

export HOME="$work/home" TZ=UTC LC_ALL=C
unset XDG_CONFIG_HOME
mkdir -p "$HOME/photos/trip"
[[ "$(tavrel --version)" == "tavrel 1.2.0.13" ]] || fail "tavrel --version: $(tavrel --version 2>&1)"

touch -d "2011-09-14 05:25:36" "$HOME/photos/a.jpg" "$HOME/photos/trip/b.jpg"
tavrel "$HOME/photos" || fail "the command line ended with $?"
names=$(cd "$HOME/photos" && find . -type f | sort | tr '\n' ' ')
[[ $names == "./20110914_a.jpg ./trip/20110914_b.jpg " ]] || fail "names after the run: $names"
[[ -e "$HOME/.config" ]] && fail "the command line made $HOME/.config"

# The window writes its settings into the user's configuration folder, which
# it makes: /usr/bin is no user's to write.
start_window_manager
tavrel > "$work/window.out" 2>&1 &
window_pid=$!
pids+=($window_pid)
window=$(wait_for_window "Tavrel v1.2.0.13") || fail "no window: $(cat "$work/window.out")"
wmctrl -i -c "$window"
wait_for_exit $window_pid
[[ $code == 0 ]] || fail "the window ended with '$code': $(cat "$work/window.out")"
[[ "$(od -An -c "$HOME/.config/tavrel/setup.ini" | tr -s ' ')" == " S t a m p T y p e : 1 \r \n" ]] ||
    fail "~/.config/tavrel/setup.ini: $(od -c "$HOME/.config/tavrel/setup.ini" 2>&1)"
[[ -e /usr/bin/setup.ini ]] && fail "the window wrote /usr/bin/setup.ini"

purge_package
dpkg-query -W -f='${Status}' tavrel 2> /dev/null | grep -q installed && fail "still installed"
while read -r path; do
    # Folders the package shares with others (/usr/bin) stay; its own go.
    [[ -d $path && $path != */tavrel ]] && continue
    [[ -e $path || -L $path ]] && fail "left after the purge: $path"
done < "$work/files"
[[ -e "$HOME/.config/tavrel/setup.ini" ]] || fail "the purge took the user's settings"
echo "Debian package end to end: passed ($deb)"
