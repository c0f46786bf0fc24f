// The program's one output channel: the file "Orvex.out", or a function that a host program hands
// in to take the bytes itself.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string_view>

class OrvexOutput {
  public:
    using Write = void (*)(void* user, const char* bytes, std::size_t size);

    // Opens nothing yet: see open().
    OrvexOutput() = default;
    ~OrvexOutput();
    OrvexOutput(const OrvexOutput&) = delete;
    OrvexOutput& operator=(const OrvexOutput&) = delete;

    // From now on every print goes to write, with user; null goes back to the file.
    void setWriter(Write write, void* user);
    // Creates or truncates the file, in text mode, the first time a run needs it and no writer was
    // given; without the file every print is dropped.
    void open(const char* fileName);

    void print(std::string_view text);
    void flush();

  private:
    std::FILE* file_ = nullptr;
    bool fileTried_ = false;
    Write write_ = nullptr;
    void* user_ = nullptr;
};
