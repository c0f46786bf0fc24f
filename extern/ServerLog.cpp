// Where OrvexExtern reports: the event log in service mode, standard output otherwise.
#include "extern/ServerLog.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cwchar>

void ServerLog::write(const wchar_t* format, ...) {
    wchar_t message[256];
    va_list arguments;
    va_start(arguments, format);
    std::vswprintf(message, sizeof message / sizeof message[0], format, arguments);
    va_end(arguments);
    message[255] = L'\0';

    if (serviceMode_) {
        HANDLE source = RegisterEventSourceW(nullptr, serviceName_.c_str());
        if (source) {
            const wchar_t* strings[] = {message};
            ReportEventW(source, EVENTLOG_INFORMATION_TYPE, 0, 0, nullptr, 1, 0, strings, nullptr);
            DeregisterEventSource(source);
        }
        return;
    }
    // The windowed process has no console: this shows only when standard output is redirected,
    // and is flushed at once because the process may be ended at any moment.
    std::fwprintf(stdout, L"%ls\n", message);
    std::fflush(stdout);
}

void ServerLog::alert(const wchar_t* text) {
    if (serviceMode_) {
        write(L"%ls", text);
        return;
    }
    MessageBoxW(nullptr, text, serviceName_.c_str(), MB_OK);
}
