// orvex lsp: a language server over standard input and output (JSON-RPC with Content-Length
// headers): the findings of orvex check as diagnostics while a program is typed, hover, go to
// definition, document symbols and completion.
#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

class LanguageServer {
  public:
    // send: writes one message body to the client.
    explicit LanguageServer(std::function<void(const std::string&)> send);
    ~LanguageServer();
    // One message body from the client. False once the client has said exit.
    bool handle(std::string_view body);
    // The exit status the protocol asks for: 0 after shutdown then exit, else 1.
    int exitStatus() const;

  private:
    struct State;
    std::unique_ptr<State> state_;
};

// Serves the client on in and out until it says exit or goes away; the process's exit status.
int serveLanguage(std::FILE* in, std::FILE* out);
