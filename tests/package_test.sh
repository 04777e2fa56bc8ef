#!/bin/bash
# The installed Debian package, checked as a user of the desktop would meet it: the files are where the
# desktop and man look for them, the menu entry's command starts the installed program, whose window opens
# with its icon and closes from its title bar. (QUIT on the installed program is the package's own
# autopkgtest, debian/tests.) Run after `apt install ./quibrel_*.deb` (scripts/package does both); starts its
# own display (Xvfb + openbox). Prints one line per check; the exit status is the number of failed checks.
set -uo pipefail
repository="$(cd "$(dirname "$0")/.." && pwd)"
app_id=io.github.quibrel.Quibrel
failures=0

check() {
    local what="$1"
    shift
    if "$@"; then
        echo "PASS: $what"
    else
        echo "FAIL: $what"
        failures=$((failures + 1))
    fi
}

installed() { dpkg-query -W -f='${Status}' quibrel 2>/dev/null | grep -q "install ok installed"; }
package_owns() { dpkg -L quibrel | grep -qx "$1"; }
depends_on() { dpkg-query -W -f='${Depends}' quibrel | tr ',' '\n' | grep -q "^ *$1\( \|$\)"; }
has_font() { fc-list : family | tr ',' '\n' | grep -qx "$1"; }

check "the package quibrel is installed" installed
for file in /usr/bin/quibrel \
    /usr/share/applications/$app_id.desktop \
    /usr/share/metainfo/$app_id.metainfo.xml \
    /usr/share/icons/hicolor/32x32/apps/$app_id.png \
    /usr/share/icons/hicolor/256x256/apps/$app_id.png \
    /usr/share/icons/hicolor/scalable/apps/$app_id.svg \
    /usr/share/man/man1/quibrel.1.gz \
    /usr/share/doc/quibrel/copyright \
    /usr/share/doc/quibrel/changelog.gz; do
    check "the package installs $file" package_owns "$file"
done
sound_module="$(dpkg -L quibrel | grep '/quibrel/quibrel-sound\.so$' | head -1)"
check "the package installs the sound module under /usr/lib ($sound_module)" \
    grep -q '^/usr/lib/' <<<"$sound_module"
for dependency in fonts-terminus fonts-blankenburg libqt6widgets6 libqt6multimedia6 libsndfile1; do
    check "the package depends on $dependency" depends_on "$dependency"
done
check "the package recommends qt6-wayland" test "$(dpkg-query -W -f='${Recommends}' quibrel)" = qt6-wayland
check "the package suggests dosbox, wine and wine64" test "$(dpkg-query -W -f='${Suggests}' quibrel)" = "dosbox, wine, wine64"
check "the manual page names the emulator and the start-up sound" \
    grep -q 'Zemu\.exe.*NEWSTING\.WAV' < <(MANWIDTH=200 man quibrel 2>/dev/null | tr '\n' ' ')
check "the installed fonts give \"Terminus (TTF)\"" has_font "Terminus (TTF)"
check "the installed fonts give \"Blankenburg_UNZ1A\"" has_font "Blankenburg_UNZ1A"

entry=/usr/share/applications/$app_id.desktop
entry_value() { sed -n "s/^$1=//p" "$entry" | head -1; }
check "the menu entry is in the categories Game and Emulator" test "$(entry_value Categories)" = "Game;Emulator;"
check "the menu entry's icon is the installed one" test "$(entry_value Icon)" = "$app_id"
exec_line="$(entry_value Exec)"
check "the menu entry's command is the installed program" test "$(command -v "${exec_line%% *}")" = /usr/bin/quibrel

# The program, started as the menu would start it: the entry's command, from the user's folder.
source "$repository/scripts/virtual-session"
start_display
folder="$(mktemp -d /tmp/quibrel-package-test.XXXXXX)"
session_dirs+=("$folder")
(cd "$folder" && exec $exec_line) >"$folder/program.log" 2>&1 &
program=$!
session_pids+=($program)

window="$(timeout 30 xdotool search --sync --onlyvisible --pid "$program" --name '^Quibrel! v0\.2$' | head -1)"
check "the installed program opens its window \"Quibrel! v0.2\"" test -n "$window"
if [ -n "$window" ]; then
    wm_class="$(xprop -id "$window" WM_CLASS)"
    check "the window's class matches the menu entry's StartupWMClass ($wm_class)" \
        grep -q "\"$(entry_value StartupWMClass)\"" <<<"$wm_class"
    check "the window carries its 32 x 32 icon" grep -q "Icon (32 x 32)" < <(xprop -id "$window" -notype _NET_WM_ICON)
    xdotool windowactivate --sync "$window" key --clearmodifiers alt+F4
    ended=no
    for _ in $(seq 100); do
        kill -0 "$program" 2>/dev/null || { ended=yes; break; }
        sleep 0.1
    done
    status=none
    if [ "$ended" = yes ]; then
        wait "$program"
        status=$?
    fi
    check "closing the window ends the program with status 0 (status: $status)" test "$status" = 0
fi

# With the start-up sound in place (a drive D: of its own, in a mount namespace of its own), the installed
# program finds its sound module.
if [ "$(id -u)" -eq 0 ] && command -v sox >/dev/null; then
    sox -n -r 22050 -b 16 "$folder/sting.wav" synth 3 sine 440
    (cd "$folder" && exec unshare --mount --propagation private sh -c \
        'set -e; mount -t tmpfs drives /mnt; mkdir -p /mnt/d/VUD/MUSIQUES/WAVE
         cp "$1" /mnt/d/VUD/MUSIQUES/WAVE/NEWSTING.WAV; exec "$0"' /usr/bin/quibrel "$folder/sting.wav") \
        >>"$folder/program.log" 2>&1 &
    program=$!
    session_pids+=($program)
    window="$(timeout 30 xdotool search --sync --onlyvisible --pid "$program" --name '^Quibrel! v0\.2$' | head -1)"
    check "with the start-up sound there, the installed program loads its sound module" \
        grep -q "$sound_module" "/proc/$program/maps"
    kill "$program" 2>/dev/null
fi
if [ "$failures" -ne 0 ]; then
    echo "The program's output:"
    cat "$folder/program.log"
fi
exit "$failures"
