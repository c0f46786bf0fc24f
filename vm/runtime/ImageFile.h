// Reading a program image.
#pragma once

#include <cstdio>
#include <string>

#include "vm/memory/SmallAllocator.h"

// Reads the whole file in binary and turns every CR LF into LF, so an image reads the same on
// every platform. False when the file cannot be opened or read (errno says why). Into a std::string
// for the tools, or into the runtime's memory for a run.
template <class String> bool readImageFile(const std::string& name, String& text);
// The same from a stream already open, to its end.
template <class String> bool readImageStream(std::FILE* file, String& text);
// The line ends of text read in binary made LF: every CR LF pair becomes one LF.
template <class String> void keepLineFeeds(String& text);

extern template bool readImageFile(const std::string&, std::string&);
extern template bool readImageFile(const std::string&, Text&);
extern template bool readImageStream(std::FILE*, std::string&);
extern template bool readImageStream(std::FILE*, Text&);
extern template void keepLineFeeds(std::string&);
extern template void keepLineFeeds(Text&);
