#!/bin/bash
# The install as a user gets it: `cmake --install` into a temporary prefix (the
# command `make install` runs), then the files it put there, the desktop entry
# launched the way a file manager launches it, the manual page, and
# `make uninstall`. Never touches the real ~/.local: HOME is a temporary folder.
#
#   install_test.sh CASE BUILD_DIR SOURCE_DIR
set -uo pipefail
case_name=${1:?usage: install_test.sh CASE BUILD_DIR SOURCE_DIR}
build=$(cd "${2:?}" && pwd)
src=$(cd "${3:?}" && pwd)

work=$(mktemp -d "${TMPDIR:-/tmp}/tavrel-install-XXXXXX")
trap 'rm -rf "$work"' EXIT
export HOME="$work/home"
mkdir -p "$HOME"
# The inner `make uninstall` is no part of the make that runs the tests.
unset MAKEFLAGS MFLAGS MAKELEVEL

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
# expect_equal WHAT EXPECTED ACTUAL
expect_equal() {
    if [[ "$2" != "$3" ]]; then
        fail "$1"
        diff <(printf '%s\n' "$2") <(printf '%s\n' "$3") | sed 's/^/    /' >&2
    fi
}

# What `make install PREFIX=...` and `make uninstall PREFIX=...` do.
install_into() {
    cmake --install "$build" --prefix "$1" > "$work/install.log" 2>&1 ||
        fail "install into $1: $(cat "$work/install.log")"
}
uninstall_from() { make -s -C "$src" uninstall PREFIX="$1" > "$work/uninstall.log" 2>&1; }
# Every entry below a folder, one a line: its type (d, f, l) and its path.
tree_of() { (cd "$1" && find . -mindepth 1 -printf '%y %P\n' | LC_ALL=C sort -k2); }

# The files a fresh install puts in place, and the folders it creates.
expected_tree() {
    cat <<'EOF'
d bin
f bin/tavrel
d lib
d lib/tavrel
f lib/tavrel/tavrel-window.so
d share
d share/applications
f share/applications/tavrel.desktop
d share/icons
d share/icons/hicolor
d share/icons/hicolor/256x256
d share/icons/hicolor/256x256/apps
f share/icons/hicolor/256x256/apps/tavrel.png
d share/icons/hicolor/scalable
d share/icons/hicolor/scalable/apps
f share/icons/hicolor/scalable/apps/tavrel.svg
d share/man
d share/man/man1
f share/man/man1/tavrel.1
d share/tavrel
f share/tavrel/install-record.txt
EOF
}

# The command a file manager runs for the entry's Exec line with these files
# (%F: all of them as arguments, %U: as file URLs), each argument NUL-terminated.
#   exec_command ENTRY [FILE...]
exec_command() {
    local entry=$1
    shift
    local exec_line word
    local -a words
    exec_line=$(sed -n '/^\[Desktop Entry\]/,/^\[/s/^Exec=//p' "$entry")
    if [[ -z "$exec_line" || "$exec_line" == *[\"\'\\\`\$]* ]]; then
        fail "no Exec line, or one with quoting this test does not apply: '$exec_line'"
        return
    fi
    read -ra words <<< "$exec_line"
    for word in "${words[@]}"; do
        case "$word" in
            %F) [[ $# -eq 0 ]] || printf '%s\0' "$@" ;;
            %U) [[ $# -eq 0 ]] || printf 'file://%s\0' "$@" ;;
            *%*) fail "Exec field code not handled here: $word" ;;
            *) printf '%s\0' "$word" ;;
        esac
    done
}

# Runs the desktop entry of PREFIX on the given files, as a file manager does,
# with no display (so no message box can wait for a click). Output in
# $work/launch.out and $work/launch.err; returns the program's exit code.
launch() {
    local prefix=$1
    shift
    local -a argv
    exec_command "$prefix/share/applications/tavrel.desktop" "$@" > "$work/argv"
    mapfile -d '' -t argv < "$work/argv"
    [[ ${#argv[@]} -gt 0 ]] || return 1
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM TZ=UTC LC_ALL=C \
        PATH="$prefix/bin:/usr/bin:/bin" "${argv[@]}" > "$work/launch.out" 2> "$work/launch.err"
}

make_file() {  # make_file PATH MTIME
    mkdir -p "$(dirname "$1")"
    printf 'content of %s\n' "$(basename "$1")" > "$1"
    TZ=UTC touch -d "$2" "$1"
}

# --- cases ------------------------------------------------------------------

# A fresh prefix gets exactly the expected files, each a copy of its source.
case_files_in_place() {
    local prefix="$work/prefix"
    install_into "$prefix"
    expect_equal "installed tree" "$(expected_tree)" "$(tree_of "$prefix")"

    [[ -x "$prefix/bin/tavrel" ]] || fail "bin/tavrel is not executable"
    local installed source
    while read -r installed source; do
        cmp -s "$prefix/$installed" "$src/$source" || fail "$installed is not a copy of $source"
        [[ -x "$prefix/$installed" ]] && fail "$installed is executable"
    done <<'EOF'
share/applications/tavrel.desktop data/tavrel.desktop
share/icons/hicolor/scalable/apps/tavrel.svg data/tavrel.svg
share/icons/hicolor/256x256/apps/tavrel.png data/tavrel.png
share/man/man1/tavrel.1 doc/tavrel.1
EOF
    expect_equal "the PNG icon's size" "PNG 256x256" \
        "$(identify -format '%m %wx%h' "$prefix/share/icons/hicolor/256x256/apps/tavrel.png" 2>&1)"
    grep -q '<svg ' "$prefix/share/icons/hicolor/scalable/apps/tavrel.svg" ||
        fail "the scalable icon is no SVG"

    # The record names every file that is there, so that uninstall finds them all.
    expect_equal "files in the install record" \
        "$(tree_of "$prefix" | sed -n 's/^f //p')" \
        "$(sed -n 's/^file //p' "$prefix/share/tavrel/install-record.txt" | LC_ALL=C sort)"
    expect_equal "folders in the install record" \
        "$(printf '.\n'; tree_of "$prefix" | sed -n 's/^d //p')" \
        "$(sed -n 's/^dir //p' "$prefix/share/tavrel/install-record.txt" | LC_ALL=C sort)"
}

# The entry passes the validator; its icon and program are the installed ones;
# launched with files as a file manager does, it renames them from the command
# line; launched with none, as from the menu, it asks for the window.
case_desktop_entry_launch() {
    local prefix="$work/prefix"
    install_into "$prefix"
    local entry="$prefix/share/applications/tavrel.desktop"

    local report
    report=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate failed"
    [[ -z "$report" ]] || fail "desktop-file-validate reports: $report"

    local icon
    icon=$(sed -n 's/^Icon=//p' "$entry")
    [[ -f "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" &&
       -f "$prefix/share/icons/hicolor/256x256/apps/$icon.png" ]] ||
        fail "Icon=$icon is not among the installed icons"

    # Paths with spaces, a folder and a file, as a file manager hands them over.
    local photos="$work/My Photos" single="$work/single file.txt"
    make_file "$photos/a.txt" "2011-09-15 12:34:56"
    make_file "$photos/sub dir/b.txt" "2011-09-16 01:02:03"
    make_file "$single" "2011-09-17 23:59:59"
    launch "$prefix" "$photos" "$single"
    local status=$?
    expect_equal "exit code with files" 0 "$status"
    expect_equal "output with files" "" "$(cat "$work/launch.out" "$work/launch.err")"
    expect_equal "names after the launch with files" \
        "$(printf '%s\n' "f 20110915_a.txt" "d sub dir" "f sub dir/20110916_b.txt")" \
        "$(tree_of "$photos")"
    [[ -f "$work/20110917_single file.txt" ]] || fail "single file.txt was not renamed"
    [[ -e "$prefix/bin/setup.ini" ]] && fail "a command-line run wrote setup.ini"

    # The installed program reads its settings beside itself in PREFIX/bin.
    printf 'StampType:2\r\n' > "$prefix/bin/setup.ini"
    launch "$prefix" "$photos"
    expect_equal "names with stamp type 2 from PREFIX/bin/setup.ini" \
        "$(printf '%s\n' "f 20110915-123456_a.txt" "d sub dir" "f sub dir/20110916-010202_b.txt")" \
        "$(tree_of "$photos")"
    rm -f "$prefix/bin/setup.ini"

    # From the menu: no files, so the window; without a display it says so.
    launch "$prefix"
    status=$?
    expect_equal "exit code without files and display" 2 "$status"
    grep -q 'no display to open the window on' "$work/launch.err" ||
        fail "no word about the missing display: $(cat "$work/launch.err")"
}

# The manual page renders without a single warning, man finds it below the
# prefix, and it quotes the error texts the program really uses.
case_manual_page() {
    local prefix="$work/prefix"
    install_into "$prefix"
    local page="$prefix/share/man/man1/tavrel.1"

    local warnings
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    expect_equal "man --warnings -l" "" "$warnings"
    warnings=$(LC_ALL=C.UTF-8 groff -ww -k -man -Tutf8 -z "$page" 2>&1)
    expect_equal "groff -ww" "" "$warnings"
    expect_equal "where man finds tavrel(1)" "$page" \
        "$(LC_ALL=C.UTF-8 MANPATH="$prefix/share/man" man -w tavrel 2>&1)"

    # The rendered text on one line, without hyphenation, for phrase searches.
    local text
    text=$(LC_ALL=C.UTF-8 MANWIDTH=200 man --nh --nj -l "$page" 2>/dev/null | tr -s ' \n' '  ')
    local section
    for section in NAME SYNOPSIS DESCRIPTION "STAMP TYPES" FILES "EXIT STATUS" DIAGNOSTICS EXAMPLES; do
        [[ "$text" == *" $section "* ]] || fail "no section $section"
    done
    [[ "$text" == *"setup.ini"*"StampType:1"* ]] || fail "the settings file is not described"

    # Every Japanese text fragment of the program's messages.
    local fragment count=0
    while IFS= read -r fragment; do
        count=$((count + 1))
        [[ "$text" == *"$fragment"* ]] || fail "the manual lacks the message text '$fragment'"
    done < <(grep -ohP '"(\\.|[^"\\])*"' "$src/src/stamp/date_conversion_error.h" \
                 "$src/src/app/settings_file.cpp" "$src/src/base/assertion_failure.h" \
                 "$src/src/app/last_resort.cpp" "$src/src/ui/qt/error_reporter.h" |
             grep -P '[^\x00-\x7F]' | sed -e 's/^"//' -e 's/"$//' -e 's/\\"/"/g' -e 's/\\n//g' |
             sed -e 's/^ *//' -e 's/ *$//')
    [[ $count -ge 8 ]] || fail "found only $count message fragments in the sources"

    # And what the installed program prints: a file it cannot stamp...
    make_file "$work/old/file.txt" "1975-06-01 00:00:00"
    env -u DISPLAY -u WAYLAND_DISPLAY TZ=UTC LC_ALL=C "$prefix/bin/tavrel" "$work/old" \
        > /dev/null 2> "$work/error.txt"
    expect_equal "exit code for a file before 1980" 1 "$?"
    local first second
    first=$(sed -n 1p "$work/error.txt")
    second=$(sed -n 2p "$work/error.txt")
    [[ "$first" =~ ^DateConversionError\ がモジュール\ tavrel\ の\ 0x[0-9a-f]+\ で発生しました。$ ]] ||
        fail "unexpected first error line: $first"
    [[ -n "$second" && "$text" == *" ${second%.} "* ]] ||
        fail "the manual lacks the message '${second%.}'"
    # ...and no display for the window.
    local no_display
    no_display=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/tavrel" 2>&1)
    [[ -n "$no_display" && "$text" == *"$no_display"* ]] ||
        fail "the manual lacks the message '$no_display'"
    # ...and under regional formats unlike the reference ones, where a second
    # run adds a second stamp: the manual and the README show the names the
    # program really gives, run after run.
    make_file "$work/en/IMG_0001.jpg" "2011-09-14 05:25:37"
    local -a names=()
    local run
    for run in 1 2; do
        env -u DISPLAY -u WAYLAND_DISPLAY TZ=UTC LC_ALL=en_US.UTF-8 "$prefix/bin/tavrel" \
            "$work/en" > /dev/null 2>&1 || fail "en_US run $run failed"
        names+=("$(ls "$work/en")")
    done
    [[ "${names[0]}" != IMG_0001.jpg && "${names[1]}" == *_"${names[0]}" ]] ||
        fail "under en_US the runs gave '${names[*]}'"
    [[ "$text" == *"becomes ${names[0]} on the first run and ${names[1]} on the second"* ]] ||
        fail "the manual does not show the en_US names ${names[*]}"
    grep -qF -- "IMG_0001.jpg       -> ${names[0]}" "$src/README.md" &&
        grep -qF -- "${names[0]} -> ${names[1]}" "$src/README.md" ||
        fail "the README does not show the en_US names ${names[*]}"
    # ...and the title of the window's error box: the program file's name up to
    # its first ".", the letters after the first in lower case.
    local name stem rest title
    name=$(basename "$prefix/bin/tavrel")
    stem=${name%%.*}
    rest=${stem:1}
    title="${stem:0:1}${rest,,}"
    [[ "$text" == *"titled “$title”"* ]] || fail "the manual lacks the box title “$title”"
    [[ "$text" == *"titled “Tavrel”"* && "$title" != Tavrel ]] &&
        fail "the manual names the box title “Tavrel”, the program shows “$title”"
    # ...and a program without its window module.
    mkdir -p "$work/alone"
    cp "$prefix/bin/tavrel" "$work/alone/"
    local no_module
    no_module=$(env -u DISPLAY -u WAYLAND_DISPLAY "$work/alone/tavrel" 2>&1 | sed -n 1p)
    [[ "$no_module" == "tavrel: "* && "$text" == *"$no_module"* ]] ||
        fail "the manual lacks the message '$no_module'"
}

# Started from the menu (run under xvfb-run): the window opens, and closing it
# writes setup.ini beside the installed program.
case_menu_launch() {
    local prefix="$work/prefix"
    install_into "$prefix"
    local -a argv
    exec_command "$prefix/share/applications/tavrel.desktop" > "$work/argv"
    mapfile -d '' -t argv < "$work/argv"

    openbox --sm-disable > /dev/null 2>&1 &
    local wm=$!
    # Waits are for what is seen, up to bounds that only a broken program
    # reaches (a sanitizer build on a busy machine is slow to open a window).
    for _ in $(seq 1 900); do wmctrl -m > /dev/null 2>&1 && break; sleep 0.1; done
    env TZ=UTC LC_ALL=C PATH="$prefix/bin:/usr/bin:/bin" "${argv[@]}" \
        > "$work/window.out" 2>&1 &
    local pid=$!
    local window="" id
    for _ in $(seq 1 900); do
        for id in $(xdotool search --onlyvisible --name . 2>/dev/null); do
            [[ "$(xdotool getwindowname "$id" 2>/dev/null)" == "Tavrel v"* ]] && window=$id
        done
        [[ -n "$window" ]] && break
        sleep 0.1
    done
    if [[ -z "$window" ]]; then
        fail "no window from the menu entry: $(cat "$work/window.out")"
    else
        wmctrl -i -c "$window"
        local code=timeout
        for _ in $(seq 1 900); do
            if ! kill -0 "$pid" 2>/dev/null; then
                wait "$pid"
                code=$?
                break
            fi
            sleep 0.1
        done
        expect_equal "exit code after closing the window" 0 "$code"
        expect_equal "PREFIX/bin/setup.ini written on closing" "StampType:1" \
            "$(tr -d '\r' < "$prefix/bin/setup.ini" 2>&1)"
    fi
    kill "$pid" "$wm" 2>/dev/null
    wait "$wm" 2>/dev/null
}

# With the desktop's own tools (GIO), as file managers use them: installed into
# ~/.local, with update-desktop-database run there as other programs run it,
# Tavrel is offered for no type of file, so a double click on a photo or a
# video never starts it (the image viewer that is installed does); launched
# with files ("Open with", a drop on its launcher) it renames them all.
case_gio() {
    local prefix="$HOME/.local"
    install_into "$prefix"
    # The user's folders in the temporary HOME; the system's after a folder of
    # this test's own, with an image viewer installed. GIO offers only programs
    # it finds on the PATH, which holds ~/.local/bin after a login.
    local system="$work/system/share"
    export XDG_DATA_HOME="$HOME/.local/share" XDG_CONFIG_HOME="$HOME/.config"
    export XDG_DATA_DIRS="$system:/usr/share" PATH="$prefix/bin:/usr/bin:/bin"
    mkdir -p "$system/applications"
    printf '%s\n' "[Desktop Entry]" "Type=Application" "Name=Image Viewer" "Exec=true %U" \
        "MimeType=image/jpeg;image/png;video/mp4;" > "$system/applications/viewer.desktop"
    update-desktop-database "$system/applications" || fail "update-desktop-database (system)"
    update-desktop-database "$prefix/share/applications" || fail "update-desktop-database (~/.local)"

    local type answer
    for type in image/jpeg image/png video/mp4 video/quicktime inode/directory; do
        answer=$(gio mime "$type" 2>&1)
        [[ "$answer" == *[Tt]avrel* ]] && fail "gio mime $type names Tavrel: $answer"
    done
    answer=$(gio mime image/jpeg 2>&1)
    [[ "$answer" == *"viewer.desktop"* ]] || fail "gio mime image/jpeg misses the viewer: $answer"

    # Launched with two files, as "Open with" does: both are renamed.
    make_file "$work/photos/IMG_0001.jpg" "2011-09-15 12:34:56"
    make_file "$work/photos/holiday clip.mp4" "2011-09-16 01:02:03"
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM TZ=UTC LC_ALL=C \
        gio launch "$prefix/share/applications/tavrel.desktop" \
        "$work/photos/IMG_0001.jpg" "$work/photos/holiday clip.mp4" > "$work/gio.log" 2>&1 ||
        fail "gio launch: $(cat "$work/gio.log")"
    local expected
    expected=$(printf '%s\n' "f 20110915_IMG_0001.jpg" "f 20110916_holiday clip.mp4")
    # gio launch does not wait for the program: wait for the new names.
    for _ in $(seq 1 300); do
        [[ "$(tree_of "$work/photos")" == "$expected" ]] && break
        sleep 0.1
    done
    expect_equal "names after gio launch with two files" "$expected" "$(tree_of "$work/photos")"
}

# `make uninstall` takes away what the install put there and nothing else.
case_uninstall() {
    # A fresh prefix, with the setup.ini the window writes beside the program.
    local prefix="$work/fresh"
    install_into "$prefix"
    printf 'StampType:2\r\n' > "$prefix/bin/setup.ini"
    uninstall_from "$prefix" || fail "uninstall failed: $(cat "$work/uninstall.log")"
    expect_equal "left after uninstalling (setup.ini stays)" \
        "$(printf '%s\n' "d bin" "f bin/setup.ini")" "$(tree_of "$prefix")"

    # Installed twice over, then uninstalled: nothing left, the prefix neither.
    rm -rf "$prefix"
    install_into "$prefix"
    install_into "$prefix"
    uninstall_from "$prefix" || fail "uninstall after two installs failed"
    [[ -e "$prefix" ]] && fail "left after two installs and uninstall: $(tree_of "$prefix")"

    # A prefix in use: other programs, entries, icons, an empty man1 folder.
    prefix="$work/lived-in"
    mkdir -p "$prefix/bin" "$prefix/share/applications" "$prefix/share/icons/hicolor" \
             "$prefix/share/man/man1"
    printf '#!/bin/sh\n' > "$prefix/bin/other-tool"
    printf '[Desktop Entry]\n' > "$prefix/share/applications/other.desktop"
    printf '[Icon Theme]\n' > "$prefix/share/icons/hicolor/index.theme"
    local before
    before=$(tree_of "$prefix")
    install_into "$prefix"
    uninstall_from "$prefix" || fail "uninstall from a prefix in use failed"
    expect_equal "a prefix in use after install and uninstall" "$before" "$(tree_of "$prefix")"

    # A record that points outside the prefix: those entries are ignored.
    prefix="$work/tampered"
    install_into "$prefix"
    printf 'keep\n' > "$work/outside.txt"
    mkdir -p "$work/outside-dir"
    printf '%s\n' "file ../outside.txt" "file $work/outside.txt" "file share/../../outside.txt" \
        "dir ../outside-dir" "dir $work/outside-dir" >> "$prefix/share/tavrel/install-record.txt"
    uninstall_from "$prefix" || fail "uninstall with a tampered record failed"
    [[ -f "$work/outside.txt" && -d "$work/outside-dir" ]] ||
        fail "uninstall removed something outside the prefix"
    [[ -e "$prefix" ]] && fail "left after uninstall: $(tree_of "$prefix")"

    # No record: not Tavrel's install; an error, and nothing goes.
    prefix="$work/foreign"
    mkdir -p "$prefix/bin"
    printf '#!/bin/sh\n' > "$prefix/bin/tavrel"
    if uninstall_from "$prefix"; then fail "uninstall without a record succeeded"; fi
    [[ -f "$prefix/bin/tavrel" ]] || fail "uninstall without a record removed bin/tavrel"
}

# Without a prefix of the user's choosing the install goes to ~/.local, both
# through CMake and through make.
case_default_prefix() {
    local configured
    cmake -S "$src" -B "$work/configured" -DBUILD_TESTING=OFF > "$work/configure.log" 2>&1 ||
        fail "configure failed: $(tail -5 "$work/configure.log")"
    configured=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$work/configured/CMakeCache.txt")
    expect_equal "CMake's default prefix" "$HOME/.local" "$configured"

    cmake -S "$src" -B "$work/chosen" -DBUILD_TESTING=OFF -DCMAKE_INSTALL_PREFIX=/opt/tavrel \
        > "$work/configure.log" 2>&1 || fail "configure with a prefix failed"
    configured=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$work/chosen/CMakeCache.txt")
    expect_equal "a prefix the user chose" "/opt/tavrel" "$configured"

    local commands
    commands=$(make -n -C "$src" install BUILD=build-x 2>/dev/null)
    [[ "$commands" == *"cmake --install build-x --prefix \"$HOME/.local\""* ]] ||
        fail "make install does not install into ~/.local"
    commands=$(make -n -C "$src" install BUILD=build-x PREFIX=/opt/t 2>/dev/null)
    [[ "$commands" == *"cmake --install build-x --prefix \"/opt/t\""* ]] ||
        fail "make install ignores PREFIX"
    commands=$(make -n -C "$src" uninstall 2>/dev/null)
    [[ "$commands" == *"-DPREFIX=\"$HOME/.local\""* ]] ||
        fail "make uninstall does not default to ~/.local"
}

case "$case_name" in
    files-in-place) case_files_in_place ;;
    desktop-entry-launch) case_desktop_entry_launch ;;
    manual-page) case_manual_page ;;
    menu-launch) case_menu_launch ;;
    gio) case_gio ;;
    uninstall) case_uninstall ;;
    default-prefix) case_default_prefix ;;
    *) echo "unknown case: $case_name" >&2; exit 2 ;;
esac

if [[ $failures -gt 0 ]]; then
    echo "install test $case_name: $failures check(s) failed" >&2
    exit 1
fi
echo "install test $case_name: passed"
