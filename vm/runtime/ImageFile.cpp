// Reading a program image.
#include "vm/runtime/ImageFile.h"

#include <cerrno>
#include <cstdio>

#include "platform/Memory.h"

template <class String> bool readImageFile(const std::string& name, String& text) {
    std::FILE* file = std::fopen(name.c_str(), "rb");
    if (!file) return false;
    bool read = readImageStream(file, text);
    const int error = errno; // what went wrong, not what closing did
    std::fclose(file);
    errno = error;
    return read;
}

namespace {

// What is left of a file that tells its size (a pipe does not): room for it is made once, so a
// large image never moves as it is read.
std::size_t remainingSize(std::FILE* file) {
    const long at = std::ftell(file);
    if (at < 0 || std::fseek(file, 0, SEEK_END) != 0) return 0;
    const long end = std::ftell(file);
    if (std::fseek(file, at, SEEK_SET) != 0) return 0;
    return end > at ? static_cast<std::size_t>(end - at) : 0;
}

} // namespace

// A first block read before any size is believed: what cannot be read (a folder) fails there,
// and a small image is read whole.
template <class String> bool readImageStream(std::FILE* file, String& text) {
    char block[65536];
    std::size_t got = std::fread(block, 1, sizeof block, file);
    if (std::ferror(file)) return false;
    text.assign(block, got);
    if (got == sizeof block) {
        // The rest a block at a time, appended: read straight into the text, the room would first be
        // filled with zeros, one more pass over a large image.
        text.reserve(text.size() + remainingSize(file) + 1); // one more: the end is met without regrowing
        adviseLargePages(text.data(), text.capacity());
        while ((got = std::fread(block, 1, sizeof block, file)) > 0)
            text.append(block, got);
        if (std::ferror(file)) return false;
    }
    keepLineFeeds(text);
    return true;
}

// In place, from the first CR on: most images have none, and then nothing moves.
template <class String> void keepLineFeeds(String& text) {
    std::size_t kept = text.find('\r');
    if (kept == String::npos) return;
    for (std::size_t i = kept; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        text[kept++] = text[i];
    }
    text.resize(kept);
}

template bool readImageFile(const std::string&, std::string&);
template bool readImageFile(const std::string&, Text&);
template bool readImageStream(std::FILE*, std::string&);
template bool readImageStream(std::FILE*, Text&);
template void keepLineFeeds(std::string&);
template void keepLineFeeds(Text&);
