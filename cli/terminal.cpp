#include "cli/terminal.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <iostream>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace quillon::cli {

namespace {

// The one piece of state a signal handler may touch.
std::atomic<int> interrupts{0};

extern "C" void OnInterrupt(int signal) {
    interrupts.fetch_add(1, std::memory_order_relaxed);
#ifdef _WIN32
    // The C runtime resets the handler before calling it.
    std::signal(signal, OnInterrupt);
#else
    (void)signal;
#endif
}

}  // namespace

bool StdinIsTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stdin)) != 0;
#else
    return isatty(STDIN_FILENO) != 0;
#endif
}

void PrepareConsole() {
#ifdef _WIN32
    SetConsoleOutputCP(CP_UTF8);
    SetConsoleCP(CP_UTF8);
#endif
}

std::optional<std::string> ReadTerminalLine() {
    std::string line;
    if (!std::getline(std::cin, line)) return std::nullopt;
    return line;
}

std::string UtcTimestamp() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t t = system_clock::to_time_t(now);
    const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm tm{};
#ifdef _WIN32
    gmtime_s(&tm, &t);
#else
    gmtime_r(&t, &tm);
#endif
    char text[96];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", tm.tm_year + 1900, tm.tm_mon + 1,
                  tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, static_cast<int>(ms));
    return text;
}

void InstallInterruptHandler() {
    std::signal(SIGINT, OnInterrupt);
    // A script that ends the run ends it the same way: a held output is released.
    std::signal(SIGTERM, OnInterrupt);
#ifndef _WIN32
    // A closed terminal or a dropped SSH session must not leave a loop fixed.
    std::signal(SIGHUP, OnInterrupt);
    // Nor may a reader that went away: a write to a closed pipe fails instead,
    // and Output ends the run through the same road as a signal.
    std::signal(SIGPIPE, SIG_IGN);
#endif
}

void CountInterrupt() { interrupts.fetch_add(1, std::memory_order_relaxed); }

int InterruptCount() { return interrupts.load(std::memory_order_relaxed); }

}  // namespace quillon::cli
