#include "convert/AdifEnumerations.h"

#include <string>
#include <unordered_map>

namespace zentu {

namespace {

// ADIF 3.1 (adif.org), the Mode enumeration without the import-only values.
constexpr std::string_view kModes[] = {
    "AM",   "ARDOP", "ATV",   "CHIP",   "CLO",   "CONTESTI", "CW",     "DIGITALVOICE", "DOMINO", "DYNAMIC",
    "FAX",  "FM",    "FSK",   "FSK441", "FT8",   "HELL",     "ISCAT",  "JT4",          "JT44",   "JT65",
    "JT6M", "JT9",   "MFSK",  "MSK144", "MT63",  "MTONE",    "OLIVIA", "OPERA",        "PAC",    "PAX",
    "PKT",  "PSK",   "PSK2K", "Q15",    "QRA64", "ROS",      "RTTY",   "RTTYM",        "SSB",    "SSTV",
    "T10",  "THOR",  "THRB",  "TOR",    "V4",    "VOI",      "WINMOR", "WSPR",
};

// ADIF 3.1, the Submode enumeration: each submode with its mode.
constexpr AdifSubmode kSubmodes[] = {
    {"PCW", "CW"},
    {"CHIP64", "CHIP"},
    {"CHIP128", "CHIP"},
    {"C4FM", "DIGITALVOICE"},
    {"DMR", "DIGITALVOICE"},
    {"DSTAR", "DIGITALVOICE"},
    {"FREEDV", "DIGITALVOICE"},
    {"M17", "DIGITALVOICE"},
    {"DOM-M", "DOMINO"},
    {"DOM4", "DOMINO"},
    {"DOM5", "DOMINO"},
    {"DOM8", "DOMINO"},
    {"DOM11", "DOMINO"},
    {"DOM16", "DOMINO"},
    {"DOM22", "DOMINO"},
    {"DOM44", "DOMINO"},
    {"DOM88", "DOMINO"},
    {"DOMINOEX", "DOMINO"},
    {"DOMINOF", "DOMINO"},
    {"VARA HF", "DYNAMIC"},
    {"VARA SATELLITE", "DYNAMIC"},
    {"VARA FM 1200", "DYNAMIC"},
    {"VARA FM 9600", "DYNAMIC"},
    {"SCAMP_FAST", "FSK"},
    {"SCAMP_SLOW", "FSK"},
    {"SCAMP_VSLOW", "FSK"},
    {"FMHELL", "HELL"},
    {"FSKH105", "HELL"},
    {"FSKH245", "HELL"},
    {"FSKHELL", "HELL"},
    {"HELL80", "HELL"},
    {"HELLX5", "HELL"},
    {"HELLX9", "HELL"},
    {"HFSK", "HELL"},
    {"PSKHELL", "HELL"},
    {"SLOWHELL", "HELL"},
    {"ISCAT-A", "ISCAT"},
    {"ISCAT-B", "ISCAT"},
    {"JT4A", "JT4"},
    {"JT4B", "JT4"},
    {"JT4C", "JT4"},
    {"JT4D", "JT4"},
    {"JT4E", "JT4"},
    {"JT4F", "JT4"},
    {"JT4G", "JT4"},
    {"JT65A", "JT65"},
    {"JT65B", "JT65"},
    {"JT65B2", "JT65"},
    {"JT65C", "JT65"},
    {"JT65C2", "JT65"},
    {"JT9-1", "JT9"},
    {"JT9-2", "JT9"},
    {"JT9-5", "JT9"},
    {"JT9-10", "JT9"},
    {"JT9-30", "JT9"},
    {"JT9A", "JT9"},
    {"JT9B", "JT9"},
    {"JT9C", "JT9"},
    {"JT9D", "JT9"},
    {"JT9E", "JT9"},
    {"JT9E FAST", "JT9"},
    {"JT9F", "JT9"},
    {"JT9F FAST", "JT9"},
    {"JT9G", "JT9"},
    {"JT9G FAST", "JT9"},
    {"JT9H", "JT9"},
    {"JT9H FAST", "JT9"},
    {"FSQCALL", "MFSK"},
    {"FST4", "MFSK"},
    {"FST4W", "MFSK"},
    {"FT4", "MFSK"},
    {"JS8", "MFSK"},
    {"JTMS", "MFSK"},
    {"MFSK4", "MFSK"},
    {"MFSK8", "MFSK"},
    {"MFSK11", "MFSK"},
    {"MFSK16", "MFSK"},
    {"MFSK22", "MFSK"},
    {"MFSK31", "MFSK"},
    {"MFSK32", "MFSK"},
    {"MFSK64", "MFSK"},
    {"MFSK64L", "MFSK"},
    {"MFSK128", "MFSK"},
    {"MFSK128L", "MFSK"},
    {"Q65", "MFSK"},
    {"SCAMP_OO", "MTONE"},
    {"SCAMP_OO_SLW", "MTONE"},
    {"OLIVIA 4/125", "OLIVIA"},
    {"OLIVIA 4/250", "OLIVIA"},
    {"OLIVIA 8/250", "OLIVIA"},
    {"OLIVIA 8/500", "OLIVIA"},
    {"OLIVIA 16/500", "OLIVIA"},
    {"OLIVIA 16/1000", "OLIVIA"},
    {"OLIVIA 32/1000", "OLIVIA"},
    {"OPERA-BEACON", "OPERA"},
    {"OPERA-QSO", "OPERA"},
    {"PAC2", "PAC"},
    {"PAC3", "PAC"},
    {"PAC4", "PAC"},
    {"PAX2", "PAX"},
    {"8PSK125", "PSK"},
    {"8PSK125F", "PSK"},
    {"8PSK125FL", "PSK"},
    {"8PSK250", "PSK"},
    {"8PSK250F", "PSK"},
    {"8PSK250FL", "PSK"},
    {"8PSK500", "PSK"},
    {"8PSK500F", "PSK"},
    {"8PSK1000", "PSK"},
    {"8PSK1000F", "PSK"},
    {"8PSK1200F", "PSK"},
    {"FSK31", "PSK"},
    {"PSK10", "PSK"},
    {"PSK31", "PSK"},
    {"PSK63", "PSK"},
    {"PSK63F", "PSK"},
    {"PSK63RC4", "PSK"},
    {"PSK63RC5", "PSK"},
    {"PSK63RC10", "PSK"},
    {"PSK63RC20", "PSK"},
    {"PSK63RC32", "PSK"},
    {"PSK125", "PSK"},
    {"PSK125C12", "PSK"},
    {"PSK125R", "PSK"},
    {"PSK125RC10", "PSK"},
    {"PSK125RC12", "PSK"},
    {"PSK125RC16", "PSK"},
    {"PSK125RC4", "PSK"},
    {"PSK125RC5", "PSK"},
    {"PSK250", "PSK"},
    {"PSK250C6", "PSK"},
    {"PSK250R", "PSK"},
    {"PSK250RC2", "PSK"},
    {"PSK250RC3", "PSK"},
    {"PSK250RC5", "PSK"},
    {"PSK250RC6", "PSK"},
    {"PSK250RC7", "PSK"},
    {"PSK500", "PSK"},
    {"PSK500C2", "PSK"},
    {"PSK500C4", "PSK"},
    {"PSK500R", "PSK"},
    {"PSK500RC2", "PSK"},
    {"PSK500RC3", "PSK"},
    {"PSK500RC4", "PSK"},
    {"PSK800C2", "PSK"},
    {"PSK800RC2", "PSK"},
    {"PSK1000", "PSK"},
    {"PSK1000C2", "PSK"},
    {"PSK1000R", "PSK"},
    {"PSK1000RC2", "PSK"},
    {"PSKAM10", "PSK"},
    {"PSKAM31", "PSK"},
    {"PSKAM50", "PSK"},
    {"PSKFEC31", "PSK"},
    {"QPSK31", "PSK"},
    {"QPSK63", "PSK"},
    {"QPSK125", "PSK"},
    {"QPSK250", "PSK"},
    {"QPSK500", "PSK"},
    {"SIM31", "PSK"},
    {"QRA64A", "QRA64"},
    {"QRA64B", "QRA64"},
    {"QRA64C", "QRA64"},
    {"QRA64D", "QRA64"},
    {"QRA64E", "QRA64"},
    {"ROS-EME", "ROS"},
    {"ROS-HF", "ROS"},
    {"ROS-MF", "ROS"},
    {"ASCI", "RTTY"},
    {"LSB", "SSB"},
    {"USB", "SSB"},
    {"THOR-M", "THOR"},
    {"THOR4", "THOR"},
    {"THOR5", "THOR"},
    {"THOR8", "THOR"},
    {"THOR11", "THOR"},
    {"THOR16", "THOR"},
    {"THOR22", "THOR"},
    {"THOR25X4", "THOR"},
    {"THOR50X1", "THOR"},
    {"THOR50X2", "THOR"},
    {"THOR100", "THOR"},
    {"THRBX", "THRB"},
    {"THRBX1", "THRB"},
    {"THRBX2", "THRB"},
    {"THRBX4", "THRB"},
    {"THROB1", "THRB"},
    {"THROB2", "THRB"},
    {"THROB4", "THRB"},
    {"AMTORFEC", "TOR"},
    {"GTOR", "TOR"},
    {"NAVTEX", "TOR"},
    {"SITORB", "TOR"},
};

// ADIF 3.1, the MODE values marked import-only: a program that exports such a contact writes the mode and submode
// given here.
constexpr AdifImportOnlyMode kImportOnlyModes[] = {
    {"AMTORFEC", "TOR", "AMTORFEC"},
    {"ASCI", "RTTY", "ASCI"},
    {"C4FM", "DIGITALVOICE", "C4FM"},
    {"CHIP64", "CHIP", "CHIP64"},
    {"CHIP128", "CHIP", "CHIP128"},
    {"DOMINOF", "DOMINO", "DOMINOF"},
    {"DSTAR", "DIGITALVOICE", "DSTAR"},
    {"FMHELL", "HELL", "FMHELL"},
    {"FSK31", "PSK", "FSK31"},
    {"GTOR", "TOR", "GTOR"},
    {"HELL80", "HELL", "HELL80"},
    {"HFSK", "HELL", "HFSK"},
    {"JT4A", "JT4", "JT4A"},
    {"JT4B", "JT4", "JT4B"},
    {"JT4C", "JT4", "JT4C"},
    {"JT4D", "JT4", "JT4D"},
    {"JT4E", "JT4", "JT4E"},
    {"JT4F", "JT4", "JT4F"},
    {"JT4G", "JT4", "JT4G"},
    {"JT65A", "JT65", "JT65A"},
    {"JT65B", "JT65", "JT65B"},
    {"JT65C", "JT65", "JT65C"},
    {"MFSK8", "MFSK", "MFSK8"},
    {"MFSK16", "MFSK", "MFSK16"},
    {"PAC2", "PAC", "PAC2"},
    {"PAC3", "PAC", "PAC3"},
    {"PAX2", "PAX", "PAX2"},
    {"PCW", "CW", "PCW"},
    {"PSK10", "PSK", "PSK10"},
    {"PSK31", "PSK", "PSK31"},
    {"PSK63", "PSK", "PSK63"},
    {"PSK63F", "PSK", "PSK63F"},
    {"PSK125", "PSK", "PSK125"},
    {"PSKAM10", "PSK", "PSKAM10"},
    {"PSKAM31", "PSK", "PSKAM31"},
    {"PSKAM50", "PSK", "PSKAM50"},
    {"PSKFEC31", "PSK", "PSKFEC31"},
    {"PSKHELL", "HELL", "PSKHELL"},
    {"QPSK31", "PSK", "QPSK31"},
    {"QPSK63", "PSK", "QPSK63"},
    {"QPSK125", "PSK", "QPSK125"},
    {"THRBX", "THRB", "THRBX"},
};

// ADIF 3.1, the Band enumeration: lower and upper edge in MHz, both inside the band.
constexpr AdifBand kBands[] = {
    {0.1357, 0.1378, "2190m"}, {0.472, 0.479, "630m"},  {0.501, 0.504, "560m"},
    {1.8, 2.0, "160m"},        {3.5, 4.0, "80m"},       {5.06, 5.45, "60m"},
    {7.0, 7.3, "40m"},         {10.1, 10.15, "30m"},    {14.0, 14.35, "20m"},
    {18.068, 18.168, "17m"},   {21.0, 21.45, "15m"},    {24.890, 24.99, "12m"},
    {28.0, 29.7, "10m"},       {40, 45, "8m"},          {50, 54, "6m"},
    {54.000001, 69.9, "5m"},   {70, 71, "4m"},          {144, 148, "2m"},
    {222, 225, "1.25m"},       {420, 450, "70cm"},      {902, 928, "33cm"},
    {1240, 1300, "23cm"},      {2300, 2450, "13cm"},    {3300, 3500, "9cm"},
    {5650, 5925, "6cm"},       {10000, 10500, "3cm"},   {24000, 24250, "1.25cm"},
    {47000, 47200, "6mm"},     {75500, 81000, "4mm"},   {119980, 123000, "2.5mm"},
    {134000, 149000, "2mm"},   {241000, 250000, "1mm"}, {300000, 7500000, "submm"},
};

/// Every spelling ADIF knows with what it is written as, made once: a run looks a mode up once per record.
const std::unordered_map<std::string_view, AdifModePair>& ModeLookUp() {
    static const auto lookUp = [] {
        std::unordered_map<std::string_view, AdifModePair> map;
        for (const std::string_view mode : kModes) {
            map.try_emplace(mode, AdifModePair{mode, {}});
        }
        for (const AdifImportOnlyMode& row : kImportOnlyModes) {
            map.try_emplace(row.importOnly, AdifModePair{row.mode, row.submode});
        }
        for (const AdifSubmode& row : kSubmodes) {
            map.try_emplace(row.submode, AdifModePair{row.mode, row.submode});
        }
        return map;
    }();
    return lookUp;
}

} // namespace

std::span<const std::string_view> AdifModes() {
    return kModes;
}

std::span<const AdifSubmode> AdifSubmodes() {
    return kSubmodes;
}

std::span<const AdifImportOnlyMode> AdifImportOnlyModes() {
    return kImportOnlyModes;
}

std::span<const AdifBand> AdifBands() {
    return kBands;
}

std::optional<AdifModePair> AdifModeOf(std::string_view upperMode) {
    const auto& lookUp = ModeLookUp();
    const auto found = lookUp.find(upperMode);
    if (found == lookUp.end()) {
        return std::nullopt;
    }
    return found->second;
}

std::string_view AdifBandOf(double mhz) {
    for (const AdifBand& row : kBands) {
        if (row.lower <= mhz && mhz <= row.upper) {
            return row.band;
        }
    }
    return {};
}

} // namespace zentu
