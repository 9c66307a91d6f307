#!/usr/bin/env bash
# The ADIF check: a generated log with the odd contacts of odd-contacts.csv appended, run by zentu_cli as a job with
# the ADIF 3.1 option, and every record of its ADIF file read by tcadif (npm), an ADIF library other programs use.
#
#   bash tests/adif/tcadif-check.sh BIN_DIR WORK_DIR [RECORDS] [SEED]
#
# BIN_DIR holds zentu_cli, hamlog_tool, the record libraries and mode_tbl.csv (build/bin). tcadif is installed from
# package-lock.json into WORK_DIR/npm (outside the source tree). Without node and npm the check is skipped, with a
# message, and exits 77 (CTest counts it as skipped).
set -euo pipefail

if ! command -v node > /dev/null 2>&1 || ! command -v npm > /dev/null 2>&1; then
    echo "SKIPPED: node and npm are missing (bash scripts/setup.sh installs them), so the ADIF file was not read with tcadif."
    exit 77
fi

here=$(cd "$(dirname "$0")" && pwd)
bin=$(cd "$1" && pwd)
mkdir -p "$2"
work=$(cd "$2" && pwd)
records=${3:-3000}
seed=${4:-7}

modules="$work/npm"
mkdir -p "$modules"
if ! cmp -s "$here/package-lock.json" "$modules/package-lock.json" || [ ! -f "$modules/node_modules/tcadif/package.json" ]; then
    cp "$here/package.json" "$here/package-lock.json" "$modules/"
    (cd "$modules" && npm ci --no-audit --no-fund --loglevel=error)
fi

folder="$work/program"
rm -rf "$folder"
mkdir -p "$folder/ini" "$folder/JOB"
cp "$bin/zentu_cli" "$bin/hamlog_tool" "$bin/libHamlog50.so" "$bin/libThdll2Vb.so" "$bin/mode_tbl.csv" "$folder/"
"$folder/hamlog_tool" generate "$folder/LOG.hdb" "$records" --seed "$seed" > /dev/null
"$folder/hamlog_tool" append "$folder/LOG.hdb" "$here/odd-contacts.csv" --encoding utf8 > /dev/null

printf 'JOB_name : ADIF\r\nJOB_MSG1 : \r\nJOB_MSG2 : \r\nJOB_MSG3 : \r\n' > "$folder/JOB/JOB_1.txt"
printf '[Config]\r\nversion=0.25\r\nset_hdb_dir=%s\r\nset_outcsv_dir=%s\r\nadif_out=1\r\nadif_v31=1\r\nstation_callsign=JA1ZZZ\r\n[Set_hdb]\r\nselect_flag=0\r\n' \
    "$folder/LOG.hdb" "$folder/OUT.CSV" > "$folder/ini/zentu_1.ini"

status=0
"$folder/zentu_cli" --job 1 --report "$work/report.json" > "$work/stdout.txt" 2> "$work/stderr.txt" || status=$?
if [ "$status" -ne 0 ]; then
    echo "zentu_cli ended with status $status:"
    cat "$work/stderr.txt"
    exit 1
fi

# The odd contacts follow the generated records; these of them must be left out of the ADIF file (no call sign, no
# mode or frequency, full-width text, no such day or hour, a frequency in letters, a mode ADIF does not know).
ZENTU_LEFT_OUT=$(for n in 1 2 3 4 5 6 7 18 19; do echo $((records + n)); done | paste -sd, -) \
    NODE_PATH="$modules/node_modules" node "$here/check-adif.js" "$folder/OUT.adi" "$work/report.json"
