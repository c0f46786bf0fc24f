// libFuzzer entry: orvex lsp on a document of the input's bytes, asked everything an editor asks
// at places the input picks, edited where the input says, and handed the input as a message of its
// own. Nothing it answers is looked at; it must not crash, hang or leak.
#include <cstddef>
#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "tools/orvex/Lsp.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using json = nlohmann::json;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    LanguageServer server([](const std::string&) {});
    server.handle(R"({"jsonrpc":"2.0","id":0,"method":"initialize","params":{"capabilities":{}}})");
    const json document = {{"uri", "file:///fuzz.Orvex"}};
    // Text that is no UTF-8 cannot travel in JSON: such bytes stand as U+FFFD, as a client sends them.
    const std::string text = json(bytes).dump(-1, ' ', false, json::error_handler_t::replace);
    server.handle(
        R"({"jsonrpc":"2.0","method":"textDocument/didOpen","params":{"textDocument":{"uri":"file:///fuzz.Orvex","languageId":"orvex","version":1,"text":)" +
        text + "}}}");
    const auto position = [&](std::size_t i) {
        return json{{"line", i < size ? data[i] % 8 : 0}, {"character", i + 1 < size ? data[i + 1] % 64 : 0}};
    };
    int id = 1;
    for (const char* method : {"textDocument/hover", "textDocument/definition", "textDocument/completion"})
        server.handle(json{{"jsonrpc", "2.0"},
                           {"id", id++},
                           {"method", method},
                           {"params", {{"textDocument", document}, {"position", position(2 * id)}}}}
                          .dump());
    server.handle(json{{"jsonrpc", "2.0"},
                       {"id", id++},
                       {"method", "textDocument/documentSymbol"},
                       {"params", {{"textDocument", document}}}}
                      .dump());
    server.handle(json{{"jsonrpc", "2.0"},
                       {"method", "textDocument/didChange"},
                       {"params",
                        {{"textDocument", {{"uri", "file:///fuzz.Orvex"}, {"version", 2}}},
                         {"contentChanges",
                          {{{"range", {{"start", position(0)}, {"end", position(3)}}}, {"text", "< ;\n"}}}}}}}
                      .dump());
    server.handle(bytes);
    return 0;
}
