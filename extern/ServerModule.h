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

    // Live objects and client locks. A local server ends when it has had none for the shutdown
    // delay; a service ends only when stopped.
    void lock() override;
    void unlock() override;

  private:
    // How long a local server without objects waits for a client before it ends. A burst of clients
    // reuses the server it finds; and a cold start may launch a server per client, which gives each
    // client time to find the first one registered before its own ends (a client that sees the
    // server it launched end before any class object turned up takes it for a failed start).
    static constexpr DWORD shutdownDelayMs = 3000;

    int start(bool startedByCom);
    static void WINAPI serviceMain(DWORD argumentCount, wchar_t** arguments);
    static void WINAPI controlHandler(DWORD control);
    void runService();
    void handleControl(DWORD control);
    void run();
    void serve();
    bool dispatchWaitingMessages();
    bool stillIdleAfterSuspending();
    void reportState(DWORD state);

    // The service control manager calls back without context; there is one module per process.
    static ServerModule* current_;

    std::wstring serviceName_;
    bool serviceMode_ = false;
    SERVICE_STATUS status_{};
    SERVICE_STATUS_HANDLE statusHandle_ = nullptr;
    std::atomic<DWORD> mainThreadId_{0}; // read by the control handler on its own thread
    std::atomic<long> lockCount_{0};
    // The delay runs from idleSince_ while there are no locks, once armed: at the start of a server
    // that COM launched, at the first release in one started by hand.
    std::atomic<bool> idleShutdownArmed_{false};
    std::atomic<DWORD> idleSince_{0};
    ClassFactory classFactory_{*this};
    DWORD classCookie_ = 0;
    ServerLog log_{serviceName_, serviceMode_};
};
