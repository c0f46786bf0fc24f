// The OrvexExtern process: it acts on its command line, then runs as a COM local server or as the
// service, serving Extern objects from a message loop on one thread until nothing keeps it alive.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

#include "extern/ClassFactory.h"
#include "extern/ServerLock.h"
#include "extern/ServerLog.h"

class ServerModule final : public ServerLock {
  public:
    ServerModule();
    ~ServerModule() override;
    ServerModule(const ServerModule&) = delete;
    ServerModule& operator=(const ServerModule&) = delete;

    // The whole life of the process; returns its exit code.
    int main(const wchar_t* commandLine);

    // Live objects and client locks. At zero a local server ends; a service ends only when stopped.
    void lock() override;
    void unlock() override;

  private:
    int start();
    static void WINAPI serviceMain(DWORD argumentCount, wchar_t** arguments);
    static void WINAPI controlHandler(DWORD control);
    void runService();
    void handleControl(DWORD control);
    void run();
    void reportState(DWORD state);

    // The service control manager calls back without context; there is one module per process.
    static ServerModule* current_;

    std::wstring serviceName_;
    bool serviceMode_ = false;
    SERVICE_STATUS status_{};
    SERVICE_STATUS_HANDLE statusHandle_ = nullptr;
    std::atomic<DWORD> mainThreadId_{0}; // read by the control handler on its own thread
    std::atomic<long> lockCount_{0};
    ClassFactory classFactory_{*this};
    DWORD classCookie_ = 0;
    ServerLog log_{serviceName_, serviceMode_};
};
