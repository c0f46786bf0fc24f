// The C API as a host uses it: runs cut anywhere and resumed or freed, limits, interrupts, several
// runtimes at once, and memory that all comes back. Only orvex.h is used.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "orvex/orvex.h"

namespace {

void append(void* printed, const char* bytes, size_t size) {
    static_cast<std::string*>(printed)->append(bytes, size);
}

std::string readFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

// A runtime that prints into a string.
struct Host {
    Host() : runtime(orvex_new()) { orvex_set_output(runtime, append, &printed); }
    ~Host() { orvex_free(runtime); }
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;
    orvex_status run(const std::string& text) { return orvex_run_text(runtime, text.data(), text.size()); }
    orvex_runtime* runtime;
    std::string printed;
};

// Programs that start asynchronous evaluations, nest synchronous calls, intercept messages and
// wait on objects, with what they print.
struct Program {
    std::string name, text, expected;
};

std::vector<Program> sweepPrograms() {
    std::vector<Program> programs;
    // Two asynchronous evaluations, the second of four prints: cut inside a pass.
    programs.push_back(
        {"two evaluations",
         "<<a> : <print> ( ) ;> ) ( ;\n"
         "<<b> : <print> ( ) ; <c> : <print> ( ) ; <d> : <print> ( ) ; <e> : <print> ( ) ;> ) ( ;\n",
         "<a><b><c><d><e>"});
    for (const char* name :
         {"interception/intercept", "scheduling/async_from_child", "scheduling/enter_in_async",
          "scheduling/enter_exit_in_main", "evaluation/return_values", "delete/in_use"}) {
        const std::string base = std::string(ORVEX_TEST_PROGRAMS) + "/" + name;
        programs.push_back({name, readFile(base + ".Orvex"), readFile(base + ".out")});
    }
    return programs;
}

// Every program cut after k statements, for every k up to its length: resumed until it finishes,
// it prints what it prints uncut; freed at the first cut, it leaves nothing behind (the sanitized
// build checks that).
TEST(Api, RunsCutAnywhereResumeToTheSameOutputOrFreeCleanly) {
    for (const Program& program : sweepPrograms()) {
        ASSERT_FALSE(program.text.empty()) << program.name;
        Host uncut;
        ASSERT_EQ(uncut.run(program.text), ORVEX_FINISHED);
        EXPECT_EQ(uncut.printed, program.expected) << program.name;
        for (uint64_t k = 1;; ++k) {
            Host cut;
            orvex_set_limits(cut.runtime, k, 0);
            orvex_status status = cut.run(program.text);
            const bool whole = status == ORVEX_FINISHED;
            for (int resumes = 0; status == ORVEX_STEP_LIMIT; ++resumes) {
                ASSERT_LT(resumes, 100000) << program.name;
                status = orvex_resume(cut.runtime);
            }
            ASSERT_EQ(status, ORVEX_FINISHED) << program.name << ", cut every " << k;
            EXPECT_EQ(cut.printed, program.expected) << program.name << ", cut every " << k;
            Host dropped;
            orvex_set_limits(dropped.runtime, k, 0);
            dropped.run(program.text);
            if (whole) break;
        }
    }
}

// An interrupt from the output function stops the run at once; it goes on as if uninterrupted.
// A call back into the runtime itself is refused.
TEST(Api, InterruptsAndCallsFromTheOutputFunction) {
    struct Watch {
        orvex_runtime* runtime;
        std::string printed;
        orvex_status nested = ORVEX_FINISHED;
    } watch{orvex_new(), {}};
    orvex_set_output(
        watch.runtime,
        [](void* user, const char* bytes, size_t size) {
            auto* w = static_cast<Watch*>(user);
            w->printed.append(bytes, size);
            w->nested = orvex_run_text(w->runtime, "", 0);
            orvex_interrupt(w->runtime);
        },
        &watch);
    const std::string text =
        "<<x> : <print> ( ) ; <y> : <print> ( ) ;> ) ( ; <a> : <print> ( ) ; <b> : <print> ( ) ;";
    int interrupts = 0;
    orvex_status status = orvex_run_text(watch.runtime, text.data(), text.size());
    for (; status == ORVEX_INTERRUPTED; status = orvex_resume(watch.runtime))
        ++interrupts;
    EXPECT_EQ(status, ORVEX_FINISHED);
    EXPECT_EQ(interrupts, 3); // the last print is followed by no statement
    EXPECT_EQ(watch.printed, "<a><b><x><y>");
    EXPECT_EQ(watch.nested, ORVEX_INVALID);
    // An interrupt between runs is forgotten.
    orvex_interrupt(watch.runtime);
    EXPECT_EQ(orvex_run_text(watch.runtime, "-> z ;", 6), ORVEX_FINISHED);
    orvex_free(watch.runtime);
}

// Runs in one runtime share its world; a new run drops a cut one's main text but keeps what it
// started. Misuse is answered, never a crash.
TEST(Api, RunsShareTheWorldAndMisuseIsRefused) {
    Host host;
    EXPECT_EQ(host.run("x <- <1> ; f <- < x : <print> ( ) ; > ;"), ORVEX_FINISHED);
    EXPECT_EQ(host.run("f ( ) ;"), ORVEX_FINISHED);
    orvex_set_limits(host.runtime, 2, 0);
    EXPECT_EQ(host.run("<<late> : <print> ( ) ;> ) ( ; <now> : <print> ( ) ; <never> : <print> ( ) ;"),
              ORVEX_STEP_LIMIT);
    orvex_set_limits(host.runtime, 0, 0);
    EXPECT_EQ(host.run("<next> : <print> ( ) ;"), ORVEX_FINISHED);
    EXPECT_EQ(host.printed, "<1><now><next><late>");
    EXPECT_EQ(orvex_resume(host.runtime), ORVEX_FINISHED);
    EXPECT_EQ(orvex_run_file(host.runtime, "/no/such/file.Orvex"), ORVEX_CANNOT_READ);
    EXPECT_EQ(orvex_run_file(host.runtime, nullptr), ORVEX_INVALID);
    EXPECT_EQ(orvex_run_text(nullptr, "", 0), ORVEX_INVALID);
    EXPECT_EQ(orvex_run_text(host.runtime, nullptr, 3), ORVEX_INVALID);
    EXPECT_EQ(orvex_resume(nullptr), ORVEX_INVALID);
    orvex_interrupt(nullptr);
    orvex_free(nullptr);
    EXPECT_EQ(std::string(orvex_version()), ORVEX_EXPECTED_VERSION);
}

// A runaway recursion and a string that doubles end on the memory limit, well within it; the
// runtime refuses to run again and frees all of it.
TEST(Api, TheMemoryLimitEndsRunawayPrograms) {
    const size_t limit = size_t{64} << 20;
    for (const char* text :
         {"r <- < r ( ) ; > ; r ( ) ;",
          "s <- <x> ; d <- < s <- Extern : <invoke> ( String , <+> , s , s ) ; d ( ) ; > ; d ( ) ;"}) {
        Host host;
        orvex_set_limits(host.runtime, 0, limit);
        EXPECT_EQ(host.run(text), ORVEX_MEMORY_LIMIT) << text;
        EXPECT_LE(orvex_memory_used(host.runtime), limit);
        EXPECT_EQ(host.run("<after> : <print> ( ) ;"), ORVEX_MEMORY_LIMIT);
        EXPECT_EQ(host.printed, "");
    }
}

// A program that makes objects, walks them and prints a count, in runtimes taking turns on one
// thread and in runtimes on several threads at once: each prints its own.
const char* const busyProgram =
    "true <- <true> ; false <- <false> ; counter <- <0> ; limit <- <40> ;"
    "counting <- nil : <new> ( ) ; choice <- nil : <new> ( ) ;"
    "counting : <set> ( <step> , <o <- nil : <new> ( ) ; o : <set> ( <n> , counter ) ;"
    " counter <- Extern : <invoke> ( String , <+> , counter , <1> ) ;"
    " finished <- Extern : <invoke> ( String , <==> , counter , limit ) ;"
    " next <- choice : <get> ( finished ) ; next ( ) ;> ) ;"
    "choice : <set> ( <true> , <counter : <print> ( ) ;> ) ;"
    "choice : <set> ( <false> , <counting : <step> ( ) ;> ) ;"
    "counting : <step> ( ) ;";

TEST(Api, RuntimesTakeTurnsAndRunOnThreadsAtOnce) {
    Host a, b;
    EXPECT_EQ(a.run("x <- <a> ;"), ORVEX_FINISHED);
    EXPECT_EQ(b.run("x <- <b> ;"), ORVEX_FINISHED);
    EXPECT_EQ(a.run(busyProgram), ORVEX_FINISHED);
    EXPECT_EQ(b.run("x : <print> ( ) ;"), ORVEX_FINISHED);
    EXPECT_EQ(a.run("x : <print> ( ) ;"), ORVEX_FINISHED);
    EXPECT_EQ(a.printed, "<40><a>");
    EXPECT_EQ(b.printed, "<b>");

    std::vector<std::string> printed(4);
    std::vector<std::thread> threads;
    for (std::string& out : printed)
        threads.emplace_back([&out] {
            for (int i = 0; i < 20; ++i) {
                Host host;
                host.run(busyProgram);
                out += host.printed;
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    std::string twenty;
    for (int i = 0; i < 20; ++i)
        twenty += "<40>";
    for (const std::string& out : printed)
        EXPECT_EQ(out, twenty);
}

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
long residentKilobytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

// A runtime gives all of its memory back: ten thousand of them, one after another, leave the
// process no bigger than the hundredth did.
TEST(Api, TenThousandRuntimesLeaveNothingBehind) {
    long afterHundredth = 0;
    for (int i = 1; i <= 10000; ++i) {
        Host host;
        ASSERT_EQ(host.run(busyProgram), ORVEX_FINISHED);
        if (i == 100) afterHundredth = residentKilobytes();
    }
    EXPECT_LE(residentKilobytes() - afterHundredth, 2048);
}
#endif

} // namespace
