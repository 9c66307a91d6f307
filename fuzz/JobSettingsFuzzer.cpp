// The job settings loader: the input is a whole ini/zentu_1.ini of a program folder.

#include "FuzzSupport.h"

#include "codec/Cp932.h"
#include "settings/JobSettings.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::filesystem::path folder = [] {
        std::filesystem::create_directories(zentu::fuzz::ScratchFolder() / "ini");
        return zentu::fuzz::ScratchFolder();
    }();
    zentu::fuzz::WriteWhole(zentu::JobSettingsPath(folder, 1), zentu::fuzz::Bytes(data, size));

    zentu::JobSettings settings;
    zentu::LoadJobSettings(folder, 1, settings);
    // The program holds UTF-8 text, whatever bytes the file held.
    for (const std::string* field :
         {&settings.version, &settings.set_hdb_dir, &settings.set_outcsv_dir, &settings.adif_out, &settings.select_flag,
          &settings.set_start_date, &settings.set_end_date, &settings.set_date_time_UJ, &settings.set_start_rec_no,
          &settings.set_end_rec_no, &settings.zentu_arun_end_time, &settings.set_rec_hani, &settings.set_anytime_last,
          &settings.last_start_rec_no, &settings.last_end_rec_no, &settings.select_flag_new_add_last_QSO_data,
          &settings.adif_v31, &settings.station_callsign, &settings.operator_callsign}) {
        FUZZ_CHECK(zentu::codec::IsValidUtf8(*field));
    }
    return 0;
}
