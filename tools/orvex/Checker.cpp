// The checker: the image as the main evaluation reads it, and every code text written in it.
#include "tools/orvex/Checker.h"

#include <algorithm>
#include <vector>

#include "tools/orvex/SourceText.h"

std::vector<Finding> Checker::findings() {
    std::stable_sort(findings_.begin(), findings_.end(),
                     [](const Finding& a, const Finding& b) { return a.offset < b.offset; });
    return findings_;
}

void Checker::check(const CodeText& code, const TextReading& reading) {
    const bool isImage = code.outer == nullptr;
    for (std::size_t at : reading.skipped)
        add(code, at, false, skippedCharacter(code.text, at) + " starts no token and is skipped");
    if (losesNothing(code.text, reading)) return;
    // A statement without its ';' at the end of a line: pointed at where the ';' belongs, and lost
    // with the lines after it.
    const std::size_t unfinished = missingSemicolon(code.text, reading);
    if (unfinished != std::string::npos) {
        std::string lost = "this code text stops here, and the rest of it never runs";
        if (isImage) {
            const std::size_t lines = source_.linesAfter(code.imageOffset(unfinished));
            lost = lines == 0   ? "so it never runs"
                   : lines == 1 ? "so it and the line after it never run"
                                : "so it and the " + std::to_string(lines) + " lines after it never run";
        }
        add(code, unfinished, isImage,
            std::string("this statement has no ';' at its end") + (isImage ? ", " : ": ") + lost);
        return;
    }
    std::string lost = "this code text stops here, and the rest of it never runs";
    if (isImage) {
        const std::size_t lines = source_.linesAfter(code.imageOffset(reading.at));
        const bool restOfLine =
            code.text.find_first_not_of(" \t", reading.at + 1) < code.text.find('\n', reading.at);
        lost = lines == 0 ? (restOfLine ? "the program stops here, and the rest of its line never runs"
                                        : "the program stops here")
               : lines == 1
                   ? "the program stops here, and the line after it never runs"
                   : "the program stops here, and the " + std::to_string(lines) + " lines after it never run";
    }
    add(code, reading.at, isImage, stopReason(code, reading) + ": " + lost);
}

void Checker::add(const CodeText& code, std::size_t at, bool error, std::string message) {
    findings_.push_back({code.imageOffset(at), error, std::move(message)});
}

bool checkImage(const std::string& fileName, std::string image, std::FILE* out) {
    SourceText source(std::move(image));
    Checker checker(source);
    source.forEachCode(
        [&checker](const CodeText& code, const TextReading& reading) { checker.check(code, reading); });
    bool failed = false;
    for (const Finding& diagnostic : checker.findings()) {
        const Place place = source.place(diagnostic.offset);
        std::fprintf(out, "%s:%zu:%zu: %s: %s\n", fileName.c_str(), place.line, place.column,
                     diagnostic.error ? "error" : "warning", diagnostic.message.c_str());
        failed = failed || diagnostic.error;
    }
    return failed;
}
