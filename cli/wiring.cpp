// The command line itself: each command with its own arguments, options and
// callback in CLI11, and every refusal said in Italian.
#include <fmt/format.h>

#include <algorithm>
#include <sstream>

#include "arguments.h"
#include "commands.h"
#include "velmiro_cli.h"

namespace velmiro::cli {

namespace {

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

// Blocks of a heading and indented lines, as the manual has them.
std::string footer(std::string_view command) {
    std::string text =
        "Numeri:\n"
        "  20000000, 20.000.000, 20M, 11,0592M, 11.0592MHz, 57,6k, 115.2k. Con k o M\n"
        "  i decimali seguono \",\" o \".\"; un testo che si legge in due modi, come\n"
        "  1.000k, è rifiutato. Un resto decimale è arrotondato all'intero pari.\n\n"
        "Registro:\n"
        "  n = (F / B) / D - 1, all'intero più vicino (a metà, verso l'alto). Dove il\n"
        "  registro non lo contiene (0-255, con BRG16 0-65535) si carica il limite,\n"
        "  segnato (max) o (min): baud rate ottenuto, scostamento ed esito sono i suoi.\n\n"
        "Modi:\n"
        "  SYNC BRG16 BRGH: 000, 001, 010 e 011 asincroni, 100 e 110 sincroni. Il modo\n"
        "  migliore ha lo scostamento più piccolo, nel caso peggiore con --clock-error;\n"
        "  a parità vince il primo.\n\n";
    if (command == "crystals")
        text += "Quarzi comuni provati, in Hz:\n" + crystalList() + "\n\n";
    text +=
        "Stato di uscita:\n"
        "  0 ogni baud rate chiesto ha un modo entro la tolleranza (register senza BAUD:\n"
        "  sempre); 1 qualche baud rate non ne ha, o nessun quarzo va bene; 2 un uso\n"
        "  sbagliato.";
    if (command.empty())
        text +=
            "\n\nEsempi:\n"
            "  velmiro-cli 20M 19200\n"
            "  velmiro-cli register 20M 64 19200\n"
            "  velmiro-cli header 20M 19200 --prefix UART_ > uart_baud.h\n"
            "  velmiro-cli table 11,0592M --format csv\n"
            "  velmiro-cli crystals 115200 9600 --max-frequency 20M";
    return text;  // CLI11 ends the line
}

// The short form and the commands are two ways to call the program: say both,
// each in its order, rather than CLI11's merged line.
class Formatter : public CLI::Formatter {
  public:
    std::string make_usage(const CLI::App* app, std::string name) const override {
        if (app->get_parent() != nullptr)
            return CLI::Formatter::make_usage(app, std::move(name));
        return "Uso: velmiro-cli COMANDO ARGOMENTI [OPZIONI]\n"
               "     velmiro-cli QUARZO BAUD [OPZIONI]   (come compare)\n";
    }
};

void italianLabels(CLI::App& app) {
    auto formatter = std::make_shared<Formatter>();
    formatter->label("Usage", "Uso");
    formatter->label("OPTIONS", "OPZIONI");
    formatter->label("SUBCOMMAND", "COMANDO");
    formatter->label("SUBCOMMANDS", "COMANDO");
    formatter->label("Positionals", "Argomenti");
    formatter->label("Subcommands", "Comandi");
    formatter->label("REQUIRED", "obbligatorio");
    formatter->label("TEXT", "TESTO");
    formatter->column_width(26);
    app.formatter(formatter);
}

class Line {
  public:
    Line(const std::vector<std::string>& args, Streams streams) : args_(args), streams_(streams) {
        italianLabels(app_);
        app_.option_defaults()->group("Opzioni");
        app_.set_help_flag("-h,--help", "Mostra questo aiuto ed esce");
        app_.set_version_flag("--version", std::string("velmiro-cli ") + VELMIRO_VERSION,
                              "Mostra la versione ed esce");
        app_.failure_message([this](const CLI::App* app, const CLI::Error& e) {
            return "velmiro-cli: " + failure(*app, e) + '\n';
        });
        app_.require_subcommand(0, 1);
        app_.footer([] { return footer(""); });  // built only when help is asked for

        // The short form: velmiro-cli QUARZO BAUD, the same as compare.
        app_.add_option("QUARZO", shortCrystal_,
                        "Frequenza del quarzo in Hz (senza comando: compare)")
            ->check(crystalOrCommand());
        app_.add_option("BAUD", shortRate_, "Baud rate desiderato")->check(quantity());
        judging(app_, true);
        app_.callback([this] {
            if (!app_.get_subcommands().empty())
                return;
            if (shortCrystal_.empty())
                throw Refusal("manca il comando o QUARZO BAUD; vedere velmiro-cli --help");
            if (shortRate_.empty())
                throw Refusal("manca BAUD; vedere velmiro-cli --help");
            status_ = compare(shortCrystal_, shortRate_, common_, streams_);
        });

        if (CLI::App* cmd = command("compare", "Tutti i modi a confronto, il migliore segnato")) {
            crystal(*cmd);
            rate(*cmd, "Baud rate desiderato")->required();
            judging(*cmd, true);
            cmd->callback([this] { status_ = compare(crystal_, rate_, common_, streams_); });
        }
        if (CLI::App* cmd =
                command("register", "Il baud rate che un valore N del registro dà in ogni modo")) {
            crystal(*cmd);
            cmd->add_option("N", n_, "Valore del registro, da 0 a 65535")
                ->check(registerValue())
                ->required();
            rate(*cmd, "Baud rate desiderato, per scostamento ed esito");
            judging(*cmd, true);
            cmd->callback(
                [this] { status_ = registerCommand(crystal_, n_, rate_, common_, streams_); });
        }
        if (CLI::App* cmd = command("header", "Un header C per il firmware, del modo migliore")) {
            crystal(*cmd);
            rate(*cmd, "Baud rate desiderato")->required();
            judging(*cmd, false);
            cmd->add_option("--prefix", prefix_,
                            "Inizio dei nomi delle #define, non vuoto (predefinito VELMIRO_)")
                ->option_text("NOME")
                ->check(prefix());
            cmd->callback(
                [this] { status_ = header(crystal_, rate_, prefix_, common_, streams_); });
        }
        if (CLI::App* cmd =
                command("table", "La tabella di un datasheet per un quarzo qualsiasi")) {
            crystal(*cmd);
            cmd->add_option("BAUD", rates_,
                            "Baud rate (predefiniti 300 1200 2400 9600 10417 19200 57600 115200)")
                ->check(quantity());
            judging(*cmd, true);
            cmd->callback([this] { status_ = table(crystal_, rates_, common_, streams_); });
        }
        if (CLI::App* cmd = command("crystals", "I quarzi comuni che danno tutti i baud rate")) {
            cmd->add_option("BAUD", rates_, "Baud rate richiesti")->check(quantity())->required();
            judging(*cmd, true);
            cmd->add_option("--max-frequency", maximum_, "Esclude i quarzi più veloci di F")
                ->option_text("F")
                ->check(quantity());
            cmd->add_option("--min-frequency", minimum_, "Esclude i quarzi più lenti di F")
                ->option_text("F")
                ->check(quantity());
            cmd->callback(
                [this] { status_ = crystals(rates_, minimum_, maximum_, common_, streams_); });
        }

        // As usual on the command line, a repeated option takes its last value.
        std::vector<CLI::App*> all = app_.get_subcommands({});
        all.push_back(&app_);
        for (CLI::App* a : all) {
            for (CLI::Option* opt : a->get_options()) {
                opt->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
                if (opt->get_positional()) {
                    opt->type_name("");
                    opt->group("Argomenti");
                }
            }
        }
    }

    // The exit status; a refusal is reported here, with status 2.
    int parse() {
        std::vector<const char*> argv{"velmiro-cli"};
        for (const std::string& arg : args_)
            argv.push_back(arg.c_str());
        try {
            app_.parse(static_cast<int>(argv.size()), argv.data());
        } catch (const CLI::ParseError& e) {
            const int code = app_.exit(e, streams_.out, streams_.err);
            return code == 0 ? 0 : 2;
        }
        return status_;
    }

  private:
    // Sets up a command only when it is named on the line, or for the general
    // help: the rest would only cost start-up time.
    CLI::App* command(const char* name, const char* description) {
        const auto named = [this](std::string_view word) {
            return std::find(args_.begin(), args_.end(), word) != args_.end();
        };
        const bool generalHelp =
            (named("-h") || named("--help")) &&
            std::none_of(std::begin(commandNames), std::end(commandNames), named);
        if (!named(name) && !generalHelp)
            return nullptr;
        CLI::App* cmd = app_.add_subcommand(name, description);
        cmd->group("Comandi");
        cmd->get_help_ptr()->group("Opzioni");
        cmd->footer([name] { return footer(name); });
        // Whatever the short form took before the command name is misplaced.
        cmd->preparse_callback([this, cmd](std::size_t) { refuseBefore(cmd->get_name()); });
        return cmd;
    }

    void crystal(CLI::App& cmd) {
        cmd.add_option("QUARZO", crystal_, "Frequenza del quarzo in Hz")
            ->check(quantity())
            ->required();
    }

    CLI::Option* rate(CLI::App& cmd, const char* description) {
        return cmd.add_option("BAUD", rate_, description)->check(quantity());
    }

    // The options of every command that judges a rate.
    void judging(CLI::App& cmd, bool withFormat) {
        cmd.add_option("--mode", common_.mode, "Solo il modo MODO: 000, 001, 010, 011, 100 o 110")
            ->option_text("MODO")
            ->check(modeKey());
        cmd.add_flag("--sync", common_.sync, "Il modo migliore tra i sincroni (100, 110)");
        cmd.add_option("--tolerance", common_.tolerance,
                       "Tolleranza in percento, con \",\" o \".\" (predefinita 1)")
            ->option_text("PERCENTO")
            ->check(tolerance());
        cmd.add_option("--clock-error", common_.clockError,
                       "Errore del clock in percento, da 0 a meno di 100 (predefinito 0)")
            ->option_text("PERCENTO")
            ->check(clockError());
        if (withFormat) {
            cmd.add_option("--format", common_.format,
                           "Formato: text, csv o json (predefinito text)")
                ->option_text("FORMATO")
                ->check(format());
        }
    }

    void refuseBefore(const std::string& command) const {
        for (const CLI::Option* opt : app_.get_options()) {
            if (opt->count() == 0)
                continue;
            if (opt->get_positional())
                throw Refusal(fmt::format(
                    "il comando va per primo: velmiro-cli {} …, non dopo «{}»; la forma breve "
                    "è velmiro-cli QUARZO BAUD senza comando",
                    command, opt->as<std::string>()));
            throw Refusal(fmt::format("{} va dopo il comando: velmiro-cli {} … {}", opt->get_name(),
                                      command, opt->get_name()));
        }
    }

    // CLI11's failures in Italian, told apart by their type, never by their words.
    std::string failure(const CLI::App& app, const CLI::Error& e) const {
        const std::vector<CLI::App*> chosen = app.get_subcommands();
        const CLI::App& where = chosen.empty() ? app : *chosen.front();
        const std::string see =
            chosen.empty() ? "velmiro-cli --help" : "velmiro-cli " + where.get_name() + " --help";
        if (dynamic_cast<const Refusal*>(&e) != nullptr ||
            dynamic_cast<const CLI::ValidationError*>(&e) != nullptr)
            return e.what();
        if (dynamic_cast<const CLI::RequiredError*>(&e) != nullptr) {
            for (const CLI::Option* opt : where.get_options()) {
                if (opt->get_required() && opt->count() == 0)
                    return fmt::format("manca {}; vedere {}", opt->get_name(), see);
            }
        }
        if (dynamic_cast<const CLI::ExtrasError*>(&e) != nullptr) {
            const std::vector<std::string> left = app.remaining(true);
            const std::string first = left.empty() ? "" : left.front();
            const bool option =
                first.size() > 1 && first.front() == '-' && !(first[1] >= '0' && first[1] <= '9');
            if (option)
                return chosen.empty() ? fmt::format("opzione sconosciuta: «{}»", first)
                                      : fmt::format("{} non ha l'opzione «{}»; vedere {}",
                                                    where.get_name(), first, see);
            return fmt::format("argomento in più: «{}»", first);
        }
        // A value missing after an option, or given to a flag.
        for (std::size_t i = 0; i < args_.size(); ++i) {
            const std::string& token = args_[i];
            const std::string name = token.substr(0, token.find('='));
            const CLI::Option* opt = where.get_option_no_throw(name);
            if (!token.starts_with("--") || opt == nullptr)
                continue;
            const bool flag = opt->get_expected_max() == 0;
            const bool inlineValue = name.size() < token.size();
            if (flag && inlineValue)
                return fmt::format("{}: non vuole un valore", name);
            const bool noValue = inlineValue
                                     ? name.size() + 1 == token.size()
                                     : i + 1 == args_.size() || args_[i + 1].starts_with("--");
            if (!flag && noValue)
                return fmt::format("{}: manca il valore", name);
        }
        return fmt::format("argomenti non validi; vedere {}", see);
    }

    const std::vector<std::string>& args_;
    Streams streams_;
    CLI::App app_{
        "Calcolo del generatore di baud rate (SPBRG) della porta seriale dei PIC:\n"
        "per un quarzo e un baud rate, tutti i modi del generatore a confronto.\n",
        "velmiro-cli"};
    Common common_;
    std::string shortCrystal_, shortRate_;
    std::string crystal_, rate_, n_, prefix_ = "VELMIRO_", minimum_, maximum_;
    std::vector<std::string> rates_;
    int status_ = 0;
};

}  // namespace

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    // The answer is held back until it is complete: a refusal leaves stdout empty.
    std::ostringstream answer;
    std::ostringstream notes;
    int status = 2;
    try {
        status = Line(args, {answer, notes}).parse();
    } catch (const std::exception& e) {
        err << "velmiro-cli: errore imprevisto: " << e.what() << '\n';
        return 2;
    }
    if (status != 2) {
        out << answer.str();
        out.flush();
    }
    err << notes.str();
    return status;
}

}  // namespace velmiro::cli
