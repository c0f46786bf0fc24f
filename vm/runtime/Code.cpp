// Texts read as code, once.
#include "vm/runtime/Code.h"

#include "vm/runtime/RunObserver.h"
#include "vm/statements/Statement.h"
#include "vm/symbols/Names.h"
#include "vm/text/Parser.h"

Code::Code(CharStream stream, Keeping keeping) : stream_(std::move(stream)), keeping_(keeping) {
    parser_ = std::make_unique<Parser>(stream_);
}

Code::~Code() {
    if (RunObserver* observer = runObserver()) observer->forget(*this);
    if (held_) SymbolTable::unhold(*held_);
}

Code* Code::make(CharStream stream, Keeping keeping) {
    return new Code(std::move(stream), keeping);
}

// A string object's text is a symbol: it never changes and lives as long as the runtime, so its code
// reads the text in place, and every string object with that text shares it.
Code* Code::of(StringObject& string) {
    const Symbol& text = string.symbol();
    SymbolTable& symbols = SymbolTable::current();
    TextCache* code = symbols.codeOf(text);
    if (!code) {
        Code* made = make(CharStream::view(unquote(text.text())), Keeping::Every);
        symbols.keepCode(text, made);
        if (text.transient()) {
            made->held_ = &text;
            SymbolTable::hold(text);
        }
        code = made;
    }
    return static_cast<Code*>(code);
}

void Code::release() {
    if (--holders_ == 0)
        delete this;
    else if (holders_ == 1 && held_)
        SymbolTable::current().codeLetGo(*held_);
}

Statement* Code::readStatement(std::size_t index) {
    while (index >= firstIndex_ + statements_.size()) {
        if (!parser_) return nullptr;
        RunObserver* observer = runObserver();
        const std::size_t begin = observer ? parser_->lexer().tokenStart() : 0;
        std::unique_ptr<Statement> next = parser_->parseStatement();
        if (observer) next = observer->read(*this, *parser_, std::move(next), begin);
        if (!next) {
            parser_.reset(); // the text is exhausted, or reads on as no statement: no more are made
            return nullptr;
        }
        if (keeping_ == Keeping::Latest && !statements_.empty()) {
            firstIndex_ += statements_.size();
            statements_.clear();
        }
        statements_.push_back(std::move(next));
    }
    return index >= firstIndex_ ? statements_[index - firstIndex_].get() : nullptr;
}
