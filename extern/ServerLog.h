// Where OrvexExtern reports: the event log in service mode, standard output otherwise.
#pragma once

#include <string>

class ServerLog {
  public:
    // serviceName is the event source; serviceMode is read at every message, since the process
    // learns only late whether the service control manager started it.
    ServerLog(const std::wstring& serviceName, const bool& serviceMode)
        : serviceName_(serviceName), serviceMode_(serviceMode) {}

    // Formats a message, at most 255 characters, and reports it as an information event or
    // writes it as a line. printf-style.
    void write(const wchar_t* format, ...);

    // A problem the user should see: a message box with the service name as caption. A service
    // has no one to press OK, and a box there would block it forever, so it logs instead.
    void alert(const wchar_t* text);

  private:
    const std::wstring& serviceName_;
    const bool& serviceMode_;
};
