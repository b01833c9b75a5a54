// The companion's settings where Windows programs keep theirs, as QSettings does
// on Windows: values of HKEY_CURRENT_USER\Software\Velmiro\companion. A value of
// another type than asked for reads as none, and the logic keeps its default.
#pragma once

#include "velmiro/companion.h"

namespace win32 {

class RegistryStore final : public velmiro::companion::Store {
  public:
    [[nodiscard]] std::optional<std::string> loadText(const char* key) const override;
    [[nodiscard]] std::optional<int> loadInt(const char* key) const override;
    void storeText(const char* key, const std::string& value) override;
    void storeInt(const char* key, int value) override;
};

}  // namespace win32
