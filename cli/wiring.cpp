// The command line itself: each command with its own arguments, options and
// callback in CLI11, and every refusal said in Italian.
#include <fmt/format.h>

#include <algorithm>
#include <optional>
#include <sstream>

#include "arguments.h"
#include "clocks.h"
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

// Each family: its name, parts as users know them, its modes and their bits,
// and the clock its generator counts when that is not the given one.
std::string familyList() {
    std::string text;
    for (const Family& f : families()) {
        std::vector<std::string_view> bits;
        for (const BitColumn& bit : f.bits)
            bits.push_back(bit.name);
        text += fmt::format("  {:<8} {}\n           modi {} ({})", f.key, f.parts,
                            listText(modeKeys(f), "e"), fmt::join(bits, " "));
        const ClockSource& source = f.sources.front();
        if (!source.generator.empty())
            text +=
                fmt::format("; conta {} = {} / {}", source.generator, source.input, source.divider);
        else if (f.clockWord != eusart().clockWord)
            text += fmt::format("; CLOCK è il {}", f.clockWord);
        if (!f.sourceBits.empty()) {
            std::vector<std::string_view> keys;
            for (const ClockSource& s : f.sources)
                keys.push_back(s.key);
            text += fmt::format("; --bclksel {}", fmt::join(keys, ", "));
        }
        text += '\n';
    }
    return text;
}

// The adapters, the model and link's exit status.
std::string linkFooter() {
    std::string text = "Adattatori (--peer), dalla regola pubblicata dal produttore:\n";
    for (const Adapter& adapter : adapters())
        text += fmt::format("  {:<7} {}\n", adapter.key, adapter.source);
    return text +
           "\nOgni direzione va se il baud rate di chi trasmette, diviso per quello di chi\n"
           "riceve, sta nella finestra del ricevitore anche con gli errori dei due clock:\n"
           "  R_slow = S(D+1) / (S(D+1) + S_F - 1), R_fast = S(D+2) / (S(D+1) + S_M)\n"
           "con S colpi di clock per bit, D bit di dati e parità, S_F e S_M il primo\n"
           "campione e quello di mezzo. Dove il datasheet non dice come il ricevitore\n"
           "campiona, un campione a metà bit, e la risposta lo dice. Esito: ok, al limite\n"
           "(dentro la finestra per meno di --margin) o non comunica.\n\n"
           "Stato di uscita:\n"
           "  0 entrambe le direzioni ok a ogni BAUD (senza BAUD: ad almeno un baud rate\n"
           "  standard); 1 altrimenti; 2 un uso sbagliato.\n\n"
           "Numeri, registro e modi: velmiro-cli --help";
}

// Blocks of a heading and indented lines, as the manual has them. A command's
// own help adds only what is its own and points to the rest.
std::string footer(std::string_view command) {
    if (command == "crystals")
        return "Quarzi comuni provati, in Hz:\n" + crystalList() +
               "\n\nNumeri, registro, modi, stato di uscita ed esempi: velmiro-cli --help";
    if (command == "link")
        return linkFooter();
    if (!command.empty())
        return "Numeri, registro, modi, stato di uscita ed esempi: velmiro-cli --help";
    return "Numeri:\n"
           "  20000000, 20.000.000, 20M, 20MHz, 11,0592M, 57,6k, 115.2k, 9k6, 115200bps.\n"
           "  Con k o M i decimali seguono \",\" o \".\"; un testo che si legge in due modi,\n"
           "  come 1.000k, è rifiutato. Un resto decimale è arrotondato all'intero, a metà\n"
           "  verso il pari.\n\n"
           "Registro:\n"
           "  n = (F / B) / D - 1, all'intero più vicino (a metà, verso l'alto), con F il\n"
           "  clock che il generatore conta; nel modo frazionario n = F / B. Dove il\n"
           "  registro (8, 16 o 20 bit, secondo il modo) non lo contiene si carica il\n"
           "  limite, segnato (max) o (min): baud rate ottenuto, scostamento ed esito\n"
           "  sono i suoi.\n\n"
           "Famiglie (--family, o quella di --device; predefinita eusart):\n" +
           familyList() +
           "\n"
           "  Il modo migliore ha lo scostamento più piccolo, nel caso peggiore con\n"
           "  --clock-error; a parità vince il primo. Con --sync competono i sincroni.\n\n"
           "Stato di uscita:\n"
           "  0 ogni baud rate chiesto ha un modo entro la tolleranza (register senza BAUD:\n"
           "  sempre); 1 qualche baud rate non ne ha, o nessun quarzo va bene; 2 un uso\n"
           "  sbagliato.\n\n"
           "Esempi:\n"
           "  velmiro-cli 20M 19200\n"
           "  velmiro-cli register 20M 64 19200\n"
           "  velmiro-cli header 20M 19200 --prefix UART_ > uart_baud.h\n"
           "  velmiro-cli table 11,0592M --format csv\n"
           "  velmiro-cli crystals 115200 9600 --max-frequency 20M\n"
           "  velmiro-cli link 20M 115200 --device PIC16F877A --peer ft232r";
    // CLI11 ends the line
}

// The short form and the commands are two ways to call the program: say both,
// each in its order, rather than CLI11's merged line.
class Formatter : public CLI::Formatter {
  public:
    std::string make_usage(const CLI::App* app, std::string name) const override {
        if (app->get_parent() != nullptr)
            return CLI::Formatter::make_usage(app, std::move(name));
        return "Uso: velmiro-cli COMANDO ARGOMENTI [OPZIONI]\n"
               "     velmiro-cli CLOCK BAUD [OPZIONI]   (come compare)\n";
    }

    // One blank line between blocks, never two; a command's help sets its
    // description apart from its usage as the program's does.
    std::string make_help(const CLI::App* app, std::string name,
                          CLI::AppFormatMode mode) const override {
        std::string text = CLI::Formatter::make_help(app, std::move(name), mode);
        if (app->get_parent() != nullptr)
            text.insert(text.find('\n'), "\n");
        for (std::size_t at = text.find("\n\n\n"); at != std::string::npos;
             at = text.find("\n\n\n"))
            text.erase(at, 1);
        return text;
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
        // As usual on the command line, a repeated option takes its last value.
        app_.option_defaults()->group("Opzioni")->multi_option_policy(
            CLI::MultiOptionPolicy::TakeLast);
        app_.set_help_flag("-h,--help", "Mostra questo aiuto ed esce");
        app_.set_version_flag("--version", std::string("velmiro-cli ") + VELMIRO_VERSION,
                              "Mostra la versione ed esce");
        app_.failure_message([this](const CLI::App* app, const CLI::Error& e) {
            return "velmiro-cli: " + failure(*app, e) + '\n';
        });
        app_.require_subcommand(0, 1);
        app_.footer([] { return footer(""); });  // built only when help is asked for

        // The short form: velmiro-cli CLOCK BAUD, the same as compare.
        argument(app_.add_option("CLOCK", compare_.crystal,
                                 "Il clock in Hz: Fosc, PBCLK per pic32, FUART per uart33a; con "
                                 "--pll il quarzo (senza comando: compare)"))
            ->check(crystalOrCommand());
        argument(app_.add_option("BAUD", compare_.rate, "Baud rate desiderato"))->check(quantity());
        judging(app_, compare_.judging, true);
        app_.callback([this] {
            if (!app_.get_subcommands().empty())
                return;
            if (app_.count("CLOCK") == 0)
                throw Refusal("manca il comando o CLOCK BAUD; vedere velmiro-cli --help");
            if (app_.count("BAUD") == 0)
                throw Refusal("manca BAUD; vedere velmiro-cli --help");
            status_ = compare(agreed(compare_), streams_);
        });

        if (CLI::App* cmd = command("compare", "Tutti i modi a confronto, il migliore segnato")) {
            crystal(*cmd, compare_.crystal);
            argument(cmd->add_option("BAUD", compare_.rate, "Baud rate desiderato"))
                ->check(quantity())
                ->required();
            judging(*cmd, compare_.judging, true);
            cmd->callback([this] { status_ = compare(agreed(compare_), streams_); });
        }
        if (CLI::App* cmd =
                command("register", "Il baud rate di un valore N del registro, in ogni modo")) {
            crystal(*cmd, register_.crystal);
            argument(cmd->add_option("N", register_.n,
                                     "Valore del registro, da 0 a 1048575, anche in hex (0x40)"))
                ->transform(registerValue())
                ->required();
            argument(cmd->add_option("BAUD", register_.rate,
                                     "Baud rate desiderato, per scostamento ed esito"))
                ->check(quantity());
            judging(*cmd, register_.judging, true);
            cmd->callback([this] { status_ = registerCommand(agreed(register_), streams_); });
        }
        if (CLI::App* cmd = command("header", "Un header C per il firmware, del modo migliore")) {
            crystal(*cmd, header_.crystal);
            argument(cmd->add_option("BAUD", header_.rate, "Baud rate desiderato"))
                ->check(quantity())
                ->required();
            judging(*cmd, header_.judging, false);
            cmd->add_option("--prefix", header_.prefix,
                            "Inizio dei nomi delle #define (predefinito VELMIRO_)")
                ->option_text("NOME")
                ->check(prefix());
            cmd->callback([this] { status_ = header(agreed(header_), streams_); });
        }
        if (CLI::App* cmd =
                command("table", "La tabella di un datasheet per un quarzo qualsiasi")) {
            crystal(*cmd, table_.crystal);
            argument(cmd->add_option(
                         "BAUD", table_.rates,
                         "Baud rate (predefiniti 300 1200 2400 9600 10417 19200 57600 115200)"))
                ->check(quantity());
            judging(*cmd, table_.judging, true);
            cmd->callback([this] { status_ = table(agreed(table_), streams_); });
        }
        if (CLI::App* cmd = command("crystals", "I quarzi comuni che danno tutti i baud rate")) {
            argument(cmd->add_option("BAUD", crystals_.rates, "Baud rate richiesti"))
                ->check(quantity())
                ->required();
            judging(*cmd, crystals_.judging, true);
            cmd->add_option("--max-frequency", crystals_.maximum,
                            "Esclude i quarzi più veloci di F")
                ->option_text("F")
                ->check(quantity());
            cmd->add_option("--min-frequency", crystals_.minimum, "Esclude i quarzi più lenti di F")
                ->option_text("F")
                ->check(quantity());
            cmd->callback([this] {
                CrystalsOptions& o = crystals_;
                if (o.minimum && o.maximum && o.minimum->value > o.maximum->value)
                    throw Refusal("--min-frequency è più alta di --max-frequency");
                status_ = crystals(agreed(o), streams_);
            });
        }
        if (CLI::App* cmd = command("link", "Il PIC e l'altro capo del filo: comunicano?")) {
            crystal(*cmd, link_.crystal);
            argument(cmd->add_option("BAUD", link_.rates,
                                     "Baud rate; senza, tutti i baud rate standard"))
                ->check(quantity());
            judging(*cmd, link_.judging, true);
            cmd->add_option("--peer", link_.peerName,
                            "L'altro capo: un adattatore, exact, o un PIC con --peer-clock")
                ->option_text("CAPO")
                ->required();
            cmd->add_option("--peer-clock", link_.peerClock, "Il quarzo del PIC all'altro capo")
                ->option_text("F")
                ->check(quantity());
            cmd->add_option("--peer-clock-error", link_.peerClockError,
                            "Errore del clock dell'altro capo in % (predefinito 0, o "
                            "quello pubblicato)")
                ->option_text("PERCENTO")
                ->transform(clockError());
            cmd->add_option("--frame", link_.frame,
                            "La trama, come 8N1, 7E1, 9N2 (predefinita 8N1)")
                ->option_text("TRAMA")
                ->transform(frame());
            cmd->add_option("--margin", link_.margin,
                            "Margine in % sotto cui l'esito è «al limite» (predefinito 1)")
                ->option_text("PERCENTO")
                ->transform(margin());
            cmd->callback([this] {
                link_.peer = peerOf(agreed(link_));
                status_ = link(link_, streams_);
            });
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
    CLI::App* command(std::string_view name, const char* description) {
        const auto named = [this](std::string_view word) {
            return std::find(args_.begin(), args_.end(), word) != args_.end();
        };
        const bool generalHelp =
            (named("-h") || named("--help")) &&
            std::none_of(std::begin(commandNames), std::end(commandNames), named);
        if (!named(name) && !generalHelp)
            return nullptr;
        CLI::App* cmd = app_.add_subcommand(std::string(name), description);
        cmd->group("Comandi");
        cmd->get_help_ptr()->group("Opzioni");
        cmd->footer([name] { return footer(name); });
        // Whatever the short form took before the command name is misplaced.
        cmd->preparse_callback([this, cmd](std::size_t) { refuseBefore(cmd->get_name()); });
        return cmd;
    }

    // The port the options name, checked against the other options: a part
    // that does not read, a family it does not have, a mode the family lacks
    // and --sync with no synchronous mode to choose are refused.
    template <typename Options>
    const Options& agreed(Options& o) const {
        Judging& j = o.judging;
        const Family* named = family_.empty() ? nullptr : findFamily(family_);
        if (device_) {
            const Device device = deviceFromText(*device_);
            if (const std::string problem = report::deviceProblem(*device_, device);
                !problem.empty())
                throw Refusal("--device: " + problem);
            if (named != nullptr) {
                if (const std::string conflict = report::familyConflict(device, *named);
                    !conflict.empty())
                    throw Refusal(conflict);
            }
            j.port = report::portOf(device);
        } else {
            j.port = report::Port{Peripheral(named != nullptr ? *named : eusart()), {}};
        }
        applyClockOptions(j.port, pll_, clock_, bclksel_);
        const Family& f = j.port.family();
        const ModeInfo* mode = j.mode.empty() ? nullptr : findMode(f, j.mode);
        if (!j.mode.empty() && mode == nullptr)
            throw Refusal(fmt::format("--mode {}: la famiglia {} ha i modi {}", j.mode, f.key,
                                      listText(modeKeys(f), "e")));
        const std::vector<std::string_view> sync = modeKeys(f, 1);
        if (j.sync && sync.empty())
            throw Refusal(fmt::format("--sync: la famiglia {} non ha modi sincroni", f.key));
        if (j.sync && mode != nullptr && mode->mode.sync == 0)
            throw Refusal(
                fmt::format("--sync sceglie tra i modi sincroni ({}), ma --mode {} è "
                            "asincrono; togliere l'una o l'altra opzione",
                            listText(sync, "e"), j.mode));
        return o;
    }

    // The other end --peer names: an adapter, exact, or a PIC by part or
    // family with its own clock. Asynchronous modes only, on the PIC too.
    report::Peer peerOf(const LinkOptions& o) const {
        const Judging& j = o.judging;
        if (j.sync || (!j.mode.empty() && findMode(j.port.family(), j.mode)->mode.sync != 0))
            throw Refusal(
                "link: il collegamento è asincrono; --sync e i modi sincroni non valgono");
        report::Peer peer;
        peer.adapter = findAdapter(o.peerName);
        std::string lower = o.peerName;
        std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) {
            return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        });
        const bool exact = lower == "exact";
        if (peer.adapter == nullptr && !exact) {
            const Device device = deviceFromText(o.peerName);
            if (const Family* f = findFamily(lower))
                peer.pic = report::Port{Peripheral(*f), {}};
            else if (device.problem == DeviceProblem::None)
                peer.pic = report::portOf(device);
            else
                throw Refusal(fmt::format(
                    "--peer: «{}» non è un adattatore, exact, una famiglia o un PIC che Velmiro "
                    "conosce; gli adattatori sono {}",
                    o.peerName, adapterList()));
            if (!o.peerClock)
                throw Refusal(fmt::format("--peer {}: manca --peer-clock, il quarzo di quel PIC",
                                          o.peerName));
            peer.clock = o.peerClock->value;
        } else if (o.peerClock) {
            throw Refusal(fmt::format(
                "--peer-clock vale solo per un PIC all'altro capo, non per {}", o.peerName));
        }
        const double published = peer.adapter != nullptr ? peer.adapter->clockErrorPercent : 0.0;
        peer.clockErrorPercent = o.peerClockError.value_or(published);
        return peer;
    }

    // "ft232r, ft232b, cp2104 e cp2102".
    static std::string adapterList() {
        std::vector<std::string_view> keys;
        for (const Adapter& adapter : adapters())
            keys.push_back(adapter.key);
        return listText(keys, "e");
    }

    // Positional arguments have a group of their own and no type in help.
    static CLI::Option* argument(CLI::Option* opt) {
        return opt->type_name("")->group("Argomenti");
    }

    static void crystal(CLI::App& cmd, Quantity& value) {
        argument(cmd.add_option("CLOCK", value,
                                "Il clock in Hz: Fosc, PBCLK per pic32, FUART per uart33a; con "
                                "--pll il quarzo"))
            ->check(quantity())
            ->required();
    }

    // The options of every command that judges a rate.
    void judging(CLI::App& cmd, Judging& j, bool withFormat) {
        cmd.add_option("--family", family_, "La porta seriale del PIC (predefinita eusart)")
            ->option_text("FAMIGLIA")
            ->transform(family());
        cmd.add_option("--device", device_, "Il PIC, come PIC16F877A: ne dà la famiglia")
            ->option_text("PARTE");
        cmd.add_option("--mode", j.mode, "Solo il modo MODO della famiglia, come 001 o 1")
            ->option_text("MODO")
            ->transform(modeKey());
        cmd.add_flag("--sync", j.sync, "Il modo migliore tra i sincroni (SYNC 1)");
        cmd.add_option("--pll", pll_,
                       "CLOCK è il quarzo (o l'oscillatore interno) e il PLL lo moltiplica per "
                       "RAPPORTO: 4, 16, o M/N1/N2 come 40/2/2")
            ->option_text("RAPPORTO")
            ->check(pllRatio());
        cmd.add_option("--clock", clock_,
                       "Quale clock è CLOCK: fosc, o quello che il generatore conta (fcy, fp, "
                       "pbclk2...)")
            ->option_text("NOME");
        cmd.add_option("--bclksel", bclksel_,
                       "uart33c: la sorgente del clock dell'UART, fosc/2 (predefinita), fosc o "
                       "afvco/3")
            ->option_text("SORGENTE");
        cmd.add_option("--tolerance", j.tolerance,
                       "Tolleranza in percento, con \",\" o \".\" (predefinita 1)")
            ->option_text("PERCENTO")
            ->transform(tolerance());
        cmd.add_option("--clock-error", j.clockError,
                       "Errore del clock in %, sotto 100 (predefinito 0)")
            ->option_text("PERCENTO")
            ->transform(clockError());
        if (withFormat) {
            cmd.add_option("--format", j.format,
                           "Formato: " + listText(formatNames(), "o") + " (predefinito text)")
                ->option_text("FORMATO")
                ->transform(format());
        }
    }

    void refuseBefore(const std::string& command) const {
        for (const CLI::Option* opt : app_.get_options()) {
            if (opt->count() == 0)
                continue;
            if (opt->get_positional())
                throw Refusal(fmt::format(
                    "il comando va per primo: velmiro-cli {} …, non dopo «{}»; la forma breve "
                    "è velmiro-cli CLOCK BAUD senza comando",
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
            if (option) {
                std::vector<std::string> names;
                for (const CLI::Option* opt : where.get_options()) {
                    if (!opt->get_positional())
                        names.push_back(opt->get_name());
                }
                const std::string nearest = nearestName(first.substr(0, first.find('=')), names);
                const std::string guess = nearest.empty() ? "" : " (forse " + nearest + "?)";
                return chosen.empty() ? fmt::format("opzione sconosciuta: «{}»{}", first, guess)
                                      : fmt::format("{} non ha l'opzione «{}»{}; vedere {}",
                                                    where.get_name(), first, guess, see);
            }
            if (isUnit(first))
                return fmt::format("argomento in più: «{}»; {}", first, unitAdvice);
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
        "per un clock e un baud rate, tutti i modi del generatore a confronto.\n",
        "velmiro-cli"};
    std::string family_;                  // --family, every command's
    std::optional<std::string> device_;   // --device, every command's
    std::optional<std::string> pll_;      // --pll, every command's
    std::optional<std::string> clock_;    // --clock
    std::optional<std::string> bclksel_;  // --bclksel
    CompareOptions compare_;              // also the short form's
    RegisterOptions register_;
    HeaderOptions header_;
    TableOptions table_;
    CrystalsOptions crystals_;
    LinkOptions link_;
    int status_ = 0;
};

}  // namespace

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
        std::size_t width) {
    // The answer is held back until it is complete: a refusal leaves stdout empty.
    std::ostringstream answer;
    std::ostringstream notes;
    int status = 2;
    try {
        status = Line(args, {answer, notes, width}).parse();
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
