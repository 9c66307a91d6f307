#!/usr/bin/env bash
# Sets everything up, builds the programs, prepares a ready demo program folder (demo/) with a demo log of a few
# hundred contacts and two registered jobs, then starts the interactive program zentu on it (on a machine without a
# display it runs the demo job with zentu_cli instead) and shows where the files went.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/setup.sh

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DZENTU_BUILD_TESTS=OFF
cmake --build build -j2

demo="$root/demo"
rm -rf "$demo"
mkdir -p "$demo/ini" "$demo/JOB" "$demo/Hamlog"
cp -a build/bin/. "$demo/"

# The demo log: 300 realistic contacts, and its companion master file.
"$demo/hamlog_tool" generate "$demo/Hamlog/Hamlog.hdb" 300 --seed 7

# Text files of the program folder are CP932 with CR LF.
cp932() { iconv -f UTF-8 -t CP932 | sed 's/$/\r/'; }

for n in 1 2 3 4 5 6 7 8 9; do
    printf 'JOB_name : 未登録\nJOB_MSG1 :  \nJOB_MSG2 :  \nJOB_MSG3 :  \n' | cp932 > "$demo/JOB/JOB_$n.txt"
done
printf 'JOB_name : デモ 全レコード\nJOB_MSG1 : 全レコードを CSV と ADIF に出力\nJOB_MSG2 : 出力先 Hamlog/LOGLIST.CSV\nJOB_MSG3 : \n' \
    | cp932 > "$demo/JOB/JOB_1.txt"
printf 'JOB_name : デモ 新規追加分\nJOB_MSG1 : 前回の実行後に追加された QSO だけを出力\nJOB_MSG2 : 出力先 Hamlog/NEW.CSV\nJOB_MSG3 : \n' \
    | cp932 > "$demo/JOB/JOB_2.txt"

settings() { # job, output file, select_flag
    printf '[Config]\nversion=0.25\nset_hdb_dir=%s\nset_outcsv_dir=%s\nadif_out=1\n' "$demo/Hamlog/Hamlog.hdb" "$demo/Hamlog/$2"
    printf '[Set_hdb]\nselect_flag=%s\nset_start_date=20090101\nset_end_date=20091231\nset_date_time_UJ=JST\n' "$3"
    printf 'set_start_rec_no=1\nset_end_rec_no=300\nzentu_arun_end_time=3\nset_rec_hani=100\nset_anytime_last=0\n'
    printf 'last_start_rec_no=0\nlast_end_rec_no=0\n[JOB_run]\nselect_flag_new_add_last_QSO_data=\n'
}
settings 1 LOGLIST.CSV 0 | cp932 > "$demo/ini/zentu_1.ini"
settings 2 NEW.CSV 4 | cp932 > "$demo/ini/zentu_2.ini"
printf '[Config]\nversion=0.25\n\n' | cp932 > "$demo/zentu_posi.ini"

echo
echo "Demo program folder: $demo"
ls -l "$demo" "$demo/Hamlog"
echo
if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
    echo "Starting zentu on the demo folder. It opens job 1's two settings dialogs; press 「保　存」 in the range dialog"
    echo "to reach the main window, choose a job in 「JOB 選択」 and press 「Ｊ Ｏ Ｂ 実 行」."
    echo "(The auto-run program is $demo/zentu_arun.)"
    "$demo/zentu"
    echo "zentu has ended. Output files:"
    ls -l "$demo/Hamlog"
else
    echo "No display here, so zentu cannot show its windows (run it on a desktop: $demo/zentu)."
    echo "Running demo job 1 with zentu_cli instead:"
    "$demo/zentu_cli" --folder "$demo" --job 1
    echo
    echo "Written: $demo/Hamlog/LOGLIST.CSV and $demo/Hamlog/LOGLIST.adi (CP932, CR LF). First lines of the CSV file:"
    head -n 3 "$demo/Hamlog/LOGLIST.CSV" | iconv -f CP932 -t UTF-8
fi
