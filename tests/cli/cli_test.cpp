#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "velmiro_cli.h"

namespace {

// Each golden file is the transcript of a list of command lines: what each
// printed on stdout and stderr, and its exit status. VELMIRO_UPDATE_GOLDEN=1
// rewrites them; review the diff before committing it.
std::string transcript(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        std::vector<std::string> args;
        std::istringstream words(line);
        for (std::string word; words >> word;)
            args.push_back(word);
        std::ostringstream out, err;
        const int status = velmiro::cli::run(args, out, err);
        // Bad usage prints nothing on stdout.
        EXPECT_TRUE(status != 2 || (out.str().empty() && !err.str().empty())) << line;
        text += "$ " + line + "\n" + out.str() + err.str() + "status " + std::to_string(status) +
                "\n\n";
    }
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

// The worked values of every command, in every format.
const std::vector<std::string> worked[] = {
    {"compare 20.000.000 19.200", "20M 600", "1000000 62500", "40M 115.2k", "4M 115200",
     "20M 19200 --sync --tolerance 0,1"},
    {"register 20M 64 19200", "register 11,0592M 255", "register 11,0592M 256",
     "register 4M 8 115200 --mode 011"},
    {"table 20M", "table 20M 9600 --mode 100 --tolerance 0,5"},
    {"crystals 115200 9600 --max-frequency 20M", "crystals 250000 1000000 --tolerance 0.5",
     "crystals 9600 --min-frequency 30M --sync", "crystals 1000000 --max-frequency 3M"},
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
    expectGolden("header.txt",
                 {"header 20M 19200", "header 40M 115.2k --prefix UART_", "header 4M 115200",
                  "header 20M 600 --mode 000", "header 20M 19200 --mode 110"});
}

TEST(Cli, RefusedArguments) {
    expectGolden("refused.txt", {"",
                                 "20M",
                                 "x 19200",
                                 "1.000k 19200",
                                 "20M 0",
                                 "20M -5",
                                 "3000000000 19200",
                                 "20M 19,2.5k",
                                 "20 MHz 19200",
                                 "20M 19200 extra",
                                 "20M 19200 --bogus",
                                 "20M 19200 --format xml",
                                 "20M 19200 --mode 101",
                                 "20M 19200 --tolerance 0",
                                 "20M 19200 --tolerance 1,2,3",
                                 "20M 19200 --tolerance",
                                 "20M 19200 --sync=x",
                                 "register 20M 65536",
                                 "register 20M -1",
                                 "header 20M 19200 --prefix 9X",
                                 "header 20M 19200 --prefix A-B",
                                 "header 20M 19200 --prefix",
                                 "crystals",
                                 "crystals 9600 --min-frequency 20M --max-frequency 1M",
                                 "--version",
                                 "--help"});
}

}  // namespace
