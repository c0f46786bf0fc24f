// Applies the executable's "REGISTRY" scripts through the system's registrar component.
#pragma once

#include <windows.h>

class Registrar {
  public:
    // Writes (registering) or removes the keys of REGISTRY script scriptId of the running
    // executable, with "%MODULE%" standing for the executable's path.
    static HRESULT runScript(UINT scriptId, bool registering);
};
