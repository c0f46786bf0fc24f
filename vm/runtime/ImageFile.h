// Reading a program image.
#pragma once

#include <string>

// Reads the whole file in binary and turns every CR LF into LF, so an image reads the same on
// every platform. False when the file cannot be opened or read.
bool readImageFile(const std::string& name, std::string& text);
