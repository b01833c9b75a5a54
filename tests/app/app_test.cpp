// The program as it is started: arguments, messages, exit statuses, and which
// window opens on which tab (through the probe, main() linked with a reporter).
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>

namespace {

struct Outcome {
    int status = -1;
    std::string out, err;
    bool operator==(const Outcome&) const = default;
    friend std::ostream& operator<<(std::ostream& os, const Outcome& o) {
        return os << o.status << "\nstdout: " << o.out << "\nstderr: " << o.err;
    }
};

// Runs a shell command line with no display at all unless it sets one itself, and
// a private runtime folder, as a desktop session has; a window that opens where it
// should not is closed after 20 s.
Outcome run(const std::string& line) {
    char dir[] = "/tmp/velmiro-app-XXXXXX";
    EXPECT_NE(mkdtemp(dir), nullptr);
    const std::string d = dir;
    const int raw = std::system(("timeout 20 env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "
                                 "XDG_RUNTIME_DIR=" +
                                 d + " " + line + " >" + d + "/out 2>" + d + "/err </dev/null")
                                    .c_str());
    const auto slurp = [&d](const char* name) {
        std::ifstream file(d + name);
        std::string text(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>{});
        std::remove((d + name).c_str());
        return text;
    };
    Outcome result{WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw), slurp("/out"),
                   slurp("/err")};
    rmdir(dir);
    return result;
}

const std::string program = VELMIRO_PROGRAM;
const std::string probe = VELMIRO_PROBE;
const std::string offscreen = "QT_QPA_PLATFORM=offscreen ";

const std::string usage =
    "Uso: velmiro [--modi | --tabella | --quarzi]\n"
    "Senza argomenti apre la finestra principale; con uno apre solo la finestra\n"
    "di tutti i modi sulla scheda Modi, Tabella o Quarzi.\n";
const std::string noDisplay =
    "velmiro: nessun display disponibile: la finestra si apre solo in una sessione\n"
    "grafica (X11 o Wayland). Senza display si può usare velmiro-cli.\n";

}  // namespace

// Command line -> status, stdout, stderr.
TEST(Program, AnswersRefusesAndSaysWhenThereIsNoDisplay) {
    const std::pair<std::string, Outcome> rows[] = {
        {program + " --help", {0, usage, ""}},
        {program + " -h", {0, usage, ""}},
        {program + " --modi --help", {0, usage, ""}},
        {program + " --version", {0, "velmiro 1.00\n", ""}},
        {program, {1, "", noDisplay}},
        {program + " --tabella", {1, "", noDisplay}},
        {"DISPLAY=:97 " + program, {1, "", noDisplay}},  // a display that is not there
        {"QT_QPA_PLATFORM=xcb " + program, {1, "", noDisplay}},
        {offscreen + program + " --modo",
         {2, "", "velmiro: argomento sconosciuto «--modo»\n" + usage}},
        {offscreen + program + " --modi --quarzi", {2, "", "velmiro: troppi argomenti\n" + usage}},
        {offscreen + program + " modi", {2, "", "velmiro: argomento sconosciuto «modi»\n" + usage}},
        {"timeout 2 env " + offscreen + program, {124, "", ""}},  // open until it is closed
    };
    for (const auto& [line, outcome] : rows)
        EXPECT_EQ(run(line), outcome) << line;
}

// Command line -> the window main() opens, as the probe reports it.
TEST(Program, OpensTheWindowItIsAskedFor) {
    const std::string names = " | Velmiro | 1.00 | it.velmiro.Velmiro | layout font\n";
    const std::string companion = "companion::Companion | Velmiro – tutti i modi | ";
    const std::pair<std::string, std::string> rows[] = {
        {"", "frmVelmiro | PIC Velmiro | " + names},
        {" --modi", companion + "Modi" + names},
        {" --tabella", companion + "Tabella" + names},
        {" --quarzi", companion + "Quarzi" + names},
        // Qt's own arguments are taken out before main() looks.
        {" -platform offscreen --quarzi", companion + "Quarzi" + names},
    };
    for (const auto& [arguments, window] : rows) {
        const Outcome result = run(offscreen + probe + arguments);
        EXPECT_EQ(result.status, 0) << arguments;
        EXPECT_EQ(result.out, window) << arguments;
    }
    // Qt's platform messages, held while the platform starts, are shown once it has.
    const Outcome told = run("QT_LOGGING_RULES=qt.qpa.plugin=true " + offscreen + probe);
    EXPECT_NE(told.err.find("Successfully loaded Qt platform plugin"), std::string::npos);
}
