// The companion's settings: each key is named once, with the field it keeps.
// Reading and writing both go through this table.
#pragma once

#include <QString>
#include <QVariant>

#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSettings;
class QTabWidget;
class QWidget;

namespace companion {

class SettingsTable {
  public:
    // A text that reads back only when `reads` accepts it (no check when empty).
    using Check = std::function<bool(const QString&)>;

    void text(const char* key, QLineEdit* field, Check reads = {});
    void text(const char* key, QComboBox* editable, Check reads = {});
    // A non-editable choice, kept by its item data.
    void choice(const char* key, QComboBox* box);
    void flag(const char* key, QCheckBox* box);
    void page(const char* key, QTabWidget* tabs);
    void size(const char* key, QWidget* window);

    // Each value read back is checked: a file edited by hand, or garbled, must
    // not put anything odd on screen.
    void restore(const QSettings& settings) const;
    void save(QSettings& settings) const;

  private:
    struct Entry {
        const char* key;
        std::function<QVariant()> get;
        std::function<void(const QVariant&)> set;
    };
    void add(const char* key, std::function<QVariant()> get,
             std::function<void(const QVariant&)> set);
    std::vector<Entry> entries_;
};

}  // namespace companion
