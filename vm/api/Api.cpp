// The C API: a runtime behind an opaque pointer, statuses for errors, no exception ever let out.
#include "orvex/orvex.h"

#include <new>
#include <string_view>

#include "vm/runtime/Runtime.h"

struct orvex_runtime {
    Runtime runtime;
};

namespace {

orvex_status statusOf(Runtime::Status status) {
    static_assert(static_cast<int>(Runtime::Status::Invalid) == ORVEX_INVALID, "the statuses keep one order");
    return static_cast<orvex_status>(status);
}

} // namespace

extern "C" {

const char* orvex_version(void) {
    return ORVEX_VERSION;
}

orvex_runtime* orvex_new(void) {
    try {
        return new orvex_runtime{};
    } catch (...) {
        return nullptr;
    }
}

void orvex_free(orvex_runtime* runtime) {
    delete runtime;
}

void orvex_set_output(orvex_runtime* runtime, orvex_output_fn output, void* user) {
    if (runtime) runtime->runtime.setOutput(output, user);
}

void orvex_set_limits(orvex_runtime* runtime, uint64_t max_statements, size_t max_bytes) {
    if (runtime) runtime->runtime.setLimits(max_statements, max_bytes);
}

orvex_status orvex_run_file(orvex_runtime* runtime, const char* path) {
    if (!runtime || !path) return ORVEX_INVALID;
    return statusOf(runtime->runtime.runFile(path));
}

orvex_status orvex_run_text(orvex_runtime* runtime, const char* text, size_t size) {
    if (!runtime || (!text && size != 0)) return ORVEX_INVALID;
    return statusOf(runtime->runtime.runText(std::string_view(text ? text : "", size)));
}

orvex_status orvex_resume(orvex_runtime* runtime) {
    if (!runtime) return ORVEX_INVALID;
    return statusOf(runtime->runtime.resume());
}

void orvex_interrupt(orvex_runtime* runtime) {
    if (runtime) runtime->runtime.interrupt();
}

size_t orvex_memory_used(const orvex_runtime* runtime) {
    return runtime ? runtime->runtime.bytesHeld() : 0;
}

} // extern "C"
