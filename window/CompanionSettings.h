// Where the Qt companion keeps its settings: QSettings, under the keys and
// with the checks the companion's logic declares.
#pragma once

#include <QSettings>
#include <QString>

#include <memory>

#include "velmiro/companion.h"

namespace companion {

class SettingsStore : public velmiro::companion::Store {
  public:
    // An INI file of its own, or the user's (an empty name).
    explicit SettingsStore(const QString& file);

    std::optional<std::string> loadText(const char* key) const override;
    std::optional<int> loadInt(const char* key) const override;
    void storeText(const char* key, const std::string& value) override;
    void storeInt(const char* key, int value) override;

  private:
    std::unique_ptr<QSettings> settings_;
};

std::unique_ptr<SettingsStore> openStore(const QString& file);

}  // namespace companion
