#include "CompanionSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSettings>
#include <QSize>
#include <QTabWidget>
#include <QWidget>

namespace companion {

namespace {

constexpr int longestText = 200;  // longer texts read back are not ours

// The text of a value, when it is a short text at all.
std::optional<QString> shortText(const QVariant& v) {
    if (v.typeId() != QMetaType::QString || v.toString().size() > longestText)
        return std::nullopt;
    return v.toString();
}

}  // namespace

void SettingsTable::add(const char* key, std::function<QVariant()> get,
                        std::function<void(const QVariant&)> set) {
    entries_.push_back({key, std::move(get), std::move(set)});
}

void SettingsTable::text(const char* key, QLineEdit* field, Check reads) {
    add(
        key, [field] { return QVariant(field->text()); },
        [field, reads](const QVariant& v) {
            if (const auto t = shortText(v); t && (!reads || reads(*t)))
                field->setText(*t);
        });
}

void SettingsTable::text(const char* key, QComboBox* editable, Check reads) {
    add(
        key, [editable] { return QVariant(editable->currentText()); },
        [editable, reads](const QVariant& v) {
            if (const auto t = shortText(v); t && (!reads || reads(*t)))
                editable->setEditText(*t);
        });
}

void SettingsTable::choice(const char* key, QComboBox* box) {
    add(
        key, [box] { return QVariant(box->currentData().toString()); },
        [box](const QVariant& v) {
            const auto t = shortText(v);
            if (const int i = t ? box->findData(*t) : -1; i >= 0)
                box->setCurrentIndex(i);
        });
}

void SettingsTable::flag(const char* key, QCheckBox* box) {
    add(
        key, [box] { return QVariant(box->isChecked() ? "true" : "false"); },
        [box](const QVariant& v) {
            const auto t = shortText(v);
            if (t == QLatin1String("true") || t == QLatin1String("false"))
                box->setChecked(*t == QLatin1String("true"));
        });
}

void SettingsTable::page(const char* key, QTabWidget* tabs) {
    add(
        key, [tabs] { return QVariant(QString::number(tabs->currentIndex())); },
        [tabs](const QVariant& v) {
            bool ok = false;
            const auto t = shortText(v);
            const int i = t ? t->toInt(&ok) : -1;
            if (ok && i >= 0 && i < tabs->count())
                tabs->setCurrentIndex(i);
        });
}

void SettingsTable::size(const char* key, QWidget* window) {
    add(
        key, [window] { return QVariant(window->size()); },
        [window](const QVariant& v) {
            if (v.typeId() != QMetaType::QSize)
                return;
            const QSize wanted = v.toSize();
            if (wanted.width() >= 400 && wanted.height() >= 300 && wanted.width() <= 8000 &&
                wanted.height() <= 8000)
                window->resize(wanted);
        });
}

void SettingsTable::restore(const QSettings& settings) const {
    if (settings.status() != QSettings::NoError)
        return;
    for (const Entry& entry : entries_) {
        const QVariant v = settings.value(QLatin1String(entry.key));
        if (v.isValid())
            entry.set(v);
    }
}

void SettingsTable::save(QSettings& settings) const {
    for (const Entry& entry : entries_)
        settings.setValue(QLatin1String(entry.key), entry.get());
}

}  // namespace companion
