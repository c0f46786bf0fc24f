// Checks for the Wine test programs: each failed check prints a line, and the program's exit
// code is the number of failures.
#pragma once

#include <windows.h>

#include <string>

class Expect {
  public:
    // A check that holds, or a printed failure; whether it held.
    bool that(bool holds, const std::string& what);
    // The call succeeded; prints the HRESULT otherwise.
    bool succeeded(HRESULT result, const std::string& what);
    // Two texts are equal.
    void equal(const std::wstring& got, const std::wstring& want, const std::string& what);

    int failures() const { return failures_; }
    // Prints the verdict with the given name and returns the exit code.
    int finish(const char* name) const;

  private:
    int failures_ = 0;
};

// Prints a wide text as UTF-8 for test logs.
std::string narrow(const std::wstring& text);
