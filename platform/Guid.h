// 128-bit unique values laid out in the four fields of a GUID.
#pragma once

#include <cstdint>

struct Guid {
    std::uint32_t data1;
    std::uint16_t data2;
    std::uint16_t data3;
    std::uint8_t data4[8];
};

// From CoCreateGuid on Windows, from the system's random source elsewhere.
Guid newGuid();
