// Reading a program image.
#include "vm/runtime/ImageFile.h"

#include <cerrno>
#include <cstdio>

bool readImageFile(const std::string& name, std::string& text) {
    std::FILE* file = std::fopen(name.c_str(), "rb");
    if (!file) return false;
    bool read = readImageStream(file, text);
    const int error = errno; // what went wrong, not what closing did
    std::fclose(file);
    errno = error;
    return read;
}

bool readImageStream(std::FILE* file, std::string& text) {
    std::string raw;
    char buffer[65536];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        raw.append(buffer, got);
    if (std::ferror(file)) return false;
    text = withLineFeeds(raw);
    return true;
}

std::string withLineFeeds(std::string_view raw) {
    std::string text;
    text.reserve(raw.size());
    std::string_view rest = raw;
    // Whole runs up to each CR; a CR that a LF follows is left out.
    for (std::size_t cr; (cr = rest.find('\r')) != std::string_view::npos; rest.remove_prefix(cr + 1)) {
        text.append(rest.data(), cr);
        if (cr + 1 >= rest.size() || rest[cr + 1] != '\n') text.push_back('\r');
    }
    text.append(rest);
    return text;
}
