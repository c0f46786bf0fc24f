"""orvex lsp driven as an editor drives it: a session (initialize, open, incremental change, hover,
definition, symbols, completion, shutdown, exit), then the inputs a server must survive: bytes that
are no JSON, a wrong Content-Length, unknown methods, requests before initialize, a 10 MB document,
a client that goes away. Each ends as the protocol says, never with a crash or a hang."""
import json
import subprocess
import sys
import time

ORVEX = sys.argv[1:]  # the program, after the launcher that runs it if any (Wine)
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what)


class Client:
    def __init__(self):
        self.process = subprocess.Popen(ORVEX + ["lsp"], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        self.next_id = 0

    def send_raw(self, data):
        self.process.stdin.write(data)
        self.process.stdin.flush()

    def send(self, message):
        body = json.dumps(message).encode()
        self.send_raw(b"Content-Length: %d\r\n\r\n" % len(body) + body)

    def notify(self, method, params):
        self.send({"jsonrpc": "2.0", "method": method, "params": params})

    def request(self, method, params):
        self.next_id += 1
        self.send({"jsonrpc": "2.0", "id": self.next_id, "method": method, "params": params})
        return self.receive(self.next_id)

    def read(self):
        length = None
        while True:
            line = self.process.stdout.readline()
            if not line:
                return None
            if line in (b"\r\n", b"\n"):
                break
            if line.lower().startswith(b"content-length:"):
                length = int(line.split(b":")[1])
        return json.loads(self.process.stdout.read(length))

    def receive(self, id=None, method=None):
        """The next response to id, or the next notification of method."""
        while True:
            message = self.read()
            if message is None or (id is not None and message.get("id") == id) or (
                    method is not None and message.get("method") == method):
                return message

    def initialize(self, capabilities=None):
        reply = self.request("initialize", {"processId": None, "rootUri": None, "capabilities": capabilities or {}})
        self.notify("initialized", {})
        return reply

    def end(self):
        self.request("shutdown", None)
        self.notify("exit", None)
        return self.process.wait(timeout=10)


URI = "file:///work/prog.Orvex"
PROGRAM = ("greeting <- <h\u00e9llo> ;\n"
           "box <- nil : <new> ( ) ;\n"
           "box : <set> ( <show> , < sender : <print> ( ) ; > ) ;\n"
           "box : <show> ( )\n"
           "greeting : <print> ( ) ;\n"
           "n <- Extern : <invoke> ( String , <+> , <1> , <2> ) ;\n")


def at(line, character):
    return {"textDocument": {"uri": URI}, "position": {"line": line, "character": character}}


# The session, positions in UTF-16 as the protocol counts them by default.
client = Client()
reply = client.initialize()
check(reply["result"]["capabilities"]["textDocumentSync"]["change"] == 2, "incremental sync is offered")
client.notify("textDocument/didOpen", {"textDocument": {"uri": URI, "languageId": "orvex", "version": 1, "text": PROGRAM}})
diagnostics = client.receive(method="textDocument/publishDiagnostics")["params"]["diagnostics"]
check(len(diagnostics) == 1 and diagnostics[0]["range"]["start"] == {"line": 3, "character": 16}
      and diagnostics[0]["severity"] == 1 and "no ';'" in diagnostics[0]["message"],
      "the missing ';' is reported where it belongs: %s" % diagnostics)
client.notify("textDocument/didChange", {
    "textDocument": {"uri": URI, "version": 2},
    "contentChanges": [{"range": {"start": {"line": 3, "character": 16}, "end": {"line": 3, "character": 16}}, "text": " ;"}]})
diagnostics = client.receive(method="textDocument/publishDiagnostics")["params"]["diagnostics"]
check(diagnostics == [], "the fix clears the diagnostic: %s" % diagnostics)
hover = client.request("textDocument/hover", at(4, 13))["result"]
check(hover and "Writes the text" in hover["contents"]["value"], "hover on <print>: %s" % hover)
hover = client.request("textDocument/hover", at(5, 36))["result"]
check(hover and "sum" in hover["contents"]["value"], "hover on the operation <+>: %s" % hover)
hover = client.request("textDocument/hover", at(4, 3))["result"]
check(hover and "line 1" in hover["contents"]["value"], "hover on a bound name: %s" % hover)
definition = client.request("textDocument/definition", at(4, 3))["result"]
check(definition and definition["range"] == {"start": {"line": 0, "character": 0}, "end": {"line": 0, "character": 8}},
      "definition of greeting: %s" % definition)
definition = client.request("textDocument/definition", at(3, 8))["result"]
check(definition and definition["range"]["start"] == {"line": 2, "character": 14}, "definition of <show>: %s" % definition)
symbols = client.request("textDocument/documentSymbol", {"textDocument": {"uri": URI}})["result"]
check([(s["name"], s["kind"], [c["name"] for c in s["children"]]) for s in symbols]
      == [("greeting", 13, []), ("box", 19, ["<show>"]), ("n", 13, [])], "symbols: %s" % symbols)
labels = [item["label"] for item in client.request("textDocument/completion", at(3, 7))["result"]]
check("<print>" in labels and "<show>" in labels and "greeting" not in labels, "completion after ':': %s" % labels)
labels = [item["label"] for item in client.request("textDocument/completion", at(5, 34))["result"]]
check("<==>" in labels and "<print>" not in labels, "completion of an operation: %s" % labels)
labels = [item["label"] for item in client.request("textDocument/completion", at(6, 0))["result"]]
check("greeting" in labels and "params" in labels, "completion of names: %s" % labels)
client.notify("textDocument/didClose", {"textDocument": {"uri": URI}})
check(client.receive(method="textDocument/publishDiagnostics")["params"]["diagnostics"] == [], "closing clears")
check(client.end() == 0, "shutdown then exit ends with status 0")

# UTF-8 positions when the client offers them: the accented e is two bytes.
client = Client()
reply = client.initialize({"general": {"positionEncodings": ["utf-8", "utf-16"]}})
check(reply["result"]["capabilities"]["positionEncoding"] == "utf-8", "UTF-8 positions are taken")
client.notify("textDocument/didOpen", {"textDocument": {"uri": URI, "languageId": "orvex", "version": 1,
                                                        "text": "x <- <\u00e9> ; = ;\n"}})
diagnostics = client.receive(method="textDocument/publishDiagnostics")["params"]["diagnostics"]
check([d["range"]["start"]["character"] for d in diagnostics] == [12], "a column in bytes: %s" % diagnostics)
check(client.end() == 0, "the second session ends")

# What a server must survive, in one session.
client = Client()
reply = client.request("textDocument/hover", at(0, 0))
check(reply["error"]["code"] == -32002, "a request before initialize: %s" % reply)
client.send_raw(b"Content-Length: 9\r\n\r\n{not json")
check(client.read()["error"]["code"] == -32700, "bytes that are no JSON")
client.send_raw(b"Content-Length: lots\r\n\r\n")
client.initialize()
reply = client.request("workspace/unknownThing", {})
check(reply["error"]["code"] == -32601, "an unknown request: %s" % reply)
client.notify("$/unknownNotification", {})
reply = client.request("textDocument/hover", {"textDocument": {"uri": "file:///never-opened"}})
check(reply["error"]["code"] == -32602, "a document never opened: %s" % reply)
reply = client.request("textDocument/hover", {"textDocument": 7})
check(reply["error"]["code"] == -32602, "parameters of the wrong shape: %s" % reply)
# A body shorter than its Content-Length swallows the start of the next message; the one after it is
# answered.
client.send_raw(b"Content-Length: 60\r\n\r\n{}")
client.notify("$/swallowed", {"padding": "." * 100})
big = "x <- <" + "a" * 10_000_000 + "> ;\n" + "y <- 5 ;\n"
start = time.monotonic()
client.notify("textDocument/didOpen", {"textDocument": {"uri": URI, "languageId": "orvex", "version": 1, "text": big}})
reply = client.request("shutdown", None)
check(reply is not None and "result" in reply, "a 10 MB document, then shutdown: %s" % reply)
check(time.monotonic() - start < 20, "the 10 MB document took %.1f s" % (time.monotonic() - start))
reply = client.request("textDocument/hover", at(0, 0))
check(reply["error"]["code"] == -32600, "a request after shutdown: %s" % reply)
client.notify("exit", None)
check(client.process.wait(timeout=10) == 0, "exit after shutdown")

# Exit without shutdown, and a client that goes away in the middle of a message.
client = Client()
client.initialize()
client.notify("exit", None)
check(client.process.wait(timeout=10) == 1, "exit without shutdown ends with status 1")
client = Client()
client.initialize()
client.send_raw(b"Content-Length: 100\r\n\r\n{\"jsonrpc\"")
client.process.stdin.close()
check(client.process.wait(timeout=10) == 1, "a client gone in the middle of a message")

print("orvex lsp: %d failure(s)" % len(failures))
sys.exit(1 if failures else 0)
