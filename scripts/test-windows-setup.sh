# Sourced by scripts/test-windows.sh (which gives wine, make_folder, windows_path and the build): installs the setup
# program silently under Wine into a folder inside a Hamlog-like folder, checks what it installed, runs the installed
# programs on demo jobs there (zentu.exe under Xvfb, with a screenshot, when the build has the window programs),
# installs again over the user's edited mode table, uninstalls silently, and checks what stays.

setup_failures=0
setup_check() { # what, then a command that must succeed
    local what=$1
    shift
    if "$@"; then
        echo "  ok: $what"
    else
        echo "  FAILED: $what" >&2
        setup_failures=$((setup_failures + 1))
    fi
}

setup_root="$ZENTU_TEST_BUILD/setup-test"
hamlog_folder="$setup_root/Hamlog"
installed="$hamlog_folder/zentu"
rm -rf "$setup_root"
mkdir -p "$hamlog_folder"
# Hamlog's folder holds Hamlog's record library (ours stands in for it here): the setup program copies it into the
# program folder it makes inside.
cp "$ZENTU_TEST_BUILD/bin/Hamlog50.dll" "$ZENTU_TEST_BUILD/bin/Thdll2Vb.dll" "$hamlog_folder/"
setup_program="$ZENTU_TEST_BUILD/zentu-setup-0.25.exe"
install_silently() {
    wine "$setup_program" /S "/D=$(windows_path "$installed")"
    wineserver -w
}
install_silently

installed_files=(zentu_cli.exe hamlog_tool.exe mode_tbl.csv README.txt uninstall.exe)
if [[ $ZENTU_WINDOW_PROGRAMS == ON ]]; then
    installed_files+=(zentu.exe zentu_arun.exe Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll platforms/qwindows.dll
        styles/qwindowsvistastyle.dll qtbase_ja.qm)
fi
for file in "${installed_files[@]}"; do
    setup_check "installed $file" test -f "$installed/$file"
done
setup_check "Hamlog's record library copied from Hamlog's folder" \
    cmp -s "$installed/Hamlog50.dll" "$hamlog_folder/Hamlog50.dll"
setup_check "no test-only Qt files installed" \
    test ! -e "$installed/Qt6Test.dll" -a ! -e "$installed/platforms/qoffscreen.dll"
start_menu=$(find "$WINEPREFIX/drive_c/users" -path '*Start Menu/Programs/zentu' -type d | head -n 1)
setup_check "Start-menu folder" test -n "$start_menu"
if [[ $ZENTU_WINDOW_PROGRAMS == ON ]]; then
    setup_check "Start-menu entries for zentu and zentu_arun" \
        test -f "$start_menu/zentu.lnk" -a -f "$start_menu/zentu_arun.lnk"
fi

# The demo jobs in the installed folder, run by the installed programs.
make_folder "$installed" windows
wine "$installed/hamlog_tool.exe" generate "$(windows_path "$installed/Hamlog/Hamlog.hdb")" 300 --seed 7
setup_check "installed zentu_cli.exe runs job 1" wine "$installed/zentu_cli.exe" --job 1 >"$setup_root/job1.txt"
iconv -f CP932 -t UTF-8 "$setup_root/job1.txt" # what it printed (CP932, as it writes to a file)
setup_check "job 1 wrote its CSV file" test -s "$installed/Hamlog/LOGLIST.CSV"

if [[ $ZENTU_WINDOW_PROGRAMS == ON ]]; then
    # zentu.exe on the Windows platform under Xvfb: start-up opens job 1's two settings dialogs; the range dialog's
    # 「保　存」 brings the main window. The screenshots stay in the build folder for a person to look at.
    screenshot="$ZENTU_TEST_BUILD/zentu-under-wine"
    rm -f "$screenshot".png "$screenshot"-dialogs.png "$screenshot".txt "$screenshot"-dialogs.txt
    xvfb-run -a -s "-screen 0 1280x800x24" bash "$root/scripts/zentu-screenshot.sh" "$wine_program" \
        "$(windows_path "$installed/zentu.exe")" "$screenshot" || true
    setup_check "zentu.exe showed its two settings dialogs (window list $screenshot-dialogs.txt)" \
        grep -qE '"(　ＪＯＢ１　範 囲 設 定|設定 hdb)"' "$screenshot-dialogs.txt"
    setup_check "zentu.exe showed its environment dialog (window list $screenshot-dialogs.txt)" \
        grep -qE '"(　ＪＯＢ１　環 境 設 定|　設定　： zentu.exe ver [0-9.]+)"' "$screenshot-dialogs.txt"
    setup_check "「保　存」 brought the main window (window list $screenshot.txt)" \
        grep -qE '" zentu   ver [0-9.]+   @ zentu project"' "$screenshot.txt"
    setup_check "screenshot $screenshot.png" test -s "$screenshot.png"
fi

# The user's edited mode table survives a second install and the uninstall; so do the jobs and Hamlog's DLLs.
printf '"FT8","FT8","","",""\r\n' >>"$installed/mode_tbl.csv"
cp "$installed/mode_tbl.csv" "$setup_root/mode_tbl.csv.edited"
install_silently
setup_check "a second install keeps the edited mode table" cmp -s "$installed/mode_tbl.csv" "$setup_root/mode_tbl.csv.edited"
wine "$installed/uninstall.exe" /S
wineserver -w
for file in mode_tbl.csv zentu_posi.ini ini/zentu_1.ini JOB/JOB_1.txt Hamlog50.dll Thdll2Vb.dll Hamlog/LOGLIST.CSV; do
    setup_check "kept after uninstalling: $file" test -f "$installed/$file"
done
setup_check "the edited mode table is kept as it was" cmp -s "$installed/mode_tbl.csv" "$setup_root/mode_tbl.csv.edited"
for file in "${installed_files[@]}"; do
    [[ $file == mode_tbl.csv ]] && continue
    setup_check "removed: $file" test ! -e "$installed/$file"
done
setup_check "removed: platforms and styles" test ! -e "$installed/platforms" -a ! -e "$installed/styles"
setup_check "removed: Start-menu folder" test ! -e "$start_menu"

if ((setup_failures > 0)); then
    echo "The setup program failed $setup_failures check(s)." >&2
    exit 1
fi
echo "The setup program installed, kept the user's files and uninstalled as it should."
