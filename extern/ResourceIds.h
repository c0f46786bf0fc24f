// Numbers of the resources OrvexExtern carries; shared by OrvexExtern.rc and the code that loads them.
#pragma once

#define IDS_SERVICE_NAME 100       // string: the service name, also the event source
#define IDR_APPLICATION_SCRIPT 100 // REGISTRY: the AppID entry
#define IDR_CLASS_SCRIPT 101       // REGISTRY: the ProgIDs and the CLSID entry
