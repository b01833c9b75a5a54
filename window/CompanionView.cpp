// The companion's Qt view of what its logic writes and reads.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTableView>

#include "Companion.h"
#include "CompanionModels.h"
#include "CompanionTabs.h"
#include "forms.h"

namespace companion {

namespace logic = velmiro::companion;
using logic::Line;

namespace {

QString qt(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace

std::string Companion::text(Field f) const {
    if (const auto* box = qobject_cast<const QComboBox*>(field(f)))
        return box->currentText().toStdString();
    return edits_[static_cast<std::size_t>(f)]->text().toStdString();
}

void Companion::setText(Field f, const std::string& text) {
    const QSignalBlocker quiet(field(f));
    if (auto* box = qobject_cast<QComboBox*>(field(f)))
        box->setEditText(qt(text));
    else
        edits_[static_cast<std::size_t>(f)]->setText(qt(text));
}

void Companion::addPreset(Field f, const std::string& text) {
    if (auto* box = qobject_cast<QComboBox*>(field(f))) {
        const QSignalBlocker quiet(box);
        box->addItem(qt(text));
    }
}

void Companion::setPresets(Field f, const std::vector<std::string>& texts) {
    if (auto* box = qobject_cast<QComboBox*>(field(f))) {
        const QSignalBlocker quiet(box);
        const QString kept = box->currentText();
        box->clear();
        for (const std::string& text : texts)
            box->addItem(qt(text));
        box->setEditText(kept);
    }
}

void Companion::setFieldEnabled(Field f, bool enabled) {
    QWidget* shown = field(f);
    shown->setEnabled(enabled);
    for (QLabel* label : findChildren<QLabel*>()) {  // greyed with it, as in a dialog
        if (label->buddy() == shown)
            label->setEnabled(enabled);
    }
}

void Companion::setLabel(Field f, const std::string& text) {
    if (f == Field::Crystal)
        crystalLabel_->setText(qt(text));
}

void Companion::setProblem(Field f, const std::string& problem) {
    field(f)->setAccessibleDescription(qt(problem));
}

bool Companion::syncChecked() const {
    return sync_->isChecked();
}

void Companion::setSyncChecked(bool checked) {
    const QSignalBlocker quiet(sync_);
    sync_->setChecked(checked);
}

void Companion::setSyncEnabled(bool enabled) {
    sync_->setEnabled(enabled);
}

void Companion::setSyncTip(const std::string& tip) {
    sync_->setToolTip(qt(tip));
}

void Companion::addFamily(const std::string& text) {
    const QSignalBlocker quiet(family_);
    family_->addItem(qt(text));
}

bool Companion::allRatesChecked() const {
    return allRates_->isChecked();
}

void Companion::setAllRatesChecked(bool checked) {
    const QSignalBlocker quiet(allRates_);
    allRates_->setChecked(checked);
}

int Companion::familyIndex() const {
    return family_->currentIndex();
}

void Companion::setFamilyIndex(int index) {
    const QSignalBlocker quiet(family_);
    family_->setCurrentIndex(index);
}

void Companion::setLine(Line line, const std::string& text, bool problem) {
    lines_[static_cast<std::size_t>(line)]->show(qt(text), problem);
}

void Companion::showGrid(Tab tab, const velmiro::report::Grid& grid) {
    const auto i = static_cast<std::size_t>(tab);
    fitGrid(*views_[i], *models_[i], grid);
}

std::vector<int> Companion::selectedRows(Tab tab) const {
    std::vector<int> rows;
    for (const QModelIndex& index :
         views_[static_cast<std::size_t>(tab)]->selectionModel()->selectedRows())
        rows.push_back(index.row());
    return rows;
}

void Companion::clearSelection(Tab tab) {
    views_[static_cast<std::size_t>(tab)]->clearSelection();
}

Tab Companion::currentTab() const {
    return static_cast<Tab>(tabs_->currentIndex());
}

void Companion::setCurrentTab(Tab tab) {
    const QSignalBlocker quiet(tabs_);
    tabs_->setCurrentIndex(static_cast<int>(tab));
}

void Companion::setHeaderButton(const std::string& text, bool enabled) {
    copyHeader_->setText(qt(text));
    copyHeader_->setEnabled(enabled);
}

void Companion::setExportEnabled(bool enabled) {
    export_->setEnabled(enabled);
}

velmiro::form::Size Companion::windowSize() const {
    return {width(), height()};
}

void Companion::resizeWindow(velmiro::form::Size size) {
    resize(size.width, size.height);
}

void Companion::copyToClipboard(const std::string& text) {
    QApplication::clipboard()->setText(qt(text));
}

logic::Saved Companion::saveFile(const std::string& fileName, const std::string& bytes) {
    logic::Saved saved;
    const QString path = runtime_.saveFileName(
        this, qt(logic::exportName), QDir::home().filePath(qt(fileName)), qt(logic::exportFilter));
    if (path.isEmpty())
        return saved;
    QSaveFile file(path);
    const bool written = file.open(QIODevice::WriteOnly) &&
                         file.write(bytes.data(), static_cast<qint64>(bytes.size())) ==
                             static_cast<qint64>(bytes.size()) &&
                         file.commit();
    saved.outcome = written ? logic::Saved::Outcome::Saved : logic::Saved::Outcome::Failed;
    saved.path = (written ? QDir::toNativeSeparators(path) : path).toStdString();
    saved.error = written ? std::string() : file.errorString().toStdString();
    return saved;
}

}  // namespace companion
