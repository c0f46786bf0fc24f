// The program a command reads: a file, or standard input.
#pragma once

#include <cstdio>
#include <string>

// Reads the image in file ("-": standard input) into image. When it cannot, writes to report
// "orvex: FILE: cannot read: WHY" and after, with the file's likely name when another one differs
// from it only in case (hello.orvex for hello.Orvex), and answers false.
bool readInput(const std::string& file, std::string& image, std::FILE* report, const char* after = "");
