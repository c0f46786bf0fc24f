// Reading a program image.
#pragma once

#include <cstdio>
#include <string>

// Reads the whole file in binary and turns every CR LF into LF, so an image reads the same on
// every platform. False when the file cannot be opened or read.
bool readImageFile(const std::string& name, std::string& text);
// The same from a stream already open, to its end.
bool readImageStream(std::FILE* file, std::string& text);
// The line ends of text read in binary made LF: every CR LF pair becomes one LF.
void keepLineFeeds(std::string& text);
