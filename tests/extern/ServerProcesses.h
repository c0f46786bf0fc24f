// The OrvexExtern processes of this Wine prefix, found by the name of their executable: how a test
// sees that a local server ended after its last client, and with which exit code.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class ServerProcesses {
  public:
    // The server named by ORVEX_EXTERN_PATH (a Windows path), else "OrvexExtern.exe". COM starts it
    // by its short name when it has one, so both names count.
    ServerProcesses();

    std::vector<DWORD> running() const;

    // Waits up to timeoutMs for every running server to end; true when all ended with exit code 0.
    // Otherwise problem says why.
    bool waitForExit(DWORD timeoutMs, std::string& problem) const;

  private:
    std::vector<std::wstring> names_;
};
