/*
 * host.c: a program that embeds the Orvex runtime.
 *
 *   host FILE                          runs the Orvex image in FILE
 *   host -e TEXT                       runs TEXT
 *   host --max-statements N ...        stops after N statements
 *
 * What the Orvex program prints goes to standard output as it is printed. Exit status: 0 when the
 * program ran to its end, 1 for a command line it does not take, 2 when the file cannot be read,
 * 3 when a limit stopped the program.
 *
 * Build it against an installed runtime with either of
 *   cc host.c $(pkg-config --cflags --libs orvex) -o host
 *   cmake -S . -B build && cmake --build build        (CMakeLists.txt beside it)
 */
#include <errno.h>
#include <orvex/orvex.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* The runtime hands over each print; this host writes it to the stream it was given. */
static void write_output(void* user, const char* bytes, size_t size) {
    fwrite(bytes, 1, size, (FILE*)user);
    fflush((FILE*)user);
}

static int usage(void) {
    fputs("usage: host [--max-statements N] FILE | -e TEXT\n", stderr);
    return 1;
}

int main(int argc, char** argv) {
    const char *file = NULL, *text = NULL;
    unsigned long long max_statements = 0;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "-e") == 0 && i + 1 < argc) {
            text = argv[++i];
        } else if (strcmp(argv[i], "--max-statements") == 0 && i + 1 < argc) {
            char* end;
            errno = 0;
            max_statements = strtoull(argv[++i], &end, 10);
            if (errno || *end || end == argv[i] || argv[i][0] == '-') return usage();
        } else if (argv[i][0] != '-' && !file) {
            file = argv[i];
        } else {
            return usage();
        }
    }
    if ((file == NULL) == (text == NULL)) return usage();

    orvex_runtime* runtime = orvex_new();
    if (!runtime) {
        fputs("host: no memory for a runtime\n", stderr);
        return 3;
    }
    orvex_set_output(runtime, write_output, stdout);
    orvex_set_limits(runtime, max_statements, 0);
    orvex_status status = file ? orvex_run_file(runtime, file) : orvex_run_text(runtime, text, strlen(text));
    const int error = errno;
    orvex_free(runtime);

    switch (status) {
    case ORVEX_FINISHED:
        return 0;
    case ORVEX_CANNOT_READ:
        fprintf(stderr, "host: %s: %s\n", file, strerror(error));
        return 2;
    case ORVEX_STEP_LIMIT:
        fprintf(stderr, "host: stopped after %llu statements\n", max_statements);
        return 3;
    case ORVEX_MEMORY_LIMIT:
        fputs("host: out of memory\n", stderr);
        return 3;
    default:
        fprintf(stderr, "host: the run ended with status %d\n", (int)status);
        return 1;
    }
}
