#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "velmiro_cli.h"

namespace {

// Each golden file is the transcript of a list of command lines: what each
// printed on stdout and stderr, and its exit status. Words are split on
// blanks; '' is an empty argument, COLUMNS=80 a terminal 80 columns wide. VELMIRO_UPDATE_GOLDEN=1
// rewrites them; review the diff before committing it.
std::string outputOf(const std::string& line) {
    std::vector<std::string> args;
    std::size_t width = 0;
    std::istringstream words(line);
    for (std::string word; words >> word;) {
        if (word.starts_with("COLUMNS="))
            width = std::stoul(word.substr(8));
        else
            args.push_back(word == "''" ? "" : word);
    }
    std::ostringstream out, err;
    const int status = velmiro::cli::run(args, out, err, width);
    // Bad usage prints nothing on stdout.
    EXPECT_TRUE(status != 2 || (out.str().empty() && !err.str().empty())) << line;
    return out.str() + err.str() + "status " + std::to_string(status) + "\n";
}

std::string transcript(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += "$ " + line + "\n" + outputOf(line) + "\n";
    return text;
}

void expectGolden(const std::string& name, const std::vector<std::string>& lines) {
    const std::string path = std::string(VELMIRO_GOLDEN_DIR) + "/" + name;
    const std::string actual = transcript(lines);
    if (std::getenv("VELMIRO_UPDATE_GOLDEN") != nullptr)
        std::ofstream(path, std::ios::binary) << actual;
    std::ifstream file(path, std::ios::binary);
    const std::string expected{std::istreambuf_iterator<char>(file), {}};
    EXPECT_EQ(actual, expected) << path;
}

// The worked values of every command, in every format: datasheet rows,
// limited registers, an exact tie, the clock's error, a chosen mode.
const std::vector<std::string> worked[] = {
    {"compare 20.000.000 19.200", "20M 1200", "20M 1200 --tolerance 2", "5,0688M 57600",
     "1M 115200", "4M 115200", "20M 19200 --sync --tolerance 0,1", "20M 19200 --mode 100",
     "8M 9600 --clock-error 2 --tolerance 3", "14.318.180 2400 --clock-error 5 --tolerance 10",
     // Each family's worked values, and a part with an erratum.
     "20M 9600 --family usart --mode 001", "20M 1200 --family usart",
     "8M 9600 --family uart16 --mode 0", "32M 115200 --family uart16 --mode 1",
     "36M 115200 --family pic32", "16M 9600 --family uart18 --mode 0",
     "20M 9600 --device PIC16C73A",
     // The multiprotocol UART, the dsPIC30F and the clock chain.
     "100M 115200 --family uart33c --clock fp", "4M 115200 --family uart33c --clock Fp --mode 10",
     "4M 9600 --family uart33c --clock fp --mode 10",
     "8M 100000 --family uart33c --bclksel FOSC --mode 10",
     "100M 9600 --family uart33c --clock fp --mode 00", "16M 9600 --device dsPIC30F4013",
     "8M 115200 --device PIC24FJ64GA002 --pll 4", "200M 115200 --device PIC32MZ2048EFH144",
     "64M 9600 --device PIC16F877A"},
    {"register 20M 64 19200", "register 11,0592M 255", "register 11,0592M 256",
     "register 4M 8 115200 --mode 011", "register 20M 300 --mode 000 9600"},
    {"table 20M", "table 10M 2400 --mode 001", "table 16M 300 --mode 000",
     "table 20M 9600 --mode 100 --tolerance 0,5 --clock-error 0,2",
     "table 100M 9600 115200 1000000 --family uart33c --clock fp"},
    {"crystals 115200 9600 --max-frequency 20M", "crystals 250000 1000000 --tolerance 0.5",
     "crystals 9600 --min-frequency 30M --sync", "crystals 1000000 --max-frequency 3M",
     "crystals 9600 57600 --clock-error 0,5 --max-frequency 8M",
     "crystals 115200 921600 --family uart33a",
     "crystals 1000000 --family uart16 --max-frequency 4M",
     "crystals 115200 --device PIC24FJ64GA002 --pll 4 --max-frequency 8M",
     "crystals 57600 --device PIC16F877A"},
};

TEST(Cli, GoldenOutputs) {
    const char* names[] = {"compare", "register", "table", "crystals"};
    for (std::size_t i = 0; i < std::size(names); ++i) {
        for (const char* format : {"text", "csv", "json"}) {
            std::vector<std::string> lines;
            for (const std::string& line : worked[i])
                lines.push_back(line + " --format " + format);
            expectGolden(std::string(names[i]) + "." + format, lines);
        }
    }
    expectGolden(
        "header.txt",
        {"header 20M 19200", "header 40M 115.2k --prefix UART_", "header 4M 115200",
         "header 20M 600 --mode 000", "header 20M 19200 --mode 110",
         "header 20M 1200 --mode 000 --clock-error 0,5 --tolerance 2",
         "header 100M 115200 --device dsPIC33CK256MP508 --clock fp",
         "header 8M 100000 --device dsPIC33CK256MP508 --bclksel fosc",
         "header 4M 9600 --family dspic30f --clock fcy",
         "header 8M 115200 --device PIC24FJ64GA002 --pll 40/2/5",
         "header 200M 115200 --device PIC32MZ2048EFH144", "header 50M 921600 --family uart33a"});
}

// A quoted "20 MHz" is one argument: the advice to join the unit still comes.
TEST(Cli, QuotedUnit) {
    std::ostringstream out, err;
    EXPECT_EQ(velmiro::cli::run({"20 MHz", "9600"}, out, err, 0), 2);
    EXPECT_NE(err.str().find("l'unità va attaccata al numero"), std::string::npos) << err.str();
}

// link: the worked values in every format, both directions, a pair that
// fails and one at the limit, another PIC, an exact rate, rates an adapter
// cannot run, and the all-rates form.
TEST(Cli, LinkGoldens) {
    const std::string lines[] = {
        "link 20M 115200 --device PIC16F877A --mode 001 --peer ft232r",
        "link 20M 115200 --device PIC16F877A --peer ft232r --margin 3",
        "link 20M 921600 --family pic32 --peer ft232r",
        "link 8M 9600 --clock-error 2 --peer PIC16F877A --peer-clock 4M --frame 9e1",
        "link 16M 115200 --family uart18 --peer exact --peer-clock-error 0,5",
        "link 11,0592M 115200 --peer cp2104",
        "link 20M 5 --peer cp2102",
        "link 20M 9600 --device PIC16C73A --mode 001 --peer exact",
        "link 20M --device PIC16F877A --peer ft232r",
        "link 4M 9600 19200 230400 --peer pic32 --peer-clock 10M --frame 7E2",
        "link 100M 115200 --family uart33c --peer ft232r"};
    for (const char* format : {"text", "csv", "json"}) {
        std::vector<std::string> formatted;
        for (const std::string& line : lines)
            formatted.push_back(line + " --format " + format);
        expectGolden(std::string("link.") + format, formatted);
    }
    expectGolden(
        "link-usage.txt",
        {"link 20M 115200", "link 20M 115200 --peer ft232x", "link 20M 115200 --peer PIC16F877A",
         "link 20M 115200 --peer ft232r --peer-clock 4M",
         "link 20M 115200 --peer ft232r --frame 8X1", "link 20M 115200 --peer ft232r --frame 4N1",
         "link 20M 115200 --peer ft232r --frame 8N3", "link 20M 115200 --peer ft232r --frame ''",
         "link 20M 115200 --peer ft232r --sync", "link 20M 115200 --peer ft232r --mode 100",
         "link 20M 115200 --peer ft232r --margin 0", "link 20M 115200 --peer ft232r --margin abc",
         "link 20M 115200 --peer ft232r --peer-clock-error 100", "link --help"});
}

// The EUSART is the default: naming it changes no byte and no status.
TEST(Cli, EusartIsTheDefault) {
    for (const auto& lines : worked) {
        for (const std::string& line : lines) {
            if (line.find("--family") == std::string::npos &&
                line.find("--device") == std::string::npos) {
                EXPECT_EQ(outputOf(line + " --family eusart"), outputOf(line)) << line;
            }
        }
    }
}

// Misplaced, mistyped and missing arguments, the edges of each, and the advice
// on likely slips.
TEST(Cli, UsageAndHints) {
    expectGolden("usage.txt", {"",
                               "'' 19200",
                               "20M ''",
                               "register 20M ''",
                               "20M 19200 --tolerance ''",
                               "header 20M 19200 --prefix ''",
                               "crystals 9600 --max-frequency ''",
                               "20M 19200 --tolerance abc",
                               "20M 19200 --tolerance 2%%",
                               "20M 19200 --clock-error -1",
                               "20M 19200 --clock-error 1,5,",
                               "crystals 9600 --max-frequency 20X",
                               "crystals 9600 --min-frequency 0",
                               "crystals 9600 --min-frequency 8 --max-frequency 20",
                               "20MHz 9600 --mode 001",
                               "20Mhz 9k6 --mode 001 --format csv",
                               "20mhz 115k2 --mode 011 --format csv",
                               "20K 300 --mode 000 --format csv",
                               "20M 115200bps --mode 011 --format csv",
                               "20M 115200baud --mode 011 --format csv",
                               "20M 115200 baud",
                               "4.000 9600 --mode 011",
                               "18.432 9600 --mode 011",
                               "500 9600 --mode 011",
                               "9600 20M --mode 011",
                               "20M 9600 --mode 001 --sync",
                               "20M 9600 --mode 100 --sync --format csv",
                               "register 20M 0x40 19200 --mode 001",
                               "register 20M 0X1FF --mode 011 --format csv",
                               "register 20M 0x10000",
                               "register 20M 0xG",
                               "20M 9600 --mode 011 --family usart",
                               "20M 9600 --device 16f877a --mode 011",
                               "20M 9600 --device PIC99X1",
                               "20M 9600 --device PIC16F877A --family eusart",
                               "20M 9600 --device PIC16F877A --family usart --mode 000",
                               "20M 9600 --device dsPIC30F4011",
                               "20M 9600 --device dsPIC33CK256MP506",
                               "20M 9600 --devise PIC16F877A",
                               "header 20M 9600 --prefx U_",
                               "COMPARE 20M 9600",
                               "Tabel 20M",
                               "20MHZ 9600BAUD --mode 001",
                               "20M 115K2 --mode 011 --format csv",
                               "8M 9600 --pll 0",
                               "8M 9600 --pll 4/2/2/2/2",
                               "8M 9600 --pll 4/1000/1000",
                               "register 2147483647 1048575 2147483647 --family uart33a --mode 00 "
                               "--pll 1/256/256",
                               "8M 9600 --pll 4 --clock fosc",
                               "8M 9600 --clock fcy",
                               "16M 9600 --family uart16 --clock FCY --mode 0",
                               "20M 9600 --bclksel fosc",
                               "20M 9600 --family uart33c --bclksel x",
                               "20M 9600 --clock ''",
                               "300M 9600 --device dsPIC33CK256MP508 --bclksel afvco/3 --mode 10",
                               "20M 9600 --family uart16 --sync",
                               "20M 9600 --family bogus",
                               "20M 9600 --mode 2",
                               "20M 9600 --mode 0",
                               "8M 2500000 --family uart16 --mode 1",
                               "header 20M 9600 --device PIC16F877A",
                               "header 32M 115200 --family uart16",
                               "table 8M 9600 --family uart16",
                               "crystals 115200 --family pic32 --max-frequency 20M --format csv",
                               "register 16M 103 9600 --family uart18 --format csv",
                               "20M 9600 --device PIC16C73A --mode 001 --format csv",
                               "header 20M 9600 --device PIC16C73A --mode 001",
                               "table 20M 9600 --device PIC16C73A --mode 001",
                               "COLUMNS=80 20M 1200 --clock-error 0,5",
                               "COLUMNS=80 register 20M 64 19200",
                               "COLUMNS=100 20M 19200",
                               "COLUMNS=103 20M 19200",  // exactly the whole line: all stay
                               "COLUMNS=80 36M 115200 --family pic32",
                               "20M",
                               "x 19200",
                               "compar 20M 19200",
                               "tabel 20M",
                               "16M table 9600 31250",
                               "16M 31250 table",
                               "--format json header 20M 19200",
                               "header 20M 19200 --format json",
                               "1.000k 19200",
                               "20M 0",
                               "20M -5",
                               "3000000000 19200",
                               "20M 19,2.5k",
                               "20 MHz 19200",
                               "20M 19200 extra",
                               "20M 19200 --bogus",
                               "20M 19200 --format xml",
                               "20M 19200 --format 1",
                               "20M 19200 --mode 101",
                               "20M 19200 --tolerance 0",
                               "20M 19200 --tolerance 100% --clock-error 0",
                               "20M 19200 --tolerance 0,1 --tolerance 2",
                               "20M 19200 --tolerance 1,2,3",
                               "20M 19200 --tolerance",
                               "20M 19200 --clock-error 100",
                               "20M 19200 --clock-error 99,9",
                               "20M 19200 --sync=x",
                               "20M 19200 --sync --tolerance --format --mode",
                               "20M 19200 -5",
                               "register 20M",
                               "register 20M 65536",
                               "register 20M -1",
                               "register 20M 0",
                               "register 20M 65535",
                               "register 20M 1048575 --family uart33a --mode 00",
                               "register 20M 1048576 --family uart33a",
                               "register 2147483647 0 1",
                               "100M 5 --family uart33a --mode 00",
                               "table 2147483647 1 2147483647 --mode 011 --clock-error 1",
                               "header 20M 19200 --prefix 9X",
                               "header 20M 19200 --prefix 0X",
                               "header 20M 19200 --prefix U2_",
                               "header 20M 19200 --prefix A-B",
                               "header 20M 19200 --prefix",
                               "header 20M 19200 --prefix=",
                               "crystals",
                               "crystals 9600 --min-frequency 20M --max-frequency 1M",
                               "crystals 9600 --min-frequency 20M --max-frequency 20M",
                               "crystals 9600 --max-frequency 1M",
                               "crystals 1200",
                               "table 18,432 9600 115200",
                               "compare 4M 2M",
                               "compare 4M 1M",
                               "10k 300",
                               "--version",
                               "--help",
                               "compare --help",
                               "crystals --help"});
}

}  // namespace
