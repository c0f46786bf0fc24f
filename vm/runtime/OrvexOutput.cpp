// The output file.
#include "vm/runtime/OrvexOutput.h"

OrvexOutput::OrvexOutput(const char* fileName) : file_(std::fopen(fileName, "w")) {}

OrvexOutput::~OrvexOutput() {
    if (file_) std::fclose(file_);
}

void OrvexOutput::print(std::string_view text) {
    if (file_ && !text.empty()) std::fwrite(text.data(), 1, text.size(), file_);
}

void OrvexOutput::flush() {
    if (file_) std::fflush(file_);
}
