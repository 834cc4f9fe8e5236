// Measures how long a program takes from exec to its main window being
// mapped, and its peak memory, over several runs.
//
// An X client that watches the root window for windows being mapped: it
// forks, execs the program, waits for the MapNotify of a top-level window
// with the expected title, lets the program settle, kills it and reads its
// peak resident set size from wait4.
//
// usage: startup_bench [--runs N] [--title TITLE] [--settle-ms MS] PROGRAM
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
    int runs = 20;
    std::string title = "Sorvane";
    int settleMs = 300;
    const char* program = nullptr;
};

struct Run {
    double mappedMs;
    long peakRssKb;
};

std::optional<Options> ParseOptions(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--runs" && hasValue)
            options.runs = std::atoi(argv[++i]);
        else if (arg == "--title" && hasValue)
            options.title = argv[++i];
        else if (arg == "--settle-ms" && hasValue)
            options.settleMs = std::atoi(argv[++i]);
        else if (arg[0] != '-' && !options.program)
            options.program = argv[i];
        else
            return std::nullopt;
    }
    if (!options.program || options.runs < 1)
        return std::nullopt;
    return options;
}

bool HasTitle(Display* display, Window window, const std::string& title)
{
    char* name = nullptr;
    if (!XFetchName(display, window, &name) || !name)
        return false;
    const bool same = title == name;
    XFree(name);
    return same;
}

// Waits for a top-level window titled title to be mapped. Qt sets the title
// before it maps the window, so the title is there when the map arrives.
bool WaitForMappedWindow(Display* display, const std::string& title, Clock::time_point deadline)
{
    const int fd = ConnectionNumber(display);
    while (Clock::now() < deadline) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && HasTitle(display, event.xmap.window, title))
                return true;
        }
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(fd, &readable);
        timeval wait{0, 10000};
        select(fd + 1, &readable, nullptr, nullptr, &wait);
    }
    return false;
}

std::optional<Run> MeasureOnce(Display* display, const Options& options)
{
    const auto start = Clock::now();
    const pid_t child = fork();
    if (child < 0)
        return std::nullopt;
    if (child == 0) {
        execl(options.program, options.program, static_cast<char*>(nullptr));
        _exit(127);
    }
    const bool mapped = WaitForMappedWindow(display, options.title, start + std::chrono::seconds(20));
    const auto mappedAt = Clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(options.settleMs));
    kill(child, SIGKILL);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    if (!mapped)
        return std::nullopt;
    return Run{std::chrono::duration<double, std::milli>(mappedAt - start).count(), usage.ru_maxrss};
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

}  // namespace

int main(int argc, char** argv)
{
    const auto options = ParseOptions(argc, argv);
    if (!options) {
        std::fprintf(stderr, "usage: %s [--runs N] [--title TITLE] [--settle-ms MS] PROGRAM\n", argv[0]);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "cannot open the X display (run under xvfb-run)\n");
        return 1;
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);

    std::vector<double> times;
    long peakKb = 0;
    for (int i = 0; i < options->runs; ++i) {
        const auto run = MeasureOnce(display, *options);
        if (!run) {
            std::fprintf(stderr, "run %d: no window titled \"%s\" was mapped\n", i + 1, options->title.c_str());
            return 1;
        }
        std::printf("run %2d: mapped after %6.1f ms, peak RSS %6.1f MB\n", i + 1, run->mappedMs,
                    run->peakRssKb / 1024.0);
        times.push_back(run->mappedMs);
        peakKb = std::max(peakKb, run->peakRssKb);
    }
    std::printf("exec -> main window mapped: median %.1f ms, min %.1f ms, max %.1f ms over %d runs\n", Median(times),
                *std::min_element(times.begin(), times.end()), *std::max_element(times.begin(), times.end()),
                options->runs);
    std::printf("peak RSS: %.1f MB (highest of all runs)\n", peakKb / 1024.0);
    XCloseDisplay(display);
    return 0;
}
