// orvex check: reads an image as OrvexVM would, runs nothing, and says where and why reading stops.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "tools/orvex/SourceText.h"

// One thing the checker finds, at a byte of the image.
struct Finding {
    std::size_t offset;
    bool error; // else a warning: in a code text, which may never run
    std::string message;
};

// Collects the findings of each text the source's forEachCode hands it; findings() sorts them.
class Checker {
  public:
    explicit Checker(const SourceText& source) : source_(source) {}
    void check(const CodeText& code, const TextReading& reading);
    std::vector<Finding> findings();

  private:
    void add(const CodeText& code, std::size_t at, bool error, std::string message);

    const SourceText& source_;
    std::vector<Finding> findings_;
};

// Writes the file's findings to out, one a line as FILE:LINE:COLUMN: error|warning: MESSAGE.
// Answers whether there was an error (warnings do not count).
bool checkImage(const std::string& fileName, std::string image, std::FILE* out);
