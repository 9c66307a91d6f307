#!/usr/bin/env bash
# Runs zentu_cli of a build on a fixed set of jobs and keeps everything it produced, so that two builds can be
# compared byte for byte (diff -r of two result folders): the CSV and ADIF files, the job's settings file after
# each run, the standard output and error and the exit status.
#
#   bash scripts/reference-outputs.sh BIN_DIR RESULT_DIR [RECORDS]
#
# BIN_DIR holds zentu_cli, hamlog_tool, the record libraries and mode_tbl.csv (build/bin). The jobs run over a
# synthetic log of RECORDS records (default 200000) and a small log full of CP932 text, quotes, commas, odd dates
# and times, a NUL inside a field and a lead byte left alone at a field's end; every range mode with and without
# ADIF, and the new-additions mode through its first run, an append, a run with nothing new and a changed log.
# The program folder is always made at the same place ($ZENTU_REFERENCE_WORK, default /tmp/zentu-reference-work), so
# the paths the runs print are the same for every build.
set -euo pipefail

bin=$(cd "$1" && pwd)
results=$2
records=${3:-200000}
work=${ZENTU_REFERENCE_WORK:-/tmp/zentu-reference-work}

rm -rf "$work" "$results"
mkdir -p "$work/ini" "$work/JOB" "$results"
cp "$bin/libHamlog50.so" "$bin/libThdll2Vb.so" "$bin/mode_tbl.csv" "$work/"
# The user's mode table adds a few spellings of its own, also in CP932.
printf 'SSB,ＳＳＢ,usb,LSB,\nRTTY,ＲＴＴＹ,,,\nFT8,FT-8,,,\n' | iconv -f UTF-8 -t CP932 >> "$work/mode_tbl.csv"

cp932() { iconv -f UTF-8 -t CP932 | sed 's/$/\r/'; }

for n in 1 2 3 4 5 6 7 8 9; do
    printf 'JOB_name : 未登録\nJOB_MSG1 :  \nJOB_MSG2 :  \nJOB_MSG3 :  \n' | cp932 > "$work/JOB/JOB_$n.txt"
done
printf 'JOB_name : 比較\nJOB_MSG1 : \nJOB_MSG2 : \nJOB_MSG3 : \n' | cp932 > "$work/JOB/JOB_1.txt"

"$bin/hamlog_tool" generate "$work/SYN.hdb" "$records" --seed 3 > /dev/null

# The CP932 log: every field cycles through its own list, so the lists' lengths mix the combinations.
awk 'BEGIN {
    n = split("JA1ABC|7K1XYZ/1|ＪＡ１ＡＢＣ|W1AW/KH6|\"QUOTE\"|a,b|表ソ能|ﾊﾝｶｸ", call, "|")
    d = split("10/12/31|11/01/01|11/01/02|11/06/15|11/12/31|12/01/01|10/02/30||ab/cd/ef|10-01-01|99/12/31|50/01/01", date, "|")
    t = split("00:00J|08:59J|09:00J|23:59J|12:34U|00:00U|23:59U|12:00|25:00J|12:60J|1234J|1234 J|12:34X", time, "|")
    r = split("59|599|５９|5\"9|-10", rst, "|")
    f = split("7.050|14.074|7.|  21.2|abc|1.9|145.00|１４．０|50|0.1357", freq, "|")
    m = split("SSB|CW|PH|RY|PSK|ＳＳＢ|usb|lsb| ft8 |ＲＴＴＹ|SST|A1A|BPSK|FT-8", mode, "|")
    c = split("1001|１００１|10\"01||100110", code, "|")
    q = split("J*|E**|N|", qsl, "|")
    a = split("山田 太郎|Bob \"Mac\"|Smith, John|ﾊﾝｶｸ ｶﾀｶﾅ|表示ソース|\"\"|", name, "|")
    h = split("東京都千代田区|能登半島 \"輪島\"|ソ|Paris, France|", qth, "|")
    k = split("移動運用 \"QRP\"|「引用」と,カンマ|ＡＬＬ　ＪＡ|%JARL%|", rmk, "|")
    for (i = 0; i < 3000; i++) {
        row = sprintf("%s|%s|%s|%s|%s|%s|%s|%s|%s|%s|%s|%s|%s|%s|%s|%s",
            call[i % n + 1], date[i % d + 1], time[i % t + 1], rst[i % r + 1], rst[(i + 2) % r + 1],
            freq[i % f + 1], mode[i % m + 1], code[i % c + 1], "PM95", qsl[i % q + 1], name[i % a + 1],
            qth[i % h + 1], rmk[i % k + 1], rmk[(i + 3) % k + 1], "JARL", date[(i + 5) % d + 1])
        nf = split(row, cell, "|")
        line = ""
        for (j = 1; j <= nf; j++) {
            v = cell[j]
            gsub(/"/, "\"\"", v)
            line = line (j > 1 ? "," : "") "\"" v "\""
        }
        print line
    }
}' > "$work/kanji.csv"
"$bin/hamlog_tool" create "$work/KANJI.hdb" "$work/kanji.csv" --encoding utf8 > /dev/null

# Record 12: a NUL inside the name (field 11); record 8: a CP932 lead byte alone at the end of the remark (field 13).
# Records start after the 545-byte header and are 232 bytes long; the name lies at 82, the remark at 132.
patch() { printf "$3" | dd of="$work/KANJI.hdb" bs=1 seek=$((545 + ($1 - 1) * 232 + $2)) conv=notrunc status=none; }
patch 12 84 '\000'
patch 8 171 '\202'

settings() { # log, adif_out, select_flag, start date, end date, UJ, start no, end no, N, anytime, last start, last end
    printf '[Config]\nversion=0.25\nset_hdb_dir=%s\nset_outcsv_dir=%s\nadif_out=%s\n' "$work/$1" "$work/OUT.CSV" "$2"
    printf '[Set_hdb]\nselect_flag=%s\nset_start_date=%s\nset_end_date=%s\nset_date_time_UJ=%s\n' "$3" "$4" "$5" "$6"
    printf 'set_start_rec_no=%s\nset_end_rec_no=%s\nzentu_arun_end_time=3\nset_rec_hani=%s\nset_anytime_last=%s\n' \
        "$7" "$8" "$9" "${10}"
    printf 'last_start_rec_no=%s\nlast_end_rec_no=%s\n[JOB_run]\nselect_flag_new_add_last_QSO_data=\n' "${11}" "${12}"
}

run() { # case name, zentu_cli arguments...
    local name=$1
    shift
    local into="$results/$name"
    mkdir -p "$into"
    rm -f "$work/OUT.CSV" "$work/OUT.adi"
    local status=0
    "$bin/zentu_cli" --folder "$work" --job 1 "$@" > "$into/stdout" 2> "$into/stderr" || status=$?
    echo "$status" > "$into/status"
    for file in OUT.CSV OUT.adi; do
        if [[ -e "$work/$file" ]]; then cp "$work/$file" "$into/$file"; fi
    done
    cp "$work/ini/zentu_1.ini" "$into/zentu_1.ini"
}

for log in SYN KANJI; do
    for adif in 0 1; do
        c="$log-adif$adif"
        settings $log.hdb $adif 0 20110101 20111231 JST 1 100 50 0 0 0 | cp932 > "$work/ini/zentu_1.ini"
        run "$c-all"
        for uj in JST UTC NON; do
            settings $log.hdb $adif 1 20110101 20111231 $uj 1 100 50 0 0 0 | cp932 > "$work/ini/zentu_1.ini"
            run "$c-dates-$uj"
        done
        settings $log.hdb $adif 1 20101231 20110101 JST 1 100 50 0 0 0 | cp932 > "$work/ini/zentu_1.ini"
        run "$c-dates-edges"
        settings $log.hdb $adif 2 20110101 20111231 JST 250 1999 50 0 0 0 | cp932 > "$work/ini/zentu_1.ini"
        run "$c-numbers"
        settings $log.hdb $adif 2 20110101 20111231 JST 250 1999 50 1 0 0 | cp932 > "$work/ini/zentu_1.ini"
        run "$c-numbers-to-last"
        settings $log.hdb $adif 3 20110101 20111231 JST 1 100 777 0 0 0 | cp932 > "$work/ini/zentu_1.ini"
        run "$c-last-n"

        # New additions: a first run stores the signature; an append; a run of the new records; nothing new; then
        # a log whose last written record changed, refused and forced.
        cp "$work/$log.hdb" "$work/NEW.hdb"
        cp "$work/$log.mst" "$work/NEW.mst"
        settings NEW.hdb $adif 4 20110101 20111231 JST 1 100 50 0 0 0 | cp932 > "$work/ini/zentu_1.ini"
        run "$c-new-1"
        head -n 40 "$work/kanji.csv" > "$work/more.csv"
        "$bin/hamlog_tool" append "$work/NEW.hdb" "$work/more.csv" --encoding utf8 > /dev/null
        run "$c-new-2"
        run "$c-new-3"
        tail -n 5 "$work/kanji.csv" > "$work/other.csv"
        cp "$work/$log.hdb" "$work/NEW.hdb"
        "$bin/hamlog_tool" append "$work/NEW.hdb" "$work/other.csv" --encoding utf8 > /dev/null
        "$bin/hamlog_tool" append "$work/NEW.hdb" "$work/more.csv" --encoding utf8 > /dev/null
        run "$c-new-changed"
        run "$c-new-forced" --force
    done
done
echo "$(find "$results" -type f | wc -l) files in $results"
