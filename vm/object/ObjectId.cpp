// Object identifiers.
#include "vm/object/ObjectId.h"

namespace {

// Writes value as digits lowercase hexadecimal digits, most significant first.
char* putHex(char* out, unsigned long value, int digits) {
    static constexpr char hex[] = "0123456789abcdef";
    for (int i = digits - 1; i >= 0; --i)
        out[i] = hex[value & 0xf], value >>= 4;
    return out + digits;
}

} // namespace

// Formatted by hand: every <new> makes one, and a formatted print costs more than the object.
std::string formatObjectId(const Guid& guid) {
    char text[34];
    char* out = text;
    *out++ = '{';
    out = putHex(out, guid.data1, 8);
    out = putHex(out, guid.data2, 4);
    out = putHex(out, guid.data3, 4);
    for (unsigned char byte : guid.data4)
        out = putHex(out, byte, 2);
    *out++ = '}';
    return std::string(text, out);
}

std::string newObjectId() {
    return formatObjectId(newGuid());
}
