#!/usr/bin/env bash
# Builds the Windows programs (32-bit, with Debian's mingw-w64 and a Qt for Windows built from Debian's own source by
# scripts/build-qt-windows.sh), makes the setup program and the zip, and tests the Windows build under Wine: the
# tests, the same jobs run with zentu_cli.exe and with the Linux zentu_cli (CSV and ADIF files compared byte for
# byte), a silent install and uninstall of the setup program, and a screenshot of zentu.exe on a demo folder.
# Installs what it needs on Debian 12 (run as root, or with sudo). Fails on any difference.
#
# Wine runs 32-bit Windows programs only on a machine that runs 32-bit Linux programs. Where it cannot (virtual
# machines without the 32-bit mode), the 32-bit build is still made and packaged, and the same sources are built
# for 64-bit Windows (build-windows64/) and tested under 64-bit Wine instead. That test build has the window
# programs (and their tests and the screenshot) when a 64-bit Qt is cached; ZENTU_WINDOWS_GUI_TESTS=1 builds that Qt
# first when it is not (as long again as the 32-bit one), otherwise they are left out with a message.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
started=$SECONDS
step() { echo "== $1 ($((SECONDS - started)) s)"; }

# --- Packages: the cross compilers, Wine, NSIS, Qt's Japanese texts, Xvfb, a Japanese font (Wine finds the
# machine's fonts), the tools that drive and photograph the window, the build tools and GoogleTest's sources. ---
packages=(mingw-w64 g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine wine32 wine64 nsis cmake ninja-build
    libgtest-dev nlohmann-json3-dev g++ libc-bin qt6-translations-l10n xvfb xauth x11-utils xdotool imagemagick
    fonts-noto-cjk zip unzip)
source scripts/packages.sh
mapfile -t missing < <(missing_packages "${packages[@]}")
step "packages"
# wine32 comes from the i386 architecture.
if ((${#missing[@]} > 0)) && ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi
install_packages "${missing[@]}"

# --- Which build runs under Wine: the 32-bit one where this machine runs 32-bit programs. ---
if /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    test_arch=i686
else
    test_arch=x86_64
    echo "This machine does not run 32-bit programs: the tests run on a 64-bit build of the same sources."
fi

# --- The 32-bit build: Qt, the programs, the setup program and the zip. ---
step "Qt for 32-bit Windows"
qt32=$(bash scripts/build-qt-windows.sh i686 | tail -n 1)
build=build-windows
tests32=OFF
[[ $test_arch == i686 ]] && tests32=ON
step "cross build (32-bit)"
cmake -S . -B "$build" -G Ninja --toolchain cmake/mingw-w64-i686.cmake -DCMAKE_BUILD_TYPE=Release \
    -DZENTU_QT_PREFIX="$qt32" -DZENTU_BUILD_GUI=ON -DZENTU_BUILD_TESTS=$tests32
cmake --build "$build" -j2
step "setup program and zip (32-bit)"
(cd "$build" && cpack)
for package in "$build/zentu-setup-0.25.exe" "$build/zentu-0.25-windows.zip"; do
    [[ -f $package ]] || { echo "cpack did not make $package" >&2; exit 1; }
done
if unzip -l "$build/zentu-0.25-windows.zip" | grep -q 'Hamlog50.dll\|Thdll2Vb.dll'; then
    echo "The zip holds our test record libraries, which are for the tests only" >&2
    exit 1
fi
echo "Stripped sizes:"
unzip -l "$build/zentu-0.25-windows.zip" | grep -E '\.(exe|dll)$'

# --- The build the tests run on, and its Wine. ---
if [[ $test_arch == i686 ]]; then
    test_build=$build
    export WINEARCH=win32
    wine_program=wine
    window_programs=ON
else
    test_build=build-windows64
    export WINEARCH=win64
    wine_program=/usr/lib/wine/wine64
    window_programs=OFF
    qt_option=()
    step "Qt for 64-bit Windows"
    if [[ ${ZENTU_WINDOWS_GUI_TESTS:-0} == 1 ]]; then
        qt64=$(bash scripts/build-qt-windows.sh x86_64 | tail -n 1)
    else
        qt64=$(bash scripts/build-qt-windows.sh x86_64 --cached-only | tail -n 1) || qt64=""
    fi
    if [[ -n $qt64 ]]; then
        qt_option=(-DZENTU_QT_PREFIX="$qt64")
        window_programs=ON
    else
        echo "No 64-bit Qt is cached: the window programs, their tests under Wine and the screenshot are left out" \
            "(ZENTU_WINDOWS_GUI_TESTS=1 builds that Qt first)."
    fi
    step "cross build (64-bit, for the tests)"
    cmake -S . -B "$test_build" -G Ninja --toolchain cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
        "${qt_option[@]}" -DZENTU_BUILD_GUI=$window_programs
    cmake --build "$test_build" -j2
    (cd "$test_build" && cpack -G NSIS)
fi
wine() { "$wine_program" "$@"; }

# Wine: a prefix of its own, made on first start; no Mono or Gecko prompts, no debug output.
export WINEPREFIX="$root/$test_build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# Wine gives the programs their arguments and file names in the locale's encoding: UTF-8 for the Japanese names.
export LC_ALL=C.UTF-8
step "Wine prefix"
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    echo "Making the Wine prefix $WINEPREFIX"
    wine wineboot --init >/dev/null 2>&1 </dev/null
    wineserver -w
fi
trap 'wineserver -k 2>/dev/null || true' EXIT

step "tests under Wine"
# A test that hangs under Wine fails the run after 5 minutes (the slowest takes about 30 seconds under 64-bit Wine).
ctest --test-dir "$test_build" --output-on-failure --no-tests=error -j2 --timeout 300
# Wine makes a console only for a program started in a terminal: the console writers' tests (zentu_cli's and
# hamlog_tool's), which ctest's run skips, run again in one (script gives it a terminal) and must not be skipped there.
console_test() { # test program, test filter
    local report="$root/$test_build/console-test-$(basename "$1" .exe).xml"
    rm -f "$report"
    script -qec "$wine_program $test_build/tests/$1 --gtest_filter=$2 --gtest_output=xml:Z:$report" /dev/null >/dev/null
    grep -q 'result="completed"' "$report" && ! grep -q '<failure\|result="skipped"' "$report" || {
        echo "The console writer's test $2 did not pass in a terminal under Wine ($report)" >&2
        exit 1
    }
}
console_test test_platform.exe 'ConsoleWriterTest.*'
console_test hamlog_library/test_hamlog_library.exe 'ToolConsoleTest.*'

# --- The Linux runner, built for the comparison. ---
linux_build=build-linux-cli
step "Linux runner"
cmake -S . -B "$linux_build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZENTU_BUILD_GUI=OFF -DZENTU_BUILD_TESTS=OFF \
    -DZENTU_BUILD_BENCH=OFF
cmake --build "$linux_build" -j2 --target zentu_cli hamlog_tool Hamlog50 Thdll2Vb

# --- Two program folders with the same jobs: the demo's two jobs and three more ranges. The folders' own names are
# Japanese, so paths in the settings files are CP932 on both sides. ---
compare="$root/$test_build/比較"
linux="$compare/linux"
windows="$compare/windows"
rm -rf "$compare"
mkdir -p "$linux" "$windows"
cp -a "$linux_build/bin/zentu_cli" "$linux_build/bin/hamlog_tool" "$linux_build/bin/libHamlog50.so" \
    "$linux_build/bin/libThdll2Vb.so" "$linux_build/bin/mode_tbl.csv" "$linux/"
cp -a "$test_build/bin/zentu_cli.exe" "$test_build/bin/hamlog_tool.exe" "$test_build/bin/Hamlog50.dll" \
    "$test_build/bin/Thdll2Vb.dll" "$test_build/bin/mode_tbl.csv" "$windows/"

cp932() { iconv -f UTF-8 -t CP932 | sed 's/$/\r/'; }
windows_path() { # a Linux path as the Windows programs under Wine see it (drive Z: is the Linux root)
    local path=$1
    printf 'Z:%s' "${path//\//\\}"
}

settings() { # log, output, select_flag, then the range keys
    printf '[Config]\nversion=0.25\nset_hdb_dir=%s\nset_outcsv_dir=%s\nadif_out=1\n' "$1" "$2"
    printf '[Set_hdb]\nselect_flag=%s\nset_start_date=%s\nset_end_date=%s\nset_date_time_UJ=%s\n' "$3" "$4" "$5" "$6"
    printf 'set_start_rec_no=%s\nset_end_rec_no=%s\nzentu_arun_end_time=3\nset_rec_hani=%s\nset_anytime_last=%s\n' \
        "$7" "$8" "$9" "${10}"
    printf 'last_start_rec_no=0\nlast_end_rec_no=0\n[JOB_run]\nselect_flag_new_add_last_QSO_data=\n'
}

jobs=(
    # number, name, output, select_flag, start date, end date, zone, first, last, count, to the newest
    "1|デモ 全レコード|LOGLIST.CSV|0|20090101|20091231|JST|1|300|100|0"
    "2|デモ 新規追加分|NEW.CSV|4|20090101|20091231|JST|1|300|100|0"
    "3|日付 JST|DATE_JST.CSV|1|20090301|20090630|JST|1|300|100|0"
    "4|番号 最新まで|NUMBERS.CSV|2|20090101|20091231|UTC|120|150|100|1"
    "5|最後の 25 件|LAST.CSV|3|20090101|20091231|JST|1|300|25|0"
)

make_folder() { # folder, how paths are written there (linux or windows)
    local folder=$1 style=$2
    mkdir -p "$folder/ini" "$folder/JOB" "$folder/Hamlog"
    for n in 1 2 3 4 5 6 7 8 9; do
        printf 'JOB_name : 未登録\nJOB_MSG1 :  \nJOB_MSG2 :  \nJOB_MSG3 :  \n' | cp932 >"$folder/JOB/JOB_$n.txt"
    done
    local line number name output flag start end zone first last count newest log out
    for line in "${jobs[@]}"; do
        IFS='|' read -r number name output flag start end zone first last count newest <<<"$line"
        printf 'JOB_name : %s\nJOB_MSG1 : \nJOB_MSG2 : \nJOB_MSG3 : \n' "$name" | cp932 >"$folder/JOB/JOB_$number.txt"
        log="$folder/Hamlog/Hamlog.hdb"
        out="$folder/Hamlog/$output"
        if [[ $style == windows ]]; then
            log=$(windows_path "$log")
            out=$(windows_path "$out")
        fi
        settings "$log" "$out" "$flag" "$start" "$end" "$zone" "$first" "$last" "$count" "$newest" \
            | cp932 >"$folder/ini/zentu_$number.ini"
    done
    printf '[Config]\nversion=0.25\n\n' | cp932 >"$folder/zentu_posi.ini"
}
make_folder "$linux" linux
make_folder "$windows" windows

# The demo log, 300 contacts, made by each side's own tool: the logs must be the same apart from the date of the
# last update (header bytes 2 to 4).
"$linux/hamlog_tool" generate "$linux/Hamlog/Hamlog.hdb" 300 --seed 7
wine "$windows/hamlog_tool.exe" generate "$(windows_path "$windows/Hamlog/Hamlog.hdb")" 300 --seed 7

failures=0
same_bytes() { # what, linux file, windows file, bytes to skip at the start, header lines to leave aside
    local what=$1 a=$2 b=$3
    if cmp -s "$a" "$b"; then
        echo "  same: $what"
    else
        echo "  DIFFERENT: $what ($a, $b)" >&2
        cmp "$a" "$b" >&2 || true
        failures=$((failures + 1))
    fi
}
compare_log() {
    same_bytes "log (from byte 5)" <(tail -c +5 "$linux/Hamlog/Hamlog.hdb") <(tail -c +5 "$windows/Hamlog/Hamlog.hdb")
    same_bytes "log (first byte)" <(head -c 1 "$linux/Hamlog/Hamlog.hdb") <(head -c 1 "$windows/Hamlog/Hamlog.hdb")
}
compare_bookkeeping() { # job number: where its last run ended and the signature of the record it wrote last
    local job=$1
    same_bytes "ini/zentu_$job.ini bookkeeping" <(grep -a '^last_\|^select_flag_new_add' "$linux/ini/zentu_$job.ini") \
        <(grep -a '^last_\|^select_flag_new_add' "$windows/ini/zentu_$job.ini")
}
compare_outputs() { # output file name
    local csv=$1 adi="${1%.*}.adi"
    same_bytes "$csv" "$linux/Hamlog/$csv" "$windows/Hamlog/$csv"
    # ADIF header lines 2 and 3 name the program's web page and mail address; the rest must match.
    same_bytes "$adi (but header lines 2 and 3)" <(sed '2,3d' "$linux/Hamlog/$adi") <(sed '2,3d' "$windows/Hamlog/$adi")
}
run_job() { # job number, expected exit status
    local job=$1 expected=${2:-0} status
    echo "JOB $job"
    status=0
    "$linux/zentu_cli" --job "$job" >"$compare/linux-$job.txt" 2>&1 || status=$?
    if [[ $status != "$expected" ]]; then
        echo "  Linux zentu_cli ended with $status:" >&2
        cat "$compare/linux-$job.txt" >&2
        failures=$((failures + 1))
    fi
    status=0
    wine "$windows/zentu_cli.exe" --job "$job" >"$compare/windows-$job.txt" 2>&1 || status=$?
    if [[ $status != "$expected" ]]; then
        echo "  zentu_cli.exe ended with $status:" >&2
        cat "$compare/windows-$job.txt" >&2
        failures=$((failures + 1))
    fi
}

step "comparison"
echo "Comparing the Linux and the Windows runners in $compare"
compare_log
for job in 1 3 4 5; do
    run_job "$job"
done
compare_outputs LOGLIST.CSV
compare_outputs DATE_JST.CSV
compare_outputs NUMBERS.CSV
compare_outputs LAST.CSV

run_job 2
compare_outputs NEW.CSV
compare_bookkeeping 2
run_job 2 # nothing new: the files stay as they are
# A redirected output of zentu_cli.exe is CP932, as Japanese Windows programs read it.
iconv -f CP932 -t UTF-8 "$compare/windows-2.txt" | grep -q "新規追加レコードはありません" || {
    echo "  zentu_cli.exe did not report that nothing was new" >&2
    failures=$((failures + 1))
}
compare_outputs NEW.CSV

# Contacts added with each side's tool, then the new-additions job again.
printf '%s\n' \
    '"JA1ZZZ","24/05/01","12:34J","59","59","7.050","SSB","1001","PM95","J","山田","東京都 千代田区","","","",""' \
    '"W1AW","24/05/02","01:05U","599","579","14.025","CW","","FN31","","Bob","Newington, CT","表示","","",""' \
    '"JH3XYZ","24/05/03","23:59J","59","57","430.10","FM","2701","","N","ソ","大阪","〒","","",""' \
    >"$compare/more.csv"
"$linux/hamlog_tool" append "$linux/Hamlog/Hamlog.hdb" "$compare/more.csv"
wine "$windows/hamlog_tool.exe" append "$(windows_path "$windows/Hamlog/Hamlog.hdb")" \
    "$(windows_path "$compare/more.csv")"
compare_log
run_job 2
compare_outputs NEW.CSV
compare_bookkeeping 2

if ((failures > 0)); then
    echo "The Windows build differs from the Linux build in $failures place(s)." >&2
    exit 1
fi
echo "The Windows runner wrote the same files as the Linux runner."

# --- The setup program: installed and uninstalled silently, and zentu.exe on a demo folder (with a screenshot). ---
step "setup program under Wine"
export ZENTU_TEST_BUILD="$root/$test_build" ZENTU_WINDOW_PROGRAMS=$window_programs
source scripts/test-windows-setup.sh
step "done"
