// Times the declaration scan and the TODO scan (the logic, without a window) beside GNU grep
// doing the same search over the same tree, checks that both found the same lines, and prints
// the median times and the ratios. Usage: scan_bench TREE [ROUNDS]
#include "tools/scan/findSubs.h"
#include "tools/scan/findTodos.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> subsGrep(const std::string& tree)
{
    std::vector<std::string> args = {"grep", "-rEic"};
    for (std::string_view pattern : qb::subOrFunctPatterns) {
        args.push_back("-e");
        args.emplace_back(pattern);
    }
    args.push_back(tree);
    return args;
}

std::vector<std::string> todoGrep(const std::string& tree)
{
    return {"grep", "-rc", std::string(qb::todoMarker), tree};
}

// Runs a command with its output thrown away and returns its exit status.
int runQuietly(const std::vector<std::string>& args)
{
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// grep's per-file counts summed over the files the scanner reads (its skip list left out).
long grepTotal(const std::vector<std::string>& args, std::span<const std::string_view> skipList)
{
    std::string command;
    for (const std::string& arg : args)
        command += "'" + arg + "' ";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return -1;
    long total = 0;
    char line[8192];
    while (std::fgets(line, sizeof line, pipe)) {
        std::string_view entry(line);
        const std::size_t colon = entry.rfind(':');
        const std::size_t slash = entry.rfind('/', colon);
        if (colon == std::string_view::npos || slash == std::string_view::npos)
            continue;
        if (!qb::nameHasFragment(entry.substr(slash + 1, colon - slash - 1), skipList))
            total += std::atol(line + colon + 1);
    }
    pclose(pipe);
    return total;
}

long countLines(const std::string& report, const std::function<bool(std::string_view)>& counted)
{
    long count = 0;
    std::size_t start = 0;
    while (start < report.size()) {
        std::size_t end = report.find("\r\n", start);
        if (end == std::string::npos)
            end = report.size();
        if (counted(std::string_view(report).substr(start, end - start)))
            ++count;
        start = end + 2;
    }
    return count;
}

// Processor time (user and system) used so far by this process, or by its finished children.
double cpuSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    const auto sum = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
    return sum(usage.ru_utime) + sum(usage.ru_stime);
}

struct Timing {
    std::vector<double> wall, cpu;
};

// Times `work` by the clock and by the processor time it used, in this process or in a child:
// on a busy machine the processor time is the steadier measure.
void measure(Timing& timing, int who, const std::function<void()>& work)
{
    const double cpuBefore = cpuSeconds(who);
    const auto start = Clock::now();
    work();
    timing.wall.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    timing.cpu.push_back(cpuSeconds(who) - cpuBefore);
}

double median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void printRow(const char* scan, const Timing& ours, const char* tool, const Timing& grep)
{
    const double wall = median(ours.wall), grepWall = median(grep.wall);
    const double cpu = median(ours.cpu), grepCpu = median(grep.cpu);
    std::printf("  %-16s %6.3f s (cpu %6.3f)   %-24s %6.3f s (cpu %6.3f)   ratio %.2f (cpu %.2f)\n", scan, wall, cpu,
                tool, grepWall, grepCpu, wall / grepWall, cpu / grepCpu);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s TREE [ROUNDS]\n", argv[0]);
        return 2;
    }
    const std::string tree = argv[1];
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    setenv("LC_ALL", "C", 1);  // grep at its fastest: bytes, like the scanners
    const qb::Folder root{std::filesystem::path(tree)};

    // One untimed pass of each also warms the page cache, so every timed run reads from memory.
    const auto subs = qb::findSubsAndFuncts(root);
    if (!subs || !subs->skipped.empty()) {
        std::fprintf(stderr, "declaration scan failed\n");
        return 1;
    }
    const qb::ScanReport todos = qb::findTodos(root);
    const long subsLines = countLines(subs->text, [](std::string_view l) { return l.starts_with('\t'); });
    const long subsGrepLines = grepTotal(subsGrep(tree), qb::subsSkipList);
    const long todoLines = countLines(todos.text, [](std::string_view l) { return l.find(qb::todoMarker) != l.npos; });
    const long todoGrepLines = grepTotal(todoGrep(tree), qb::todoSkipList);
    std::printf("declaration lines: scan %ld, grep %ld%s\n", subsLines, subsGrepLines,
                subsLines == subsGrepLines ? "" : "  MISMATCH");
    std::printf("marker lines:      scan %ld, grep %ld%s\n", todoLines, todoGrepLines,
                todoLines == todoGrepLines ? "" : "  MISMATCH");

    Timing subsTimes, subsGrepTimes, todoTimes, todoGrepTimes;
    for (int round = 0; round < rounds; ++round) {
        measure(subsTimes, RUSAGE_SELF, [&] { (void)qb::findSubsAndFuncts(root); });
        measure(subsGrepTimes, RUSAGE_CHILDREN, [&] { runQuietly(subsGrep(tree)); });
        measure(todoTimes, RUSAGE_SELF, [&] { (void)qb::findTodos(root); });
        measure(todoGrepTimes, RUSAGE_CHILDREN, [&] { runQuietly(todoGrep(tree)); });
    }
    std::printf("median of %d runs (wall clock, and processor time in brackets):\n", rounds);
    printRow("declaration scan", subsTimes, "grep -rEic (8 patterns)", subsGrepTimes);
    printRow("TODO scan", todoTimes, "grep -rc 'TODO:'", todoGrepTimes);
    return subsLines == subsGrepLines && todoLines == todoGrepLines ? 0 : 1;
}
