#!/usr/bin/env bash
# Run inside Xvfb by scripts/test-windows-setup.sh: starts zentu.exe under Wine on its program folder, waits for the
# two settings dialogs start-up opens, saves the range dialog as a user does (Shift+Tab from the first control reaches
# its last one, 「保　存」, and Space presses it), waits for the main window, and takes a screenshot of each stage.
# The window lists (xwininfo -root -tree) are kept beside the screenshots, so a check can look for the captions.
#
#   bash scripts/zentu-screenshot.sh WINE ZENTU.EXE OUT   # OUT.png and OUT-dialogs.png, OUT.txt and OUT-dialogs.txt
#
# Exits 1, saying at which stage, when a window does not come within its time.
set -uo pipefail
wine_program=$1 program=$2 out=$3

# Captions (patterns): the range dialog's and the environment dialog's, with a job shown or, before the first save,
# as start-up names them; the main window's.
range_caption="範 囲 設 定|設定 hdb"
config_caption="環 境 設 定|設定　： zentu.exe ver "
main_caption=" zentu   ver [0-9.]+   @ zentu project"

# Waits up to `seconds` for a window whose caption holds `caption`; prints its id.
wait_for_window() { # caption, seconds
    local id
    for _ in $(seq 1 "$2"); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1)
        if [[ -n $id ]]; then
            echo "$id"
            return 0
        fi
        sleep 1
    done
    return 1
}

# A Wine server that programs run before this one started without the display would give the windows no display.
wineserver -k 2>/dev/null
wineserver -w
"$wine_program" "$program" >/dev/null 2>&1 &
disown # ended by wineserver -k below, without a note from the shell
status=0
if ! range=$(wait_for_window "$range_caption" 120) || ! wait_for_window "$config_caption" 30 >/dev/null; then
    echo "zentu-screenshot: the two settings dialogs did not come up" >&2
    status=1
fi
sleep 2 # the dialogs paint
xwininfo -root -tree >"$out-dialogs.txt" 2>&1
import -window root "$out-dialogs.png"
if ((status == 0)); then
    xdotool windowactivate --sync "$range" 2>/dev/null || xdotool windowfocus --sync "$range"
    sleep 1
    xdotool key --clearmodifiers shift+Tab
    sleep 0.5
    xdotool key --clearmodifiers space
    if ! wait_for_window "$main_caption" 60 >/dev/null; then
        echo "zentu-screenshot: the main window did not come up after 「保　存」" >&2
        status=1
    fi
    sleep 2
    xwininfo -root -tree >"$out.txt" 2>&1
    import -window root "$out.png"
fi
wineserver -k 2>/dev/null
exit $status
