#include "CompanionSettings.h"

namespace companion {

SettingsStore::SettingsStore(const QString& file)
    : settings_(file.isEmpty() ? std::make_unique<QSettings>(
                                     QSettings::IniFormat, QSettings::UserScope,
                                     QStringLiteral("Velmiro"), QStringLiteral("companion"))
                               : std::make_unique<QSettings>(file, QSettings::IniFormat)) {}

std::optional<std::string> SettingsStore::loadText(const char* key) const {
    // A garbled file reads as nothing kept.
    if (settings_->status() != QSettings::NoError)
        return std::nullopt;
    const QVariant v = settings_->value(QLatin1String(key));
    if (v.typeId() != QMetaType::QString)
        return std::nullopt;
    return v.toString().toStdString();
}

std::optional<int> SettingsStore::loadInt(const char* key) const {
    if (settings_->status() != QSettings::NoError)
        return std::nullopt;
    const QVariant v = settings_->value(QLatin1String(key));
    // Read back from the file a text; from QSettings' own cache, as stored.
    bool ok = false;
    const int value = v.typeId() == QMetaType::QString || v.typeId() == QMetaType::Int
                          ? v.toString().toInt(&ok)
                          : 0;
    return ok ? std::optional<int>(value) : std::nullopt;
}

void SettingsStore::storeText(const char* key, const std::string& value) {
    settings_->setValue(QLatin1String(key), QString::fromStdString(value));
}

void SettingsStore::storeInt(const char* key, int value) {
    settings_->setValue(QLatin1String(key), value);
}

std::unique_ptr<SettingsStore> openStore(const QString& file) {
    return std::make_unique<SettingsStore>(file);
}

}  // namespace companion
