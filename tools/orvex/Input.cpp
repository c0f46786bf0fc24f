// The program a command reads.
#include "tools/orvex/Input.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "vm/runtime/ImageFile.h"

namespace {

bool sameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char ch) { return ch >= 'A' && ch <= 'Z' ? char(ch - 'A' + 'a') : ch; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// A file beside the one named whose name differs from it only in case: the extension is .Orvex.
std::string likelyName(const std::string& file) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path named(file);
    const fs::path folder = named.has_parent_path() ? named.parent_path() : fs::path(".");
    const std::string wanted = named.filename().string();
    // A folder of many files is not searched through.
    constexpr int looked = 10000;
    int seen = 0;
    for (fs::directory_iterator it(folder, error), end; !error && it != end && seen < looked;
         it.increment(error)) {
        ++seen;
        const std::string name = it->path().filename().string();
        if (sameIgnoringCase(name, wanted)) return (folder / name).string();
    }
    return {};
}

} // namespace

bool readInput(const std::string& file, std::string& image, std::FILE* report, const char* after) {
    if (file == "-" ? readImageStream(stdin, image) : readImageFile(file, image)) return true;
    const int error = errno;
    std::string why = std::strerror(error);
    if (error == ENOENT && file != "-")
        if (const std::string likely = likelyName(file); !likely.empty())
            why += "; did you mean '" +
                   (std::filesystem::path(file).has_parent_path()
                        ? likely
                        : std::filesystem::path(likely).filename().string()) +
                   "'?";
    std::fprintf(report, "orvex: %s: cannot read: %s%s\n", file.c_str(), why.c_str(), after);
    return false;
}
