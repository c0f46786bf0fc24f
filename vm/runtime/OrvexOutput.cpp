// The output channel.
#include "vm/runtime/OrvexOutput.h"

OrvexOutput::~OrvexOutput() {
    if (file_) std::fclose(file_);
}

void OrvexOutput::setWriter(Write write, void* user) {
    write_ = write;
    user_ = user;
}

void OrvexOutput::open(const char* fileName) {
    if (write_ || fileTried_) return;
    fileTried_ = true;
    file_ = std::fopen(fileName, "w");
}

void OrvexOutput::print(std::string_view text) {
    if (text.empty()) return;
    if (write_)
        write_(user_, text.data(), text.size());
    else if (file_)
        std::fwrite(text.data(), 1, text.size(), file_);
}

void OrvexOutput::flush() {
    if (file_) std::fflush(file_);
}
