// orvex lsp: documents as the editor holds them, checked on every change, and the questions an
// editor asks about them, answered from the same reading as orvex check.
#include "tools/orvex/Lsp.h"

#include <algorithm>
#include <cctype>
#include <unordered_map>
#include <vector>

#include <nlohmann/json.hpp>

#include "tools/orvex/Checker.h"
#include "tools/orvex/Outline.h"
#include "tools/orvex/Reference.h"
#include "tools/orvex/SourceText.h"
#include "vm/runtime/Runtime.h"

using json = nlohmann::json;

namespace {

// The protocol's error codes.
constexpr int parseError = -32700;
constexpr int invalidRequest = -32600;
constexpr int methodNotFound = -32601;
constexpr int invalidParams = -32602;
constexpr int serverNotInitialized = -32002;

// A message body larger than this is no editor's: it is not read.
constexpr std::size_t largestMessage = std::size_t{256} << 20;

std::string dump(const json& message) {
    // A document may hold any bytes; what is not UTF-8 is sent as U+FFFD.
    return message.dump(-1, ' ', false, json::error_handler_t::replace);
}

// A position as the client counts it: lines, and characters in UTF-16 code units or in bytes.
struct Position {
    std::size_t line = 0, character = 0;
};

class Document {
  public:
    explicit Document(std::string text) : text_(std::move(text)) { findLines(); }

    const std::string& text() const { return text_; }
    void replace(std::size_t start, std::size_t end, std::string_view with) {
        text_.replace(start, end - start, with);
        findLines();
        analysis_.reset();
    }
    void replaceAll(std::string text) {
        text_ = std::move(text);
        findLines();
        analysis_.reset();
    }

    std::size_t offset(Position at, bool utf16) const {
        if (at.line >= lines_.size()) return text_.size();
        std::size_t offset = lines_[at.line];
        const std::size_t lineEnd = at.line + 1 < lines_.size() ? lines_[at.line + 1] : text_.size();
        for (std::size_t units = 0;
             units < at.character && offset < lineEnd && text_[offset] != '\n' && text_[offset] != '\r';) {
            const std::size_t length = sequenceLength(offset);
            units += utf16 ? (length == 4 ? 2 : 1) : length;
            offset += length;
        }
        return offset;
    }
    Position position(std::size_t offset, bool utf16) const {
        offset = std::min(offset, text_.size());
        const auto after = std::upper_bound(lines_.begin(), lines_.end(), offset);
        Position at{static_cast<std::size_t>(after - lines_.begin()) - 1, 0};
        for (std::size_t i = lines_[at.line]; i < offset;) {
            const std::size_t length = sequenceLength(i);
            at.character += utf16 ? (length == 4 ? 2 : 1) : length;
            i += length;
        }
        return at;
    }
    // The line's text, blanks trimmed.
    std::string lineText(std::size_t line) const {
        if (line >= lines_.size()) return {};
        const std::size_t start = lines_[line];
        std::size_t end = text_.find('\n', start);
        if (end == std::string::npos) end = text_.size();
        std::string_view text = std::string_view(text_).substr(start, end - start);
        while (!text.empty() && (text.back() == '\r' || text.back() == ' ' || text.back() == '\t'))
            text.remove_suffix(1);
        while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
            text.remove_prefix(1);
        return std::string(text.substr(0, 200));
    }

    // The program as OrvexVM reads it: line ends made LF. A CR becomes a blank instead, so that
    // every byte keeps its place.
    std::string image() const {
        std::string image = text_;
        for (std::size_t i = 0; i + 1 < image.size(); ++i)
            if (image[i] == '\r' && image[i + 1] == '\n') image[i] = ' ';
        return image;
    }

    struct Analysis {
        SourceText source;
        Outline outline;
        explicit Analysis(std::string image) : source(std::move(image)) {}
    };
    const Analysis& analysis() {
        if (!analysis_) {
            Runtime runtime; // the lexer's texts live in a runtime's memory
            Runtime::Use use(runtime);
            analysis_ = std::make_unique<Analysis>(image());
            analysis_->source.forEachCode(
                [this](const CodeText& code, const TextReading&) { analysis_->outline.add(code); });
        }
        return *analysis_;
    }

  private:
    // Bytes of the UTF-8 sequence starting at i: one for a byte that starts none.
    std::size_t sequenceLength(std::size_t i) const {
        const auto byte = static_cast<unsigned char>(text_[i]);
        const std::size_t length = byte < 0xC0 ? 1 : byte < 0xE0 ? 2 : byte < 0xF0 ? 3 : byte < 0xF8 ? 4 : 1;
        if (i + length > text_.size()) return 1;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text_[i + k]) & 0xC0) != 0x80) return 1;
        return length;
    }
    void findLines() {
        lines_.assign(1, 0);
        for (std::size_t i = text_.find('\n'); i != std::string::npos; i = text_.find('\n', i + 1))
            lines_.push_back(i + 1);
    }

    std::string text_;
    std::vector<std::size_t> lines_; // where each line starts
    std::unique_ptr<Analysis> analysis_;
};

bool isNameByte(char ch) {
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch == '_';
}

} // namespace

struct LanguageServer::State {
    std::function<void(const std::string&)> send;
    bool initialized = false, shutDown = false, exited = false;
    bool utf16 = true;
    std::unordered_map<std::string, Document> documents;

    void respond(const json& id, json result) {
        send(dump({{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}}));
    }
    void fail(const json& id, int code, const std::string& message) {
        send(dump({{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}}));
    }
    void notify(const char* method, json params) {
        send(dump({{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}}));
    }

    json position(Document& document, std::size_t offset) const {
        const Position at = document.position(offset, utf16);
        return {{"line", at.line}, {"character", at.character}};
    }
    json range(Document& document, std::size_t start, std::size_t end) const {
        return {{"start", position(document, start)}, {"end", position(document, end)}};
    }
    std::size_t offset(const Document& document, const json& at) const {
        return document.offset({at.at("line").get<std::size_t>(), at.at("character").get<std::size_t>()},
                               utf16);
    }
    Document& document(const json& params) {
        auto found = documents.find(params.at("textDocument").at("uri").get<std::string>());
        if (found == documents.end()) throw std::out_of_range("the document is not open");
        return found->second;
    }

    json initialize(const json& params) {
        // UTF-8 positions where the client offers them, as bytes are what the checker counts.
        const json& capabilities = params.value("capabilities", json::object());
        const json encodings = capabilities.contains("general")
                                   ? capabilities["general"].value("positionEncodings", json::array())
                                   : json::array();
        const json offsets = capabilities.value("offsetEncoding", json::array());
        for (const json* offered : {&encodings, &offsets})
            if (offered->is_array())
                for (const json& encoding : *offered)
                    if (encoding == "utf-8") utf16 = false;
        json server = {{"positionEncoding", utf16 ? "utf-16" : "utf-8"},
                       {"textDocumentSync", {{"openClose", true}, {"change", 2}}},
                       {"hoverProvider", true},
                       {"definitionProvider", true},
                       {"documentSymbolProvider", true},
                       {"completionProvider", {{"triggerCharacters", {":", "<"}}}}};
        json result = {{"capabilities", server},
                       {"serverInfo", {{"name", "orvex"}, {"version", ORVEX_VERSION}}}};
        if (!offsets.empty()) result["offsetEncoding"] = utf16 ? "utf-16" : "utf-8";
        return result;
    }

    void publish(const std::string& uri, Document& document) {
        json diagnostics = json::array();
        {
            Runtime runtime; // the parser names what it reads in a runtime's symbols: a new one each time
            Runtime::Use use(runtime);
            SourceText source(document.image());
            Checker checker(source);
            source.forEachCode([&checker](const CodeText& code, const TextReading& reading) {
                checker.check(code, reading);
            });
            const std::string& text = document.text();
            for (const Finding& finding : checker.findings()) {
                // The range is the word at the place: up to the next blank.
                std::size_t end = finding.offset;
                while (end < text.size() && end - finding.offset < 80 && text[end] != ' ' &&
                       text[end] != '\t' && text[end] != '\n' && text[end] != '\r')
                    ++end;
                if (end == finding.offset && end < text.size()) ++end;
                diagnostics.push_back({{"range", range(document, finding.offset, end)},
                                       {"severity", finding.error ? 1 : 2},
                                       {"source", "orvex"},
                                       {"message", finding.message}});
            }
        }
        notify("textDocument/publishDiagnostics", {{"uri", uri}, {"diagnostics", std::move(diagnostics)}});
    }

    void didOpen(const json& params) {
        const json& item = params.at("textDocument");
        const std::string uri = item.at("uri").get<std::string>();
        auto [where, made] = documents.insert_or_assign(uri, Document(item.at("text").get<std::string>()));
        publish(uri, where->second);
    }
    void didChange(const json& params) {
        const std::string uri = params.at("textDocument").at("uri").get<std::string>();
        Document& changed = document(params);
        for (const json& change : params.at("contentChanges")) {
            if (!change.contains("range")) {
                changed.replaceAll(change.at("text").get<std::string>());
                continue;
            }
            const json& range = change.at("range");
            std::size_t start = offset(changed, range.at("start")), end = offset(changed, range.at("end"));
            if (end < start) std::swap(start, end);
            changed.replace(start, end, change.at("text").get<std::string>());
        }
        publish(uri, changed);
    }
    void didClose(const json& params) {
        const std::string uri = params.at("textDocument").at("uri").get<std::string>();
        if (documents.erase(uri))
            notify("textDocument/publishDiagnostics", {{"uri", uri}, {"diagnostics", json::array()}});
    }

    json hover(const json& params) {
        Document& document = this->document(params);
        const std::size_t at = offset(document, params.at("position"));
        const Document::Analysis& analysis = document.analysis();
        const OutlineToken* token = analysis.outline.tokenAt(at);
        if (!token || (token->token != Token::Identifier && token->token != Token::BracketedName))
            return nullptr;
        std::string text;
        if (const ReferenceEntry* entry = referenceFor(token->text, true)) {
            text = "```orvex\n" + std::string(entry->form) + "\n```\n" + std::string(entry->text);
        } else if (const Span* bound = token->token == Token::Identifier
                                           ? analysis.outline.bindingOf(token->text)
                                           : analysis.outline.memberSet(token->text)) {
            const std::size_t line = document.position(bound->start, utf16).line;
            text.append("`").append(token->text).append("`: ");
            text.append(token->token == Token::Identifier ? "bound" : "set as a member");
            text.append(" on line ").append(std::to_string(line + 1));
            text.append("\n```orvex\n").append(document.lineText(line)).append("\n```");
        } else if (token->token == Token::Identifier) {
            text.append("`").append(token->text).append("` is bound nowhere in this program");
        } else {
            return nullptr;
        }
        return {{"contents", {{"kind", "markdown"}, {"value", text}}},
                {"range", range(document, token->span.start, token->span.end)}};
    }

    json definition(const json& params) {
        Document& document = this->document(params);
        const std::size_t at = offset(document, params.at("position"));
        const Document::Analysis& analysis = document.analysis();
        const OutlineToken* token = analysis.outline.tokenAt(at);
        if (!token) return nullptr;
        const Span* place = token->token == Token::Identifier      ? analysis.outline.bindingOf(token->text)
                            : token->token == Token::BracketedName ? analysis.outline.memberSet(token->text)
                                                                   : nullptr;
        if (!place) return nullptr;
        return {{"uri", params.at("textDocument").at("uri")},
                {"range", range(document, place->start, place->end)}};
    }

    json symbol(Document& document, const OutlineSymbol& symbol) {
        // The protocol's kinds: Method 6, Field 8, Function 12, Variable 13, Object 19.
        static constexpr int kinds[] = {13, 19, 12, 8, 6};
        json children = json::array();
        for (const OutlineSymbol& child : symbol.children)
            children.push_back(this->symbol(document, child));
        return {{"name", symbol.name},
                {"kind", kinds[static_cast<int>(symbol.kind)]},
                {"range", range(document, symbol.whole.start, symbol.whole.end)},
                {"selectionRange", range(document, symbol.name_at.start, symbol.name_at.end)},
                {"children", std::move(children)}};
    }
    json documentSymbols(const json& params) {
        Document& document = this->document(params);
        json symbols = json::array();
        for (const OutlineSymbol& symbol : document.analysis().outline.symbols())
            symbols.push_back(this->symbol(document, symbol));
        return symbols;
    }

    json completion(const json& params) {
        Document& document = this->document(params);
        const std::string& text = document.text();
        const std::size_t at = offset(document, params.at("position"));
        // The word being typed: a name, or a bracketed name begun.
        std::size_t start = at;
        while (start > 0 && isNameByte(text[start - 1]))
            --start;
        const bool bracketed = start > 0 && text[start - 1] == '<';
        if (bracketed) --start;
        std::size_t before = start;
        while (before > 0 && (text[before - 1] == ' ' || text[before - 1] == '\t'))
            --before;
        // Where an operation goes: the second parameter of <invoke> ( String , ...
        bool operation = false;
        const std::size_t invoke = text.rfind("<invoke>", start);
        if (invoke != std::string::npos && start - invoke < 200) {
            std::string_view between = std::string_view(text).substr(invoke + 8, start - invoke - 8);
            operation = std::count(between.begin(), between.end(), ',') == 1 &&
                        between.find_first_of(";)") == std::string_view::npos;
        }
        const bool member = before > 0 && text[before - 1] == ':';
        json items = json::array();
        const json replaced = range(document, start, at);
        auto add = [&](const std::string& label, int kind, std::string_view detail) {
            items.push_back({{"label", label},
                             {"kind", kind},
                             {"detail", detail},
                             {"filterText", label},
                             {"textEdit", {{"range", replaced}, {"newText", label}}}});
        };
        // The protocol's kinds: Method 2, Function 3, Field 5, Variable 6, Operator 24.
        const Document::Analysis& analysis = document.analysis();
        if (operation) {
            for (const ReferenceEntry& entry : operationReference())
                add(std::string(entry.name), 24, entry.text);
        } else if (member || bracketed) {
            for (const ReferenceEntry& entry : primitiveReference())
                add(std::string(entry.name), 3, entry.form);
            for (const std::string& name : analysis.outline.memberNames())
                if (!referenceFor(name, false)) add(name, 5, "a member this program sets");
        } else {
            for (const ReferenceEntry& entry : worldNameReference())
                add(std::string(entry.name), 6, entry.text);
            for (const std::string& name : analysis.outline.boundNames())
                if (!referenceFor(name, false)) add(name, 6, "bound in this program");
        }
        return items;
    }

    void handle(const json& message) {
        if (!message.is_object() || !message.contains("method") || !message["method"].is_string()) {
            // A response to nothing this server asked, or no message at all.
            if (message.is_object() && message.contains("id") && !message.contains("result") &&
                !message.contains("error"))
                fail(message["id"].is_number_integer() || message["id"].is_string() ? message["id"] : json(),
                     invalidRequest, "a request needs a method");
            else if (!message.is_object())
                fail(nullptr, invalidRequest, "a message is an object");
            return;
        }
        const std::string method = message["method"].get<std::string>();
        const bool request = message.contains("id");
        const json id = request ? message["id"] : json();
        if (request && !id.is_number_integer() && !id.is_string())
            return fail(nullptr, invalidRequest, "a request's id is a number or a string");
        const json params = message.value("params", json::object());
        if (method == "exit") {
            exited = true;
            return;
        }
        if (!initialized && method != "initialize") {
            if (request) fail(id, serverNotInitialized, "the server is not initialized");
            return;
        }
        if (shutDown) {
            if (request) fail(id, invalidRequest, "the server is shut down");
            return;
        }
        try {
            if (method == "initialize") {
                if (!request) return;
                if (initialized) return fail(id, invalidRequest, "the server is initialized already");
                respond(id, initialize(params));
                initialized = true;
            } else if (method == "shutdown") {
                shutDown = true;
                if (request) respond(id, nullptr);
            } else if (method == "textDocument/didOpen") {
                didOpen(params);
            } else if (method == "textDocument/didChange") {
                didChange(params);
            } else if (method == "textDocument/didClose") {
                didClose(params);
            } else if (!request) {
                // initialized, didSave, $/cancelRequest, $/setTrace, ...: nothing to do.
            } else if (method == "textDocument/hover") {
                respond(id, hover(params));
            } else if (method == "textDocument/definition") {
                respond(id, definition(params));
            } else if (method == "textDocument/documentSymbol") {
                respond(id, documentSymbols(params));
            } else if (method == "textDocument/completion") {
                respond(id, completion(params));
            } else {
                fail(id, methodNotFound, "no method " + method);
            }
        } catch (const std::exception& error) {
            // Parameters of the wrong shape, or a document never opened.
            if (request) fail(id, invalidParams, error.what());
        }
    }
};

LanguageServer::LanguageServer(std::function<void(const std::string&)> send)
    : state_(std::make_unique<State>()) {
    state_->send = std::move(send);
}

LanguageServer::~LanguageServer() = default;

bool LanguageServer::handle(std::string_view body) {
    json message = json::parse(body, nullptr, false);
    if (message.is_discarded())
        state_->fail(nullptr, parseError, "the message is not JSON");
    else
        state_->handle(message);
    return !state_->exited;
}

int LanguageServer::exitStatus() const {
    return state_->shutDown ? 0 : 1;
}

namespace {

// One header line, without its CR LF; false at the end of input. A line longer than any header is
// cut, the rest of it read and dropped.
bool readLine(std::FILE* in, std::string& line) {
    line.clear();
    for (int ch; (ch = std::getc(in)) != EOF;) {
        if (ch == '\n') {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            return true;
        }
        if (line.size() < 1024) line.push_back(static_cast<char>(ch));
    }
    return !line.empty();
}

// The body's length from a block of headers; 0 when it has no usable Content-Length. The header
// is looked for anywhere in a line: after a body shorter than its length said, the rest of the
// message it swallowed stands before the next header, on its line.
std::size_t readHeaders(std::FILE* in, bool& ended) {
    std::size_t length = 0;
    std::string line;
    for (;;) {
        if (!readLine(in, line)) {
            ended = true;
            return 0;
        }
        if (line.empty()) return length;
        for (char& ch : line)
            ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        constexpr std::string_view name = "content-length:";
        const std::size_t at = line.rfind(name);
        if (at == std::string::npos) continue;
        std::size_t value = 0;
        bool digits = false;
        for (std::size_t i = at + name.size(); i < line.size(); ++i) {
            if (line[i] == ' ' || line[i] == '\t') continue;
            if (line[i] < '0' || line[i] > '9' || value > largestMessage) {
                digits = false;
                break;
            }
            value = value * 10 + static_cast<std::size_t>(line[i] - '0');
            digits = true;
        }
        length = digits && value <= largestMessage ? value : 0;
    }
}

} // namespace

int serveLanguage(std::FILE* in, std::FILE* out) {
    bool gone = false;
    LanguageServer server([out, &gone](const std::string& body) {
        if (gone) return;
        const std::string header = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
        gone = std::fwrite(header.data(), 1, header.size(), out) != header.size() ||
               std::fwrite(body.data(), 1, body.size(), out) != body.size() || std::fflush(out) != 0;
    });
    std::string body;
    while (!gone) {
        bool ended = false;
        const std::size_t length = readHeaders(in, ended);
        if (ended) break; // the client went away
        if (length == 0) continue;
        body.resize(length);
        if (std::fread(body.data(), 1, length, in) != length) break;
        if (!server.handle(body)) break;
    }
    return server.exitStatus();
}
