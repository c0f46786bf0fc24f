// The language server on a large document: each keystroke in a 1 MB program is a change the server
// applies, checks again and answers with the document's diagnostics. An editor needs that within
// 50 ms to feel immediate.
#include <benchmark/benchmark.h>

#include <string>

#include "tools/orvex/Lsp.h"

namespace {

// A program of about bytes bytes: methods set on objects and called, as programs are written.
std::string largeProgram(std::size_t bytes) {
    std::string text;
    for (int i = 0; text.size() < bytes; ++i) {
        const std::string n = std::to_string(i);
        text += "counter" + n + " <- nil : <new> ( ) ;\n";
        text += "counter" + n +
                " : <set> ( <add> , <\n    -> amount ;\n    amount <- params : <0> ;\n"
                "    c <- sender : <count> ;\n    c <- Extern : <invoke> ( String , <+> , c , amount ) ;\n"
                "    sender : <set> ( <count> , c ) ;\n> ) ;\n";
        text += "counter" + n + " : <add> ( <" + n + "> ) ;\n";
    }
    return text;
}

std::string escaped(const std::string& text) {
    std::string out;
    for (char ch : text)
        out += ch == '\n'                ? std::string("\\n")
               : ch == '"' || ch == '\\' ? std::string("\\") + ch
                                         : std::string(1, ch);
    return out;
}

void changeLargeDocument(benchmark::State& state) {
    std::size_t answers = 0;
    LanguageServer server([&answers](const std::string&) { ++answers; });
    server.handle(R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{"capabilities":{}}})");
    const std::string text = largeProgram(static_cast<std::size_t>(state.range(0)));
    server.handle(R"({"jsonrpc":"2.0","method":"textDocument/didOpen","params":{"textDocument":)"
                  R"({"uri":"file:///big.Orvex","languageId":"orvex","version":1,"text":")" +
                  escaped(text) + "\"}}}");
    // A blank typed and taken back on a line in the middle, in turn.
    const std::string line = std::to_string(text.size() / 2 / 40);
    const std::string insert =
        R"({"jsonrpc":"2.0","method":"textDocument/didChange","params":{"textDocument":)"
        R"({"uri":"file:///big.Orvex","version":2},"contentChanges":[{"range":{"start":)"
        R"({"line":)" +
        line + R"(,"character":0},"end":{"line":)" + line + R"(,"character":0}},"text":" "}]}})";
    const std::string remove =
        R"({"jsonrpc":"2.0","method":"textDocument/didChange","params":{"textDocument":)"
        R"({"uri":"file:///big.Orvex","version":3},"contentChanges":[{"range":{"start":)"
        R"({"line":)" +
        line + R"(,"character":0},"end":{"line":)" + line + R"(,"character":1}},"text":""}]}})";
    bool typed = false;
    for (auto _ : state) {
        server.handle(typed ? remove : insert);
        typed = !typed;
    }
    state.counters["answers"] = static_cast<double>(answers);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(changeLargeDocument)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
