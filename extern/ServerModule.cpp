// The OrvexExtern process: command line, local server, service and message loop.
#include "extern/ServerModule.h"

#include <objbase.h>

#include "OrvexExtern.h"
#include "extern/AppIdKey.h"
#include "extern/ComSecurity.h"
#include "extern/CommandLine.h"
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
    case Switch::None:
        break;
    }
    return start();
}

void ServerModule::lock() {
    ++lockCount_;
}

void ServerModule::unlock() {
    // The last release arrives on the main thread, but LockServer calls need not.
    if (--lockCount_ == 0 && !serviceMode_) PostThreadMessageW(mainThreadId_, WM_QUIT, 0, 0);
}

int ServerModule::start() {
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
    CoRegisterClassObject(CLSID_Extern, &classFactory_, CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER,
                          REGCLS_MULTIPLEUSE, &classCookie_);
    log_.write(L"Service started");
    if (serviceMode_) reportState(SERVICE_RUNNING);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);

    CoRevokeClassObject(classCookie_);
    CoUninitialize();
}

void ServerModule::reportState(DWORD state) {
    status_.dwCurrentState = state;
    SetServiceStatus(statusHandle_, &status_);
}
