/*
 * orvex.h: the Orvex runtime as a library, for C and any language's foreign-function interface.
 *
 * A runtime is one world of Orvex objects with everything its runs hold: its memory, names,
 * objects, interpreter thread, asynchronous evaluations and output. Runtimes share nothing: a
 * process may hold any number, and use them from several OS threads at once.
 *
 * A run is what the OrvexVM program does with an image: the image's statements one after another,
 * then the asynchronous evaluations they started, interleaved a statement at a time, until none is
 * left or all of them wait. Successive runs in one runtime share its world: what one binds in the
 * global context, the next sees.
 *
 * Threads: a runtime is used by one OS thread at a time (any thread, one after another), except for
 * orvex_interrupt, which any OS thread or a signal handler may call at any time. Different runtimes
 * are independent.
 *
 * Errors are statuses; no function of this library writes a message anywhere, and nothing it does
 * with the program's text ends the process.
 */
#ifndef ORVEX_H
#define ORVEX_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32) && defined(ORVEX_BUILDING_DLL)
#define ORVEX_API __declspec(dllexport)
#elif defined(__GNUC__)
#define ORVEX_API __attribute__((visibility("default")))
#else
#define ORVEX_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* A runtime, opaque. */
typedef struct orvex_runtime orvex_runtime;

/* How a run, or a call that would start one, ended. */
typedef enum {
    /* The run ended by itself: nothing is left to run, or every evaluation left waits (an <enter>
       with no <exit>). Waiting evaluations stay; a later run's <exit> may wake them. */
    ORVEX_FINISHED,
    /* The statement limit was reached. The run stopped between two statements; orvex_resume goes
       on with it. */
    ORVEX_STEP_LIMIT,
    /* The memory limit was reached, or the system had no more memory. A statement may have stopped
       halfway, so the runtime is spent: every later run or resume answers ORVEX_MEMORY_LIMIT at
       once. It can still be freed, and gives back all of its memory. (When only reading a new image
       did not fit, nothing ran and the runtime stays usable.) */
    ORVEX_MEMORY_LIMIT,
    /* orvex_interrupt stopped the run between two statements; orvex_resume goes on with it. */
    ORVEX_INTERRUPTED,
    /* orvex_run_file could not open or read the file (errno says why); nothing ran. */
    ORVEX_CANNOT_READ,
    /* The call cannot be made: a null argument, or a call into a runtime from its own output
       function. Nothing happened. */
    ORVEX_INVALID
} orvex_status;

/* Receives what the program prints: size bytes (not terminated, possibly holding zero bytes), in
   the order printed, each <print> as one call. Called on the thread running the runtime, during
   orvex_run_file, orvex_run_text or orvex_resume; it may call orvex_interrupt, and no other
   function of this library on the same runtime. */
typedef void (*orvex_output_fn)(void *user, const char *bytes, size_t size);

/* The library's version, "MAJOR.MINOR.PATCH". */
ORVEX_API const char *orvex_version(void);

/* A new runtime, its world built (nil, String, Extern, System, the registry, the fifteen
   primitives), printing to the file "Orvex.out" in the working directory, which is made (or
   emptied) at the first run, not before. No limits. NULL when there is no memory for it. Free it
   with orvex_free. */
ORVEX_API orvex_runtime *orvex_new(void);

/* Frees the runtime and everything it holds, whatever state its last run left (cut by a limit, an
   interrupt or the memory), and closes "Orvex.out" if it made it. NULL is ignored. */
ORVEX_API void orvex_free(orvex_runtime *runtime);

/* What <print> writes goes to output, with user, from now on; NULL goes back to "Orvex.out". The
   runtime keeps user as given and never frees it: it must stay valid while the runtime runs. Meant
   to be called before the first run: a runtime that has made "Orvex.out" keeps it open and writes
   there again if output is set back to NULL. */
ORVEX_API void orvex_set_output(orvex_runtime *runtime, orvex_output_fn output, void *user);

/* Limits for the runs from now on; 0 means none. max_statements counts the statements each run or
   resume executes from its start. max_bytes counts every byte the runtime holds, its world
   included (some hundred kilobytes once built), and a block's worth of bytes at a time. */
ORVEX_API void orvex_set_limits(orvex_runtime *runtime, uint64_t max_statements, size_t max_bytes);

/* Runs the image in the file at path (a file of Orvex text; CR LF line ends read as LF). The output
   file, when used, is made first, even when the image cannot be read. A run cut before (by a limit
   or an interrupt) and not resumed is dropped first: its image stops there, while the asynchronous
   evaluations it started stay and run in this run. */
ORVEX_API orvex_status orvex_run_file(orvex_runtime *runtime, const char *path);

/* The same with the image given as size bytes of text; the library keeps its own copy. */
ORVEX_API orvex_status orvex_run_text(orvex_runtime *runtime, const char *text, size_t size);

/* Goes on with a run cut by ORVEX_STEP_LIMIT or ORVEX_INTERRUPTED from where it stopped: the
   output of a run cut any number of times is byte for byte that of the same run uncut. With
   nothing left to run it answers ORVEX_FINISHED at once. */
ORVEX_API orvex_status orvex_resume(orvex_runtime *runtime);

/* Asks the run under way to stop before its next statement (it then answers ORVEX_INTERRUPTED,
   within a few thousand statements). Any OS thread may call it, and a signal handler: it only sets
   a flag. An interrupt while no run is under way is forgotten when the next run or resume starts. */
ORVEX_API void orvex_interrupt(orvex_runtime *runtime);

/* The bytes the runtime holds now, as its memory limit counts them. */
ORVEX_API size_t orvex_memory_used(const orvex_runtime *runtime);

#ifdef __cplusplus
}
#endif

#endif /* ORVEX_H */
