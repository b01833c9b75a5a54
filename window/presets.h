// The crystals and rates both windows offer in their lists.
#pragma once

namespace presets {

inline constexpr const char* crystals[] = {"1.000.000", "4.000.000", "8.000.000", "16.000.000",
                                           "20.000.000"};
inline constexpr const char* rates[] = {"9.600", "14.400", "19.200", "28.800", "57.600", "115.200"};

}  // namespace presets
