// The OrvexExtern process: command line, local server, service and message loop.
#include "extern/ServerModule.h"

#include <objbase.h>

#include "OrvexExtern.h"
#include "extern/AppIdKey.h"
#include "extern/ComSecurity.h"
#include "extern/CommandLine.h"
#include "extern/Extern.h"
#include "extern/ResourceIds.h"
#include "extern/ServerRegistration.h"

ServerModule* ServerModule::current_ = nullptr;

ServerModule::ServerModule() {
    wchar_t name[256] = {};
    LoadStringW(GetModuleHandleW(nullptr), IDS_SERVICE_NAME, name, 256);
    serviceName_ = name;
    status_.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status_.dwCurrentState = SERVICE_STOPPED;
    status_.dwControlsAccepted = SERVICE_ACCEPT_STOP;
    current_ = this;
}

ServerModule::~ServerModule() {
    current_ = nullptr;
}

int ServerModule::main(const wchar_t* commandLine) {
    ServerRegistration registration(serviceName_, log_);
    switch (findSwitch(commandLine)) {
    case Switch::UnregServer:
        return registration.unregisterServer();
    case Switch::RegServer:
        return registration.registerServer(false);
    case Switch::Service:
        return registration.registerServer(true);
    case Switch::Embedding:
        return start(true);
    case Switch::None:
        break;
    }
    return start(false);
}

void ServerModule::lock() {
    ++lockCount_;
}

void ServerModule::unlock() {
    if (--lockCount_ != 0) return;
    idleSince_ = GetTickCount();
    idleShutdownArmed_ = true;
    // The last release arrives on the main thread, but LockServer calls need not: wake the loop so
    // that it starts counting the delay.
    PostThreadMessageW(mainThreadId_, WM_NULL, 0, 0);
}

int ServerModule::start(bool startedByCom) {
    idleShutdownArmed_ = startedByCom;
    AppIdKey key;
    LONG opened = key.open(KEY_READ);
    if (opened != ERROR_SUCCESS) return opened;
    std::wstring localService;
    serviceMode_ = key.readString(L"LocalService", localService);
    if (serviceMode_) {
        SERVICE_TABLE_ENTRYW services[] = {{serviceName_.data(), serviceMain}, {nullptr, nullptr}};
        // Fails at once when the service control manager did not start us: then we are a local server.
        if (!StartServiceCtrlDispatcherW(services)) serviceMode_ = false;
    }
    if (!serviceMode_) run();
    return static_cast<int>(status_.dwWin32ExitCode);
}

void WINAPI ServerModule::serviceMain(DWORD, wchar_t**) {
    current_->runService();
}

void WINAPI ServerModule::controlHandler(DWORD control) {
    current_->handleControl(control);
}

void ServerModule::runService() {
    status_.dwCurrentState = SERVICE_START_PENDING;
    statusHandle_ = RegisterServiceCtrlHandlerW(serviceName_.c_str(), controlHandler);
    if (!statusHandle_) {
        log_.write(L"Handler not installed");
        return;
    }
    reportState(SERVICE_START_PENDING);
    status_.dwWin32ExitCode = 0;
    status_.dwCheckPoint = 0;
    status_.dwWaitHint = 0;
    run();
    reportState(SERVICE_STOPPED);
    log_.write(L"Service stopped");
}

void ServerModule::handleControl(DWORD control) {
    switch (control) {
    case SERVICE_CONTROL_STOP:
        reportState(SERVICE_STOP_PENDING);
        PostThreadMessageW(mainThreadId_, WM_QUIT, 0, 0);
        break;
    case SERVICE_CONTROL_PAUSE:
    case SERVICE_CONTROL_CONTINUE:
    case SERVICE_CONTROL_INTERROGATE:
    case SERVICE_CONTROL_SHUTDOWN:
        break;
    default:
        log_.write(L"Bad service request");
    }
}

void ServerModule::run() {
    // Failures of these steps are not fatal: a server that cannot register its class object still
    // stops cleanly on the stop control or when the process is ended.
    mainThreadId_ = GetCurrentThreadId();
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ComSecurity security;
    security.initialize();
    // Suspended until everything a client needs is in place, so that no activation request reaches
    // a server that cannot answer it yet.
    CoRegisterClassObject(CLSID_Extern, &classFactory_, CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER,
                          REGCLS_MULTIPLEUSE | REGCLS_SUSPENDED, &classCookie_);
    HRESULT typeInfo = Extern::loadTypeInfo();
    if (FAILED(typeInfo))
        log_.write(L"Type library not loaded: 0x%08lx", static_cast<unsigned long>(typeInfo));
    idleSince_ = GetTickCount();
    CoResumeClassObjects();
    log_.write(L"Service started");
    if (serviceMode_) reportState(SERVICE_RUNNING);

    serve();

    CoRevokeClassObject(classCookie_);
    CoUninitialize();
}

// The message loop: calls to the objects arrive as window messages. It ends on the quit message or,
// in a local server, once the shutdown delay has passed without locks.
void ServerModule::serve() {
    for (;;) {
        DWORD wait = INFINITE;
        if (!serviceMode_ && idleShutdownArmed_ && lockCount_ == 0) {
            DWORD idle = GetTickCount() - idleSince_;
            if (idle >= shutdownDelayMs) {
                if (stillIdleAfterSuspending()) return;
                continue;
            }
            wait = shutdownDelayMs - idle;
        }
        MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (!dispatchWaitingMessages()) return;
    }
}

// Dispatches what the queue holds now; false on the quit message. Every message is a client's call
// or a change of locks, so the shutdown delay starts again after it: a client on its way through an
// activation (the class object asked for, the object not made yet) holds no lock, but it has called.
bool ServerModule::dispatchWaitingMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) return false;
        DispatchMessageW(&message);
        idleSince_ = GetTickCount();
    }
    return true;
}

// Stops COM from handing the class object to new clients, then serves the requests already on their
// way. A client among them keeps the server, which then takes new clients again.
bool ServerModule::stillIdleAfterSuspending() {
    CoSuspendClassObjects();
    if (!dispatchWaitingMessages()) return true;
    if (lockCount_ == 0 && GetTickCount() - idleSince_ >= shutdownDelayMs) return true;
    CoResumeClassObjects();
    return false;
}

void ServerModule::reportState(DWORD state) {
    status_.dwCurrentState = state;
    SetServiceStatus(statusHandle_, &status_);
}
