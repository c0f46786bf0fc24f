// The switches OrvexExtern acts on.
#pragma once

// Embedding is what COM adds to the command line of a local server it launches.
enum class Switch { None, UnregServer, RegServer, Service, Embedding };

// Scans the whole command line, program path included, for '-' and '/'; a switch is the text after
// one of them up to the end of the line, compared without regard to case. So only a switch that is
// the last thing on the line counts: "-RegServer -x" has none.
Switch findSwitch(const wchar_t* commandLine);
