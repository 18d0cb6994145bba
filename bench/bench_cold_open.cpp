// A cold open measured from outside: each run is a fresh `tcntool check` process on a channel file filled
// to capacity, beside a fresh `cold_open_floor` process that only reads the same file, takes the CRC-32 of
// its body and inflates its service payload. Start-up is measured on both sides too (`tcntool --help`, and
// the floor program without arguments), so that BM_ColdOpenRatio can report what the open itself costs
// over its zlib floor: (check - tcntool start-up) / (floor - floor start-up), from the medians of runs that
// take turns, so that a busy machine weighs on both sides alike.

#include "channelfile/file_format.h"
#include "demo_database.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

// The full demo in a fresh temporary folder, which is also the working directory of the benchmark and of
// every process it starts (tcntool puts its temporary files there). Removed when the program ends.
struct ColdFiles {
    std::filesystem::path previousDir;
    std::filesystem::path dir;
    std::string path;

    ColdFiles() {
        const auto db = std::make_unique<tcn::ChannelDatabase>(tcn::BuildDemoDatabase(true));
        const std::vector<std::uint8_t> image = tcn::BuildChannelFileImage(*db);
        std::string pattern = (std::filesystem::temp_directory_path() / "tcn-cold-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        dir = pattern;
        previousDir = std::filesystem::current_path();
        std::filesystem::current_path(dir);
        path = (dir / "full.TCN").string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    }
    ~ColdFiles() {
        std::error_code ec;
        std::filesystem::current_path(previousDir, ec);
        std::filesystem::remove_all(dir, ec);
    }
};

ColdFiles& Files() {
    static ColdFiles files;
    return files;
}

// What one process cost, in seconds: the wall time from the spawn to the end of the wait, and the CPU
// time (user and system) the process itself used, which a machine busy with other work disturbs less.
struct ProcessTimes {
    double wall = -1;
    double cpu = -1;
};

double Seconds(const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

// Starts `args` as a fresh process with its output sent to /dev/null and waits for it; wall is negative
// when it could not run or failed.
ProcessTimes RunProcess(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    int status = 0;
    rusage usage{};
    const bool ran = rc == 0 && wait4(pid, &status, 0, &usage) == pid;
    const auto end = std::chrono::steady_clock::now();
    posix_spawn_file_actions_destroy(&actions);
    if (!ran || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};
    return {std::chrono::duration<double>(end - start).count(),
            Seconds(usage.ru_utime) + Seconds(usage.ru_stime)};
}

// The tcntool under test: the one built beside this benchmark, or the one the environment variable
// TCN_TCNTOOL names (to compare two builds on the same machine).
std::string Tool() {
    const char* chosen = std::getenv("TCN_TCNTOOL");
    return chosen && *chosen ? chosen : TCN_TCNTOOL_PATH;
}

std::vector<std::string> CheckCommand() {
    return {Tool(), "check", Files().path};
}
std::vector<std::string> ToolStartUpCommand() {
    return {Tool(), "--help"};
}
std::vector<std::string> FloorCommand() {
    return {TCN_COLD_OPEN_FLOOR_PATH, Files().path};
}
std::vector<std::string> FloorStartUpCommand() {
    return {TCN_COLD_OPEN_FLOOR_PATH};
}

// One process per iteration, timed by the wall clock around spawn and wait.
void RunColdBenchmark(benchmark::State& state, const std::vector<std::string>& command) {
    for (auto _ : state) {
        const ProcessTimes times = RunProcess(command);
        if (times.wall < 0) {
            state.SkipWithError("the process failed");
            break;
        }
        state.SetIterationTime(times.wall);
    }
}

void BM_ColdCheck(benchmark::State& state) {
    RunColdBenchmark(state, CheckCommand());
}
BENCHMARK(BM_ColdCheck)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_ColdFloor(benchmark::State& state) {
    RunColdBenchmark(state, FloorCommand());
}
BENCHMARK(BM_ColdFloor)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_ToolStartUp(benchmark::State& state) {
    RunColdBenchmark(state, ToolStartUpCommand());
}
BENCHMARK(BM_ToolStartUp)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_FloorStartUp(benchmark::State& state) {
    RunColdBenchmark(state, FloorStartUpCommand());
}
BENCHMARK(BM_FloorStartUp)->UseManualTime()->Unit(benchmark::kMillisecond);

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// The open's cost over its floor: (check - tcntool start-up) / (floor - floor start-up).
double Ratio(double check, double toolStart, double floor, double floorStart) {
    return (check - toolStart) / (floor - floorStart);
}

// Each iteration runs the four processes in turn. Counters, as medians over the iterations in
// milliseconds: check, floor and both start-ups, by the wall clock. `ratio` is the open over its floor
// with each side's start-up taken off, `ratio_floor_start` the same with the floor's (smaller) start-up
// taken off both sides, and `cpu_ratio` the first by the CPU time the processes used.
void BM_ColdOpenRatio(benchmark::State& state) {
    const std::vector<std::vector<std::string>> commands = {CheckCommand(), ToolStartUpCommand(),
                                                            FloorCommand(), FloorStartUpCommand()};
    std::vector<std::vector<double>> wall(commands.size()), cpu(commands.size());
    for (auto _ : state) {
        double total = 0;
        for (std::size_t c = 0; c < commands.size(); ++c) {
            const ProcessTimes times = RunProcess(commands[c]);
            if (times.wall < 0) {
                state.SkipWithError("a process failed");
                return;
            }
            wall[c].push_back(times.wall * 1000);
            cpu[c].push_back(times.cpu * 1000);
            total += times.wall;
        }
        state.SetIterationTime(total);
    }
    const double check = Median(wall[0]), toolStart = Median(wall[1]);
    const double floor = Median(wall[2]), floorStart = Median(wall[3]);
    state.counters["check_ms"] = check;
    state.counters["tool_start_ms"] = toolStart;
    state.counters["floor_ms"] = floor;
    state.counters["floor_start_ms"] = floorStart;
    state.counters["ratio"] = Ratio(check, toolStart, floor, floorStart);
    state.counters["ratio_floor_start"] = Ratio(check, floorStart, floor, floorStart);
    state.counters["cpu_ratio"] = Ratio(Median(cpu[0]), Median(cpu[1]), Median(cpu[2]), Median(cpu[3]));
}
BENCHMARK(BM_ColdOpenRatio)->UseManualTime()->Iterations(200)->Unit(benchmark::kMillisecond);

} // namespace
