// The OrvexExtern processes of this Wine prefix.
#include "ServerProcesses.h"

#include <tlhelp32.h>

namespace {

std::wstring baseName(const std::wstring& path) {
    std::size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? path : path.substr(separator + 1);
}

} // namespace

ServerProcesses::ServerProcesses() {
    wchar_t path[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"ORVEX_EXTERN_PATH", path, MAX_PATH)) {
        names_.push_back(L"OrvexExtern.exe");
        return;
    }
    names_.push_back(baseName(path));
    wchar_t shortPath[MAX_PATH] = {};
    if (GetShortPathNameW(path, shortPath, MAX_PATH)) names_.push_back(baseName(shortPath));
}

std::vector<DWORD> ServerProcesses::running() const {
    std::vector<DWORD> found;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return found;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        for (const std::wstring& name : names_)
            if (lstrcmpiW(entry.szExeFile, name.c_str()) == 0) found.push_back(entry.th32ProcessID);
    CloseHandle(snapshot);
    return found;
}

bool ServerProcesses::waitForExit(DWORD timeoutMs, std::string& problem) const {
    DWORD deadline = GetTickCount() + timeoutMs;
    for (DWORD id : running()) {
        HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
        if (!process) continue; // ended between the snapshot and now
        DWORD now = GetTickCount();
        DWORD left = static_cast<LONG>(deadline - now) > 0 ? deadline - now : 0;
        DWORD exitCode = 0;
        bool ended = WaitForSingleObject(process, left) == WAIT_OBJECT_0;
        if (ended) GetExitCodeProcess(process, &exitCode);
        CloseHandle(process);
        if (!ended) {
            problem = "server process " + std::to_string(id) + " still running after " +
                      std::to_string(timeoutMs) + " ms";
            return false;
        }
        if (exitCode != 0) {
            problem = "server process " + std::to_string(id) + " exited with " + std::to_string(exitCode);
            return false;
        }
    }
    return true;
}
