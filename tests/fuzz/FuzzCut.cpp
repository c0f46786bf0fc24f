// libFuzzer entry: a program cut every k statements. The first byte is k, the second says whether
// the run goes on after each cut (resumed to its end, it must print what the uncut run printed)
// or, from the first cut on, is dropped with a new text run in its place, or freed; the rest is
// the program. A cut that leaves a runtime broken crashes here, or prints something else.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "vm/runtime/Runtime.h"

namespace {

constexpr std::uint64_t budget = 20000; // statements in all, for the uncut run and the cut one
// A text that grows at every turn is kept for good: a small limit ends such a run within a second
// under the sanitizers, where 256 MB took a quarter of a minute and timed out under load.
constexpr std::size_t memory = std::size_t{32} << 20;

void append(void* printed, const char* bytes, std::size_t size) {
    static_cast<std::string*>(printed)->append(bytes, size);
}

// Object ids are random: each "{" and 32 hexadecimal digits or more, with dashes, and "}" is one
// id, whichever it is.
std::string withoutIds(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '{') {
            std::size_t end = i + 1;
            while (end < text.size() &&
                   (std::isxdigit(static_cast<unsigned char>(text[end])) || text[end] == '-'))
                ++end;
            if (end < text.size() && text[end] == '}' && end - i > 32) {
                out += "{id}";
                i = end;
                continue;
            }
        }
        out.push_back(text[i]);
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::uint64_t k = data[0] % 64 + 1;
    const int after = data[1] % 3; // 0 resume, 1 run another text, 2 free
    const std::string_view program(reinterpret_cast<const char*>(data + 2), size - 2);

    std::string uncut;
    Runtime::Status whole;
    {
        Runtime runtime;
        Runtime::Use use(runtime);
        runtime.setOutput(append, &uncut);
        runtime.setLimits(budget, memory);
        whole = runtime.runText(program);
    }

    std::string cut;
    Runtime runtime;
    Runtime::Use use(runtime);
    runtime.setOutput(append, &cut);
    runtime.setLimits(k, memory);
    Runtime::Status status = runtime.runText(program);
    std::uint64_t ran = k;
    if (status == Runtime::Status::StatementLimit && after == 1) {
        runtime.abandon();
        status = runtime.runText("<after> : <print> ( ) ;");
        return status == Runtime::Status::Finished || status == Runtime::Status::MemoryLimit
                   ? 0
                   : (std::abort(), 0);
    }
    if (after == 2) return 0; // freed with the run cut wherever it was
    while (status == Runtime::Status::StatementLimit && ran < budget) {
        status = runtime.resume();
        ran += k;
    }
    if (whole == Runtime::Status::Finished && status == Runtime::Status::Finished &&
        withoutIds(cut) != withoutIds(uncut))
        std::abort();
    return 0;
}
