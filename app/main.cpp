#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include "Companion.h"
#include "CompanionLauncher.h"
#include "frmVelmiro.h"

namespace {

constexpr const char* usage =
    "Uso: velmiro [--modi | --tabella | --quarzi]\n"
    "Senza argomenti apre la finestra principale; con uno apre solo la finestra\n"
    "di tutti i modi sulla scheda Modi, Tabella o Quarzi.\n";

constexpr const char* noDisplay =
    "velmiro: nessun display disponibile: la finestra si apre solo in una sessione\n"
    "grafica (X11 o Wayland). Senza display si può usare velmiro-cli.\n";

// What is left once Qt has taken its own arguments: nothing, or one tab.
struct Start {
    std::optional<companion::Tab> tab;
    bool refused = false;  // end now with status 2
};

// --help and --version answer without a display, so before Qt starts.
std::optional<int> answerAlone(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(usage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("velmiro %s\n", VELMIRO_VERSION);
            return 0;
        }
    }
    return std::nullopt;
}

// While Qt starts its platform: when none can start, Qt says so in English and
// aborts; velmiro says it in Italian and ends with status 1. The platform's
// own warnings are held until then, and shown only if it starts after all.
struct Held {
    QtMsgType type;
    const char* category;
    QString message;
};
std::vector<Held> held;
QtMessageHandler qtHandler = nullptr;

void whileStarting(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg) {
        std::fputs(noDisplay, stderr);
        std::_Exit(1);
    }
    if (context.category != nullptr && std::strncmp(context.category, "qt.qpa.", 7) == 0)
        held.push_back({type, context.category, message});
    else if (qtHandler != nullptr)
        qtHandler(type, context, message);
}

// The platform has started: back to Qt's handler, with what it was told meanwhile.
void started() {
    qInstallMessageHandler(qtHandler);
    for (const Held& message : held)
        qtHandler(message.type, QMessageLogContext(nullptr, 0, nullptr, message.category),
                  message.message);
    held.clear();
}

Start startOf(int argc, char* argv[]) {
    Start start;
    if (argc > 2) {
        std::fprintf(stderr, "velmiro: troppi argomenti\n%s", usage);
        start.refused = true;
        return start;
    }
    if (argc < 2)
        return start;
    const char* arg = argv[1];
    start.tab = velmiro::companion::tabOfArgument(arg);
    if (!start.tab) {
        std::fprintf(stderr, "velmiro: argomento sconosciuto «%s»\n%s", arg, usage);
        start.refused = true;
    }
    return start;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (const std::optional<int> status = answerAlone(argc, argv))
        return *status;
    qtHandler = qInstallMessageHandler(whileStarting);
    // Qt takes its own arguments (-platform, -style, …) out of argv here.
    QApplication app(argc, argv);
    started();
    const Start start = startOf(argc, argv);
    if (start.refused)
        return 2;
    QApplication::setApplicationName(QStringLiteral("Velmiro"));
    QApplication::setApplicationVersion(QStringLiteral(VELMIRO_VERSION));
    // Lets a Wayland desktop match the window to its menu entry and icon.
    QApplication::setDesktopFileName(QStringLiteral(VELMIRO_APP_ID));
    // Before any widget exists, so that each lays out its text once, in this face.
    QApplication::setFont(forms::layoutFont());

    if (start.tab) {
        // The companion alone; closing it ends the program.
        companion::Companion window(forms::desktopRuntime());
        window.showTab(*start.tab);
        window.show();
        return QApplication::exec();
    }
    frmVelmiro window(forms::desktopRuntime());
    companion::CompanionLauncher launcher(window, forms::desktopRuntime());
    window.show();
    return QApplication::exec();
}
