// Reads an ADIF file zentu wrote with the ADIF 3.1 option through tcadif, record by record, and compares what it
// finds with the run's report.
//
//   node check-adif.js FILE.adi REPORT.json
//
// tcadif validates every field of a record as it reads it (data types, the Mode and Band enumerations, the fields a
// QSO needs) and stops at the first record it refuses. Exits 0 when every record passes and the counts agree.
'use strict';

const fs = require('fs');
const { ADIF } = require('tcadif');

const [adifFile, reportFile] = process.argv.slice(2);
const text = fs.readFileSync(adifFile, 'latin1');
const report = JSON.parse(fs.readFileSync(reportFile, 'utf8'));

let adif;
try {
    adif = ADIF.parse(text).toObject();
} catch (error) {
    console.error(`tcadif refused ${adifFile}: ${error.message} ${JSON.stringify(error.details ?? error)}`);
    process.exit(1);
}

const failures = [];
// tcadif validates the header's fields as it reads them but does not hand them on: they are looked for in the text.
const header = text.slice(0, text.search(/<EOH>/i));
for (const field of ['ADIF_VER', 'PROGRAMID', 'PROGRAMVERSION', 'CREATED_TIMESTAMP']) {
    if (!new RegExp(`<${field}:[0-9]+>`, 'i').test(header)) {
        failures.push(`the header has no ${field}`);
    }
}
const qsos = adif.qsos ?? [];
if (qsos.length !== report.adif_records) {
    failures.push(`tcadif read ${qsos.length} records, the report says ${report.adif_records}`);
}
for (const qso of qsos) {
    if (!qso.STATION_CALLSIGN) {
        failures.push(`a record without STATION_CALLSIGN: ${JSON.stringify(qso)}`);
        break;
    }
}
// The records the check expects zentu to have left out, with their numbers, and the CSV file keeping every record.
const leftOut = new Set(report.adif_left_out.records.map(record => record.record));
for (const number of (process.env.ZENTU_LEFT_OUT ?? '').split(',').filter(Boolean).map(Number)) {
    if (!leftOut.has(number)) {
        failures.push(`record ${number} should have been left out and reported`);
    }
}
if (report.csv_lines !== report.records_read || report.csv_lines !== report.adif_records + report.adif_left_out.count) {
    failures.push(`the counts do not add up: ${JSON.stringify(report)}`);
}
if (failures.length > 0) {
    console.error(failures.join('\n'));
    process.exit(1);
}
console.log(`tcadif read every record of ${adifFile}: ${qsos.length} records, ` +
            `${report.adif_left_out.count} left out by zentu and told in its report`);
