#include "convert/AdifEnumerations.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace zentu {
namespace {

// One case per submode family of the ADIF 3.1 Mode enumeration, the import-only modes among them.
TEST(AdifEnumerationsTest, EachSubmodeFamilyGoesWithItsMode) {
    struct Case {
        std::string_view given;
        AdifModePair expected;
    };
    const Case cases[] = {
        {"FT4", {"MFSK", "FT4"}},
        {"JS8", {"MFSK", "JS8"}},
        {"Q65", {"MFSK", "Q65"}},
        {"FST4W", {"MFSK", "FST4W"}},
        {"MFSK16", {"MFSK", "MFSK16"}},
        {"PSK31", {"PSK", "PSK31"}},
        {"QPSK63", {"PSK", "QPSK63"}},
        {"8PSK125FL", {"PSK", "8PSK125FL"}},
        {"USB", {"SSB", "USB"}},
        {"LSB", {"SSB", "LSB"}},
        {"PCW", {"CW", "PCW"}},
        {"ASCI", {"RTTY", "ASCI"}},
        {"C4FM", {"DIGITALVOICE", "C4FM"}},
        {"DSTAR", {"DIGITALVOICE", "DSTAR"}},
        {"DMR", {"DIGITALVOICE", "DMR"}},
        {"CHIP64", {"CHIP", "CHIP64"}},
        {"DOM-M", {"DOMINO", "DOM-M"}},
        {"DOMINOF", {"DOMINO", "DOMINOF"}},
        {"VARA HF", {"DYNAMIC", "VARA HF"}},
        {"SCAMP_SLOW", {"FSK", "SCAMP_SLOW"}},
        {"HELL80", {"HELL", "HELL80"}},
        {"FMHELL", {"HELL", "FMHELL"}},
        {"ISCAT-B", {"ISCAT", "ISCAT-B"}},
        {"JT4G", {"JT4", "JT4G"}},
        {"JT65B", {"JT65", "JT65B"}},
        {"JT9H FAST", {"JT9", "JT9H FAST"}},
        {"SCAMP_OO", {"MTONE", "SCAMP_OO"}},
        {"OLIVIA 8/250", {"OLIVIA", "OLIVIA 8/250"}},
        {"OPERA-QSO", {"OPERA", "OPERA-QSO"}},
        {"PAC3", {"PAC", "PAC3"}},
        {"PAX2", {"PAX", "PAX2"}},
        {"QRA64C", {"QRA64", "QRA64C"}},
        {"ROS-EME", {"ROS", "ROS-EME"}},
        {"THOR-M", {"THOR", "THOR-M"}},
        {"THRBX", {"THRB", "THRBX"}},
        {"GTOR", {"TOR", "GTOR"}},
        // Modes stay modes, with no submode.
        {"SSB", {"SSB", ""}},
        {"FT8", {"FT8", ""}},
        {"OLIVIA", {"OLIVIA", ""}},
        {"DIGITALVOICE", {"DIGITALVOICE", ""}},
    };
    for (const Case& c : cases) {
        const auto pair = AdifModeOf(c.given);
        ASSERT_TRUE(pair.has_value()) << c.given;
        EXPECT_EQ(*pair, c.expected) << c.given;
    }
    // Hamlog's own spellings and anything else ADIF does not know.
    for (const std::string_view unknown : {"PH", "RY", "FT-8", "ft4", "", "SSB "}) {
        EXPECT_FALSE(AdifModeOf(unknown).has_value()) << unknown;
    }
}

TEST(AdifEnumerationsTest, TheTablesAgreeWithEachOther) {
    const std::set<std::string_view> modes(AdifModes().begin(), AdifModes().end());
    EXPECT_EQ(modes.size(), AdifModes().size()) << "a mode listed twice";
    std::set<std::string_view> submodes;
    for (const AdifSubmode& row : AdifSubmodes()) {
        EXPECT_TRUE(modes.count(row.mode)) << row.submode << " belongs to no mode";
        EXPECT_TRUE(submodes.insert(row.submode).second) << row.submode << " listed twice";
        EXPECT_FALSE(modes.count(row.submode)) << row.submode << " is a mode as well";
    }
    // An import-only mode is never written as a MODE: its replacement is a mode with one of its submodes.
    for (const AdifImportOnlyMode& row : AdifImportOnlyModes()) {
        EXPECT_FALSE(modes.count(row.importOnly)) << row.importOnly;
        EXPECT_TRUE(submodes.count(row.submode)) << row.importOnly;
        EXPECT_EQ(AdifModeOf(row.importOnly), (AdifModePair{row.mode, row.submode})) << row.importOnly;
    }
    // The bands follow each other without overlapping.
    double previousUpper = 0;
    for (const AdifBand& band : AdifBands()) {
        EXPECT_LT(previousUpper, band.lower) << band.band;
        EXPECT_LE(band.lower, band.upper) << band.band;
        previousUpper = band.upper;
    }
}

TEST(AdifEnumerationsTest, BandsIncludeBothEdgesAndAFrequencyBetweenBandsHasNone) {
    const std::pair<double, std::string_view> cases[] = {
        {0.1357, "2190m"}, {0.1378, "2190m"},  {0.475, "630m"}, {1.8, "160m"},  {2.0, "160m"},  {1.5, ""},
        {2.5, ""},         {5.06, "60m"},      {5.45, "60m"},   {7.3, "40m"},   {10.1, "30m"},  {10.5, ""},
        {29.7, "10m"},     {30, ""},           {54, "6m"},      {54.5, "5m"},   {70.2, "4m"},   {71.5, ""},
        {145, "2m"},       {430, "70cm"},      {1295, "23cm"},  {2400, "13cm"}, {10368, "3cm"}, {24048, "1.25cm"},
        {300000, "submm"}, {7500000, "submm"}, {7500001, ""},   {0, ""},        {-7, ""},
    };
    for (const auto& [mhz, band] : cases) {
        EXPECT_EQ(AdifBandOf(mhz), band) << mhz;
    }
}

} // namespace
} // namespace zentu
