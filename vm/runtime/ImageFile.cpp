// Reading a program image.
#include "vm/runtime/ImageFile.h"

#include <cstdio>

bool readImageFile(const std::string& name, std::string& text) {
    std::FILE* file = std::fopen(name.c_str(), "rb");
    if (!file) return false;
    std::string raw;
    char buffer[65536];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        raw.append(buffer, got);
    bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) return false;
    text.clear();
    text.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i)
        if (!(raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n')) text.push_back(raw[i]);
    return true;
}
