// Object identifiers.
#include "vm/object/ObjectId.h"

#include <cstdio>

std::string formatObjectId(const Guid& guid) {
    char text[35];
    std::snprintf(text, sizeof text, "{%08x%04x%04x%02x%02x%02x%02x%02x%02x%02x%02x}", guid.data1, guid.data2,
                  guid.data3, guid.data4[0], guid.data4[1], guid.data4[2], guid.data4[3], guid.data4[4],
                  guid.data4[5], guid.data4[6], guid.data4[7]);
    return text;
}

std::string newObjectId() {
    return formatObjectId(newGuid());
}
