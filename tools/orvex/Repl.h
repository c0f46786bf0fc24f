// orvex repl: an interactive prompt over one runtime.
#pragma once

// argv after "repl". Reads entries from standard input (a prompt with line editing and history on a
// terminal, none from a pipe) and runs each as soon as it is complete.
int replCommand(int argc, char** argv);
