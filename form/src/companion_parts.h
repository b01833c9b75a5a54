// What the companion's logic shares between its sources: the settings' keys,
// the readers of lists and limits, and the window's own words.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "velmiro/calc.h"
#include "velmiro/companion.h"

namespace velmiro::companion {

namespace keys {
inline constexpr const char* crystal = "crystal";
inline constexpr const char* rate = "rate";
inline constexpr const char* tolerance = "tolerance";
inline constexpr const char* clockError = "clockError";
inline constexpr const char* device = "device";
inline constexpr const char* tableRates = "tableRates";
inline constexpr const char* crystalRates = "crystalRates";
inline constexpr const char* minimum = "minimum";
inline constexpr const char* maximum = "maximum";
inline constexpr const char* prefix = "prefix";
inline constexpr const char* peer = "peer";
inline constexpr const char* peerClock = "peerClock";
inline constexpr const char* peerClockError = "peerClockError";
inline constexpr const char* frame = "frame";
inline constexpr const char* margin = "margin";
inline constexpr const char* pll = "pll";
inline constexpr const char* clock = "clock";
inline constexpr const char* source = "source";
inline constexpr const char* allRates = "allRates";
inline constexpr const char* sync = "sync";
inline constexpr const char* family = "family";
inline constexpr const char* tab = "tab";
inline constexpr const char* width = "width";
inline constexpr const char* height = "height";
}  // namespace keys

// The place of a field in an array by Field.
inline std::size_t at(Field field) {
    return static_cast<std::size_t>(field);
}

// Rates separated by blanks or ";" ("," is the decimal separator); none and
// a problem when one does not read or there is none.
struct RatesReading {
    std::vector<std::int32_t> rates;
    std::string problem;
};
RatesReading readRates(std::string_view text);

// A limit of the crystals; an empty one is `none`, no limit.
std::optional<std::int32_t> readLimit(std::string_view text, std::int32_t none,
                                      std::string& problem);

// Blanks off both ends.
std::string trimmed(std::string_view text);

// The device's and the family's problems in the window's words: it has the
// Periferica list and the Dispositivo field where velmiro-cli has --family
// and --device.
std::string windowDeviceProblem(std::string_view typed, const Device& device);
std::string windowFamilyConflict(const Device& device, const Family& family);

// The place of a family in families(), or -1.
int familyIndexOf(const Family* family);

// The default of an int setting.
int fallbackInt(const char* key);

// The entries of Altro capo's list: the adapters, "esatto", the families.
std::vector<std::string> peerPresets();

// An entry of the Periferica list: the key and its example parts.
std::string familyEntry(const Family& family);

}  // namespace velmiro::companion
