// orvex check: reads an image as OrvexVM would, runs nothing, and says where and why reading stops.
#pragma once

#include <cstdio>
#include <string>

// Writes the file's diagnostics to out, one a line as FILE:LINE:COLUMN: error|warning: MESSAGE.
// Answers whether there was an error (warnings do not count).
bool checkImage(const std::string& fileName, std::string image, std::FILE* out);
