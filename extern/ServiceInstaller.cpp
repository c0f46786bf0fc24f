// Installs and removes the Windows service that runs OrvexExtern.
#include "extern/ServiceInstaller.h"

#include <windows.h>

#include "extern/ModulePath.h"

namespace {

// Closes a service manager or service handle at the end of a scope.
class ServiceHandle {
  public:
    explicit ServiceHandle(SC_HANDLE handle) : handle_(handle) {}
    ~ServiceHandle() {
        if (handle_) CloseServiceHandle(handle_);
    }
    ServiceHandle(const ServiceHandle&) = delete;
    ServiceHandle& operator=(const ServiceHandle&) = delete;
    explicit operator bool() const { return handle_ != nullptr; }
    SC_HANDLE get() const { return handle_; }

  private:
    SC_HANDLE handle_;
};

// The command the service control manager runs. A path with spaces is quoted, or the manager
// would try every prefix of it that ends at a space.
std::wstring serviceCommand() {
    std::wstring path = modulePath();
    return path.find(L' ') == std::wstring::npos ? path : L"\"" + path + L"\"";
}

} // namespace

bool ServiceInstaller::isInstalled() const {
    ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager) return false;
    ServiceHandle service(OpenServiceW(manager.get(), serviceName_.c_str(), SERVICE_QUERY_CONFIG));
    return static_cast<bool>(service);
}

bool ServiceInstaller::install() {
    if (isInstalled()) return true;
    ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager) {
        log_.alert(L"Couldn't open service manager");
        return false;
    }
    // COM calls into the service, so it must not start before the RPC subsystem.
    static const wchar_t dependencies[] = L"RPCSS\0";
    ServiceHandle service(CreateServiceW(manager.get(), serviceName_.c_str(), serviceName_.c_str(),
                                         SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START,
                                         SERVICE_ERROR_NORMAL, serviceCommand().c_str(), nullptr, nullptr,
                                         dependencies, nullptr, nullptr));
    if (!service) {
        log_.alert(L"Couldn't create service");
        return false;
    }
    return true;
}

bool ServiceInstaller::uninstall() {
    if (!isInstalled()) return true;
    ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager) {
        log_.alert(L"Couldn't open service manager");
        return false;
    }
    ServiceHandle service(OpenServiceW(manager.get(), serviceName_.c_str(), SERVICE_STOP | DELETE));
    if (!service) {
        log_.alert(L"Couldn't open service");
        return false;
    }
    SERVICE_STATUS status{};
    ControlService(service.get(), SERVICE_CONTROL_STOP, &status); // a stopped service refuses; that is fine
    if (!DeleteService(service.get())) {
        log_.alert(L"Service could not be deleted");
        return false;
    }
    return true;
}
