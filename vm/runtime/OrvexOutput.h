// The program's one output channel, the file "Orvex.out".
#pragma once

#include <cstdio>
#include <string_view>

class OrvexOutput {
  public:
    // Creates or truncates the file, in text mode; without it every print is dropped.
    explicit OrvexOutput(const char* fileName);
    ~OrvexOutput();
    OrvexOutput(const OrvexOutput&) = delete;
    OrvexOutput& operator=(const OrvexOutput&) = delete;

    void print(std::string_view text);
    void flush();

  private:
    std::FILE* file_;
};
