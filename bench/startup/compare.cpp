// Starts launchers in turn under the offscreen platform and reports, for each, the time from
// spawn until its window was first painted and its peak resident memory, with the ratios to
// the first launcher, the baseline. A launcher prints the CLOCK_MONOTONIC time of its first
// paint; peak memory is the kernel's account of the finished child.
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace {

long long monotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec;
}

struct Sample {
    double ms;
    double mib;
};

Sample launch(const std::string& program) {
    int out[2];
    if (pipe(out) != 0) {
        throw std::runtime_error("pipe failed");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);

    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    pid_t pid = 0;
    const long long start = monotonicNs();
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        throw std::runtime_error("cannot start " + program);
    }

    std::string text;
    char buffer[64];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<size_t>(n));
    }
    close(out[0]);

    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || text.empty()) {
        throw std::runtime_error(program + " did not report a painted window");
    }
    const long long painted = std::stoll(text);
    return {static_cast<double>(painted - start) / 1e6,
            static_cast<double>(usage.ru_maxrss) / 1024.0};
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 != 0 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

struct Series {
    std::string program;
    std::vector<double> ms, mib;
};

}  // namespace

int main(int argc, char* argv[]) {
    int runs = 50;
    std::vector<Series> series;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else {
            series.push_back({arg, {}, {}});
        }
    }
    if (series.size() < 2) {
        std::fprintf(stderr, "usage: %s [--runs N] BASELINE LAUNCHER...\n", argv[0]);
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // A runtime folder of our own spares every launch Qt's warning about a missing one.
    char runtimeDir[] = "/tmp/velmiro-startup-XXXXXX";
    const bool ownRuntimeDir =
        getenv("XDG_RUNTIME_DIR") == nullptr && mkdtemp(runtimeDir) != nullptr;
    if (ownRuntimeDir) {
        setenv("XDG_RUNTIME_DIR", runtimeDir, 1);
    }

    int status = 0;
    try {
        for (const auto& s : series) {
            launch(s.program);  // warms the page cache and the font cache
        }
        for (int run = 0; run < runs; ++run) {
            // Rotate who goes first, so that no launcher always follows the same one.
            for (size_t k = 0; k < series.size(); ++k) {
                Series& s = series[(static_cast<size_t>(run) + k) % series.size()];
                const Sample sample = launch(s.program);
                s.ms.push_back(sample.ms);
                s.mib.push_back(sample.mib);
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        status = 1;
    }
    if (ownRuntimeDir) {
        rmdir(runtimeDir);
    }
    if (status != 0) {
        return status;
    }

    const double baseMs = median(series[0].ms);
    const double baseMib = median(series[0].mib);
    std::printf("%d runs each, medians; ratios to %s\n", runs, series[0].program.c_str());
    std::printf("%-24s %9s %9s %11s %11s %11s\n", "launcher", "time ms", "min ms", "peak MiB",
                "time ratio", "mem ratio");
    for (const auto& s : series) {
        const std::string name = s.program.substr(s.program.find_last_of('/') + 1);
        const double ms = median(s.ms);
        const double mib = median(s.mib);
        std::printf("%-24s %9.2f %9.2f %11.2f %11.3f %11.3f\n", name.c_str(), ms,
                    *std::min_element(s.ms.begin(), s.ms.end()), mib, ms / baseMs, mib / baseMib);
    }
}
