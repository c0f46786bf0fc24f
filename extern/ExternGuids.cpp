// Defines the identifiers declared by the header widl makes from OrvexExtern.idl
// (LIBID_OrvexExternLibrary, IID_IExtern, CLSID_Extern), for the server and its test clients.
#include <objbase.h>

#include <oaidl.h>
#include <ocidl.h>

// Only the identifiers of the generated header are defined here: the system headers above are
// already included, so their declarations stay declarations.
#include <initguid.h>

#include "OrvexExtern.h"
