#include <fmt/format.h>
#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <limits>
#include <sstream>

#include "report.h"
#include "velmiro_cli.h"

namespace velmiro::cli {

namespace {

// Wrong usage: an Italian message on stderr, status 2, nothing on stdout.
struct UsageError {
    std::string message;
};

[[noreturn]] void refuse(std::string message) {
    throw UsageError{std::move(message)};
}

// What the options say, as typed; read once the command is known.
struct Options {
    std::string mode;
    bool sync = false;
    std::string tolerance = "1";
    std::string format = "text";
    std::string prefix = "VELMIRO_";
    std::string minFrequency;
    std::string maxFrequency;
};

struct Settings {
    ModeChoice choice;
    double tolerancePercent = 1.0;
    Format format = Format::Text;
};

// ---------------------------------------------------------------- arguments

std::int32_t positiveQuantity(const std::string& name, const std::string& text) {
    std::int32_t value = 0;
    try {
        value = quantityFromText(text);
    } catch (const CalcError& e) {
        switch (e.kind()) {
            case CalcErrorKind::Overflow:
                refuse(fmt::format("{}: «{}» è troppo grande (al massimo 2147483647)", name, text));
            case CalcErrorKind::Ambiguous:
                refuse(
                    fmt::format("{}: «{}» si legge in due modi; scrivere le migliaia senza punto "
                                "(1000k) o i decimali con la virgola (1,5k)",
                                name, text));
            default:
                refuse(
                    fmt::format("{}: «{}» non è un numero; si scrive per esempio 20000000, "
                                "20.000.000, 20M, 11,0592M o 115.2k",
                                name, text));
        }
    }
    if (value <= 0)
        refuse(fmt::format("{}: «{}» deve essere maggiore di zero", name, text));
    return value;
}

std::int64_t registerArgument(const std::string& text) {
    try {
        const std::int32_t value = integerFromText(text);
        if (value >= 0 && value <= 65535)
            return value;
    } catch (const CalcError&) {
    }
    refuse(fmt::format("N: «{}» non è un valore del registro; serve un intero da 0 a 65535", text));
}

// "1", "0,5", "0.5", "2%".
double toleranceArgument(std::string text) {
    const std::string typed = text;
    if (text.ends_with('%'))
        text.pop_back();
    std::replace(text.begin(), text.end(), ',', '.');
    const bool plain = !text.empty() && text.front() != '.' && text.back() != '.' &&
                       std::count(text.begin(), text.end(), '.') <= 1 &&
                       std::all_of(text.begin(), text.end(),
                                   [](char c) { return (c >= '0' && c <= '9') || c == '.'; });
    double value = 0.0;
    if (plain) {
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error == std::errc() && end == text.data() + text.size() && value > 0.0 &&
            value <= 100.0)
            return value;
    }
    refuse(
        fmt::format("--tolerance: «{}» non è una tolleranza; serve una percentuale maggiore di "
                    "zero e al massimo 100, come 1, 0,5 o 2,5",
                    typed));
}

Settings settingsOf(const Options& o) {
    Settings s;
    s.choice.sync = o.sync;
    if (!o.mode.empty()) {
        const ModeInfo* mode = findMode(o.mode);
        if (mode == nullptr)
            refuse(fmt::format(
                "--mode: «{}» non è un modo; i modi sono 000, 001, 010, 011, 100 e 110", o.mode));
        s.choice.key = mode->key;
    }
    s.tolerancePercent = toleranceArgument(o.tolerance);
    if (o.format == "text")
        s.format = Format::Text;
    else if (o.format == "csv")
        s.format = Format::Csv;
    else if (o.format == "json")
        s.format = Format::Json;
    else
        refuse(fmt::format("--format: «{}» non è un formato; i formati sono text, csv e json",
                           o.format));
    return s;
}

std::vector<std::int32_t> rateArguments(const std::vector<std::string>& texts) {
    std::vector<std::int32_t> rates;
    for (const std::string& text : texts)
        rates.push_back(positiveQuantity("BAUD", text));
    return rates;
}

// ---------------------------------------------------------------- commands

// The status of an answer, with the reason on stderr when it is 1.
int statusOf(const ModeResult* chosen, std::ostream& err) {
    if (chosen != nullptr && chosen->verdict == Verdict::Ok)
        return 0;
    if (chosen == nullptr)
        err << "velmiro-cli: nessun modo raggiunge questo baud rate con questo quarzo\n";
    else
        err << fmt::format(
            "velmiro-cli: lo scostamento migliore, {}% nel modo {}, è fuori tolleranza\n",
            decimalText(*chosen->deviationPercent, 2), chosen->mode->key);
    return 1;
}

int compare(const std::string& crystal, const std::string& rate, const Options& o,
            std::ostream& out, std::ostream& err) {
    const Settings s = settingsOf(o);
    const Query q{positiveQuantity("QUARZO", crystal),
                  positiveQuantity("BAUD", rate),
                  {},
                  s.tolerancePercent};
    const std::vector<ModeResult> modes =
        compareModes(q.crystal, *q.rate, s.tolerancePercent, s.choice);
    writeModes(out, s.format, q, modes);
    return statusOf(bestOf(modes), err);
}

int registerCommand(const std::string& crystal, const std::string& n, const std::string& rate,
                    const Options& o, std::ostream& out, std::ostream& err) {
    const Settings s = settingsOf(o);
    Query q{positiveQuantity("QUARZO", crystal), {}, registerArgument(n), s.tolerancePercent};
    if (!rate.empty())
        q.rate = positiveQuantity("BAUD", rate);
    std::vector<ModeResult> modes;
    for (const ModeInfo& mode : modeTable()) {
        if (!isListed(mode, s.choice))
            continue;
        ModeResult r =
            resultOfRegister(q.crystal, *q.registerValue, q.rate, mode, s.tolerancePercent);
        if (r.hasRate())
            modes.push_back(r);
    }
    markBest(modes, s.choice);
    writeModes(out, s.format, q, modes);
    if (!modes.empty())
        return 0;
    err << fmt::format("velmiro-cli: il registro del modo {} non contiene {}\n", s.choice.key,
                       *q.registerValue);
    return 1;
}

bool isIdentifierPrefix(const std::string& prefix) {
    const auto word = [](char c) {
        return c == '_' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
               (c >= '0' && c <= '9');
    };
    return std::all_of(prefix.begin(), prefix.end(), word) &&
           (prefix.empty() || !(prefix.front() >= '0' && prefix.front() <= '9'));
}

int header(const std::string& crystal, const std::string& rate, const Options& o, std::ostream& out,
           std::ostream& err) {
    const Settings s = settingsOf(o);
    if (!isIdentifierPrefix(o.prefix))
        refuse(
            fmt::format("--prefix: «{}» non può iniziare un nome C; servono lettere, cifre e _, "
                        "non una cifra in testa",
                        o.prefix));
    const Query q{positiveQuantity("QUARZO", crystal),
                  positiveQuantity("BAUD", rate),
                  {},
                  s.tolerancePercent};
    const std::vector<ModeResult> modes =
        compareModes(q.crystal, *q.rate, s.tolerancePercent, s.choice);
    const ModeResult* chosen = bestOf(modes);
    if (chosen == nullptr && !s.choice.key.empty()) {
        err << fmt::format("velmiro-cli: nel modo {} il registro non può valere {}\n", s.choice.key,
                           modes.front().registerValue);
        return 1;
    }
    if (chosen != nullptr)
        writeHeader(out, o.prefix, q, *chosen);
    return statusOf(chosen, err);
}

int table(const std::string& crystal, std::vector<std::string> rateTexts, const Options& o,
          std::ostream& out) {
    const Settings s = settingsOf(o);
    const Query q{positiveQuantity("QUARZO", crystal), {}, {}, s.tolerancePercent};
    if (rateTexts.empty())
        rateTexts = {"300", "1200", "2400", "9600", "10417", "19200", "57600", "115200"};
    std::vector<TableRow> rows;
    for (const std::int32_t rate : rateArguments(rateTexts)) {
        TableRow row{rate, compareModes(q.crystal, rate, s.tolerancePercent, s.choice)};
        // The synchronous blocks are shown only on request; best still follows compare's rule.
        if (s.choice.key.empty() && !s.choice.sync) {
            std::erase_if(row.modes, [](const ModeResult& r) { return r.mode->mode.sync != 0; });
        }
        rows.push_back(std::move(row));
    }
    writeTable(out, s.format, q, rows);
    return 0;
}

int crystals(const std::vector<std::string>& rateTexts, const Options& o, std::ostream& out,
             std::ostream& err) {
    const Settings s = settingsOf(o);
    if (rateTexts.empty())
        refuse("manca BAUD: il baud rate che il quarzo deve dare, uno o più");
    const std::vector<std::int32_t> rates = rateArguments(rateTexts);
    const std::int32_t minimum =
        o.minFrequency.empty() ? 1 : positiveQuantity("--min-frequency", o.minFrequency);
    const std::int32_t maximum = o.maxFrequency.empty()
                                     ? std::numeric_limits<std::int32_t>::max()
                                     : positiveQuantity("--max-frequency", o.maxFrequency);
    if (minimum > maximum)
        refuse("--min-frequency è più alta di --max-frequency");
    const std::vector<CrystalFit> fits =
        crystalsFor(rates, s.tolerancePercent, s.choice, minimum, maximum);
    writeCrystals(out, s.format, rates, s.tolerancePercent, fits);
    if (!fits.empty())
        return 0;
    err << "velmiro-cli: nessun quarzo comune dà tutti i baud rate entro la tolleranza\n";
    return 1;
}

// ---------------------------------------------------------------- the command line

std::string crystalList() {
    std::string list;
    std::size_t column = 0;
    for (const std::int32_t crystal : commonCrystals()) {
        const std::string item = std::to_string(crystal);
        if (column + item.size() + 1 > 78) {
            list += '\n';
            column = 0;
        }
        list += column == 0 ? "  " + item : " " + item;
        column += item.size() + (column == 0 ? 2 : 1);
    }
    return list;
}

// Blocks of a heading and indented lines, which help2man turns into sections.
std::string footer() {
    return "Numeri:\n"
           "  20000000, 20.000.000, 20M, 11,0592M, 11.0592MHz, 57,6k, 115.2k. Con k o M\n"
           "  i decimali seguono \",\" o \".\"; un testo che si legge in due modi, come\n"
           "  1.000k, è rifiutato. Un resto decimale è arrotondato all'intero pari.\n\n"
           "Modi:\n"
           "  SYNC BRG16 BRGH: 000, 001, 010 e 011 asincroni, 100 e 110 sincroni. Il modo\n"
           "  migliore ha lo scostamento più piccolo; a parità vince il primo.\n\n"
           "Quarzi comuni provati da crystals, in Hz:\n" +
           crystalList() +
           "\n\n"
           "Stato di uscita:\n"
           "  0 entro la tolleranza; 1 una risposta fuori tolleranza o nessuna risposta;\n"
           "  2 un uso sbagliato.\n\n"
           "Esempi:\n"
           "  velmiro-cli 20M 19200\n"
           "  velmiro-cli register 20M 64 19200\n"
           "  velmiro-cli header 20M 19200 --prefix UART_ > uart_baud.h\n"
           "  velmiro-cli table 11,0592M --format csv\n"
           "  velmiro-cli crystals 115200 9600 --max-frequency 20M";  // CLI11 ends the line
}

void italianLabels(CLI::App& app) {
    auto formatter = std::make_shared<CLI::Formatter>();
    formatter->label("Usage", "Uso");
    formatter->label("OPTIONS", "OPZIONI");
    formatter->label("SUBCOMMAND", "COMANDO");
    formatter->label("SUBCOMMANDS", "COMANDO");
    formatter->label("Positionals", "Argomenti");
    formatter->label("Subcommands", "Comandi");
    formatter->label("TEXT", "TESTO");
    formatter->column_width(26);
    app.formatter(formatter);
}

constexpr std::string_view commandNames[] = {"compare", "register", "header", "table", "crystals"};

struct Line {
    CLI::App app{
        "Calcolo del generatore di baud rate (SPBRG) della porta seriale dei PIC:\n"
        "per un quarzo e un baud rate, tutti i modi del generatore a confronto.\n",
        "velmiro-cli"};
    Options o;
    std::string crystal, rate, n;
    std::vector<std::string> rates;

    void options(CLI::App& cmd, bool withFormat = true) {
        cmd.add_option("--mode", o.mode, "Solo il modo MODO: 000, 001, 010, 011, 100 o 110")
            ->option_text("MODO");
        cmd.add_flag("--sync", o.sync, "Il modo migliore tra i sincroni (100, 110)");
        cmd.add_option("--tolerance", o.tolerance,
                       "Tolleranza in percento, con \",\" o \".\" (predefinita 1)")
            ->option_text("PERCENTO");
        if (withFormat) {
            cmd.add_option("--format", o.format, "Formato: text, csv o json (predefinito text)")
                ->option_text("FORMATO");
        }
        cmd.allow_extras();
    }

    // Sets up only the commands named on the line, or all of them for the general
    // help: the rest would only cost start-up time.
    CLI::App* command(const std::vector<std::string>& args, const char* name,
                      const char* description) {
        const auto named = [&args](std::string_view word) {
            return std::find(args.begin(), args.end(), word) != args.end();
        };
        const bool generalHelp =
            (named("-h") || named("--help")) &&
            std::none_of(std::begin(commandNames), std::end(commandNames), named);
        return named(name) || generalHelp ? app.add_subcommand(name, description) : nullptr;
    }

    explicit Line(const std::vector<std::string>& args) {
        italianLabels(app);
        app.option_defaults()->group("Opzioni");
        app.set_help_flag("-h,--help", "Mostra questo aiuto ed esce");
        app.set_version_flag("--version", std::string("velmiro-cli ") + VELMIRO_VERSION,
                             "Mostra la versione ed esce");
        app.add_option("QUARZO", crystal, "Frequenza del quarzo in Hz (senza comando: compare)");
        app.add_option("BAUD", rate, "Baud rate desiderato");
        options(app);
        app.require_subcommand(0, 1);

        if (CLI::App* cmd =
                command(args, "compare", "Tutti i modi a confronto, il migliore segnato")) {
            cmd->add_option("QUARZO", crystal, "Frequenza del quarzo in Hz");
            cmd->add_option("BAUD", rate, "Baud rate desiderato");
            options(*cmd);
        }
        if (CLI::App* cmd = command(args, "register",
                                    "Il baud rate che un valore N del registro dà in ogni modo")) {
            cmd->add_option("QUARZO", crystal, "Frequenza del quarzo in Hz");
            cmd->add_option("N", n, "Valore del registro, da 0 a 65535");
            cmd->add_option("BAUD", rate, "Baud rate desiderato, per scostamento ed esito");
            options(*cmd);
        }
        if (CLI::App* cmd =
                command(args, "header", "Un header C per il firmware, del modo migliore")) {
            cmd->add_option("QUARZO", crystal, "Frequenza del quarzo in Hz");
            cmd->add_option("BAUD", rate, "Baud rate desiderato");
            options(*cmd, false);
            cmd->add_option("--prefix", o.prefix,
                            "Inizio dei nomi delle #define (predefinito VELMIRO_)")
                ->option_text("NOME");
        }
        if (CLI::App* cmd =
                command(args, "table", "La tabella di un datasheet per un quarzo qualsiasi")) {
            cmd->add_option("QUARZO", crystal, "Frequenza del quarzo in Hz");
            cmd->add_option("BAUD", rates,
                            "Baud rate (predefiniti 300 1200 2400 9600 10417 19200 57600 115200)");
            options(*cmd);
        }
        if (CLI::App* cmd =
                command(args, "crystals", "I quarzi comuni che danno tutti i baud rate")) {
            cmd->add_option("BAUD", rates, "Baud rate richiesti");
            options(*cmd);
            cmd->add_option("--max-frequency", o.maxFrequency, "Esclude i quarzi più veloci di F")
                ->option_text("F");
            cmd->add_option("--min-frequency", o.minFrequency, "Esclude i quarzi più lenti di F")
                ->option_text("F");
        }

        // As usual on the command line, a repeated option takes its last value.
        std::vector<CLI::App*> all = app.get_subcommands({});
        all.push_back(&app);
        for (CLI::App* a : all) {
            a->group("Comandi");
            a->footer(footer);  // built only when help is asked for
            for (CLI::Option* opt : a->get_options()) {
                opt->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
                opt->group("Opzioni");
                if (opt->get_positional())
                    opt->type_name("");
            }
        }
    }
};

void requireAll(std::initializer_list<std::pair<const char*, const std::string*>> values) {
    for (const auto& [name, value] : values) {
        if (value->empty())
            refuse(fmt::format("manca {}; vedere velmiro-cli --help", name));
    }
}

void refuseLeftovers(const CLI::App& app) {
    std::vector<std::string> left = app.remaining();
    for (const CLI::App* sub : app.get_subcommands()) {
        const std::vector<std::string> more = sub->remaining();
        left.insert(left.end(), more.begin(), more.end());
    }
    if (left.empty())
        return;
    if (left.front().starts_with('-') && left.front().size() > 1 &&
        !(left.front()[1] >= '0' && left.front()[1] <= '9'))
        refuse(fmt::format("opzione sconosciuta: «{}»", left.front()));
    refuse(fmt::format("argomento in più: «{}»", left.front()));
}

int dispatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    Line line(args);
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        line.app.parse(reversed);
    } catch (const CLI::CallForVersion&) {
        out << "velmiro-cli " << VELMIRO_VERSION << '\n';
        return 0;
    } catch (const CLI::Success& e) {
        return line.app.exit(e, out, err);
    } catch (const CLI::ParseError& e) {
        // CLI11's own words are English: say it again, naming the option.
        const std::string what = e.what();
        const std::size_t start = what.find("--");
        const std::string name = start == std::string::npos
                                     ? ""
                                     : what.substr(start, what.find_first_of(" :=", start) - start);
        if (name.empty())
            refuse("argomenti non validi; vedere velmiro-cli --help");
        if (dynamic_cast<const CLI::ArgumentMismatch*>(&e) != nullptr)
            refuse(fmt::format("{}: manca il valore", name));
        refuse(fmt::format("{}: non vuole un valore", name));
    }
    refuseLeftovers(line.app);

    const Options& o = line.o;
    const std::vector<CLI::App*> chosen = line.app.get_subcommands();
    const std::string command = chosen.empty() ? "" : chosen.front()->get_name();
    if (command.empty() && line.crystal.empty())
        refuse("manca il comando o QUARZO BAUD; vedere velmiro-cli --help");
    if (command.empty() || command == "compare") {
        requireAll({{"QUARZO", &line.crystal}, {"BAUD", &line.rate}});
        return compare(line.crystal, line.rate, o, out, err);
    }
    if (command == "register") {
        requireAll({{"QUARZO", &line.crystal}, {"N", &line.n}});
        return registerCommand(line.crystal, line.n, line.rate, o, out, err);
    }
    if (command == "header") {
        requireAll({{"QUARZO", &line.crystal}, {"BAUD", &line.rate}});
        return header(line.crystal, line.rate, o, out, err);
    }
    if (command == "table") {
        requireAll({{"QUARZO", &line.crystal}});
        return table(line.crystal, line.rates, o, out);
    }
    return crystals(line.rates, o, out, err);
}

}  // namespace

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    // The answer is held back until it is complete: a refusal leaves stdout empty.
    std::ostringstream answer;
    std::ostringstream notes;
    int status = 2;
    try {
        status = dispatch(args, answer, notes);
    } catch (const UsageError& e) {
        err << "velmiro-cli: " << e.message << '\n';
        return 2;
    } catch (const std::exception& e) {
        err << "velmiro-cli: errore imprevisto: " << e.what() << '\n';
        return 2;
    }
    out << answer.str();
    out.flush();
    err << notes.str();
    return status;
}

}  // namespace velmiro::cli
