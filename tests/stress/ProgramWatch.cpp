// Death reports for stress runs: the sanitizers' death callback, fatal signals and an alarm.
#include "tests/stress/ProgramWatch.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(undefined_behavior_sanitizer)
#define ORVEX_STRESS_SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define ORVEX_STRESS_SANITIZED 1
#endif
#ifdef ORVEX_STRESS_SANITIZED
#include <sanitizer/common_interface_defs.h>
#endif

namespace {

// Written only from the thread that runs the programs and read by handlers that interrupt it,
// so plain storage is enough; the handlers use nothing but write().
struct Current {
    volatile bool running = false;
    const char* kind = "";
    char seed[24] = {};
    const char* text = nullptr;
    std::size_t length = 0;
} current;

unsigned watchdog = 0;

void say(const char* text, std::size_t length) {
    while (length > 0) {
        const ssize_t written = ::write(STDERR_FILENO, text, length);
        if (written <= 0) return;
        text += written;
        length -= static_cast<std::size_t>(written);
    }
}
void say(const char* text) {
    say(text, std::strlen(text));
}

void report(const char* what) {
    if (!current.running) return;
    say("\n*** stress: ");
    say(what);
    say(" in ");
    say(current.kind);
    say(" program, seed ");
    say(current.seed);
    say("\n*** replay: orvex_stress --kind ");
    say(current.kind);
    say(" --seed ");
    say(current.seed);
    say(" --count 1 --dump\n*** program text follows\n");
    // A program can be long; its start is what a reduction needs first.
    constexpr std::size_t shown = 16384;
    say(current.text, current.length < shown ? current.length : shown);
    say("\n*** end of program text\n");
}

void onFatalSignal(int signal) {
    report(signal == SIGALRM ? "hang (watchdog)" : "fatal signal");
    std::signal(SIGABRT, SIG_DFL);
    if (signal == SIGALRM) std::abort();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

#ifdef ORVEX_STRESS_SANITIZED
void onSanitizerDeath() {
    report("sanitizer report");
}
#endif

void formatSeed(std::uint64_t seed, char (&out)[24]) {
    char digits[24];
    std::size_t n = 0;
    do {
        digits[n++] = static_cast<char>('0' + seed % 10);
        seed /= 10;
    } while (seed != 0);
    for (std::size_t i = 0; i < n; ++i)
        out[i] = digits[n - 1 - i];
    out[n] = '\0';
}

} // namespace

void watchPrograms(unsigned watchdogSeconds) {
    static bool installed = false;
    watchdog = watchdogSeconds;
    if (installed) return;
    installed = true;
    std::signal(SIGALRM, onFatalSignal);
#ifdef ORVEX_STRESS_SANITIZED
    // The sanitizers handle the fatal signals themselves and call this before they exit.
    __sanitizer_set_death_callback(onSanitizerDeath);
#else
    // A native stack overflow needs a stack of its own to report on.
    static char alternateStack[1 << 16];
    stack_t stack{};
    stack.ss_sp = alternateStack;
    stack.ss_size = sizeof alternateStack;
    ::sigaltstack(&stack, nullptr);
    struct sigaction action {};
    action.sa_handler = onFatalSignal;
    action.sa_flags = SA_ONSTACK;
    for (int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT})
        ::sigaction(signal, &action, nullptr);
#endif
}

void startProgram(ProgramKind kind, std::uint64_t seed, std::string_view text) {
    current.kind = programKindName(kind).data();
    formatSeed(seed, current.seed);
    current.text = text.data();
    current.length = text.size();
    current.running = true;
    if (watchdog > 0) ::alarm(watchdog);
}

void endProgram() {
    if (watchdog > 0) ::alarm(0);
    current.running = false;
}
