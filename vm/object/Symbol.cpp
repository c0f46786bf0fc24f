// The symbol table.
#include "vm/object/Symbol.h"

SymbolTable& SymbolTable::instance() {
    static SymbolTable table;
    return table;
}

const Symbol& SymbolTable::intern(std::string_view text) {
    auto it = byText_.find(text);
    if (it != byText_.end()) return *it->second;
    auto id = static_cast<std::uint32_t>(symbols_.size());
    std::uint64_t prefix = 0;
    for (std::size_t i = 0; i < 8; ++i)
        prefix = prefix << 8 | (i < text.size() ? static_cast<unsigned char>(text[i]) : 0u);
    const Symbol* symbol = &symbols_.emplace_back(Symbol{std::string(text), id, prefix});
    byText_.emplace(symbol->text, symbol);
    return *symbol;
}

const Symbol* SymbolTable::find(std::string_view text) const {
    auto it = byText_.find(text);
    return it == byText_.end() ? nullptr : it->second;
}
