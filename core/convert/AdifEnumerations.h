#pragma once

#include <optional>
#include <span>
#include <string_view>

namespace zentu {

/// The enumerations of ADIF 3.1 that the ADIF 3.1 option writes by: modes, submodes, the import-only modes and the
/// bands. Each is kept as a table, as the ADIF specification lists it.

/// A submode and the mode it belongs to.
struct AdifSubmode {
    std::string_view submode;
    std::string_view mode;
};

/// A MODE value ADIF accepts on import only, and the MODE and SUBMODE a program writes in its place.
struct AdifImportOnlyMode {
    std::string_view importOnly;
    std::string_view mode;
    std::string_view submode;
};

/// A band and its edges in MHz (both edges belong to the band).
struct AdifBand {
    double lower;
    double upper;
    std::string_view band;
};

/// The Mode enumeration: the MODE values a program writes (import-only ones left out).
std::span<const std::string_view> AdifModes();
/// The Submode enumeration.
std::span<const AdifSubmode> AdifSubmodes();
/// The import-only MODE values with their replacement.
std::span<const AdifImportOnlyMode> AdifImportOnlyModes();
/// The Band enumeration, from 2190m to submm.
std::span<const AdifBand> AdifBands();

/// A mode as ADIF 3.1 writes it: MODE, and SUBMODE where the mode given is a submode (empty otherwise).
struct AdifModePair {
    std::string_view mode;
    std::string_view submode;
    bool operator==(const AdifModePair&) const = default;
};

/// The ADIF 3.1 MODE and SUBMODE of a mode given in upper case: a mode stays a mode; an import-only mode becomes its
/// replacement; a submode goes with its mode (FT4 gives MFSK + FT4). Nothing when ADIF knows it as none of these.
std::optional<AdifModePair> AdifModeOf(std::string_view upperMode);

/// The band of a frequency in MHz as the Band enumeration spells it ("20m", "70cm"), or empty when the frequency lies
/// in no band.
std::string_view AdifBandOf(double mhz);

} // namespace zentu
