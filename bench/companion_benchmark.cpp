// From a keystroke in the companion's crystal field until all three tabs hold
// the new results and the window has processed the events that follow.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QTest>

#include <benchmark/benchmark.h>

#include "Companion.h"
#include "forms.h"

namespace {

void keystrokeToAllTabs(benchmark::State& state) {
    companion::Companion window(forms::desktopRuntime(), nullptr,
                                QDir::temp().filePath(QStringLiteral("velmiro-bench.ini")));
    window.show();
    QLineEdit* crystal = nullptr;
    for (auto* combo : window.findChildren<QComboBox*>()) {
        if (combo->accessibleName() == QLatin1String("Quarzo"))
            crystal = combo->lineEdit();
    }
    crystal->setText(QStringLiteral("20000000"));
    crystal->setFocus();
    QCoreApplication::processEvents();
    bool shorter = false;
    for (auto _ : state) {
        // 20000000 and 2000000 in turn: one key each, two real crystals.
        if (shorter)
            QTest::keyClick(crystal, Qt::Key_0);
        else
            QTest::keyClick(crystal, Qt::Key_Backspace);
        shorter = !shorter;
        QCoreApplication::processEvents();
    }
}
BENCHMARK(keystrokeToAllTabs)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QApplication app(argc, argv);
    QApplication::setFont(forms::layoutFont());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
