// Entry point of OrvexExtern, a windowed program that opens no window: COM, the service control
// manager and installers start it, and only its command line tells them apart.
#include <windows.h>

#include "extern/ServerModule.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    ServerModule module;
    return module.main(GetCommandLineW());
}
