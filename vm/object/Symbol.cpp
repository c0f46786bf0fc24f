// The symbol table.
#include "vm/object/Symbol.h"

#include <cstring>
#include <utility>

namespace {

std::uint64_t load(const char* bytes, std::size_t n) {
    std::uint64_t word = 0;
    std::memcpy(&word, bytes, n);
    return word;
}

// Most texts are short names and number literals: eight bytes at a time, multiplied and folded.
std::uint32_t hashOf(std::string_view text) {
    constexpr std::uint64_t k = 0x9E3779B97F4A7C15ull;
    std::uint64_t h = text.size() * k;
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) h = (h ^ load(text.data() + i, 8)) * k, h ^= h >> 29;
    if (i < text.size()) h = (h ^ load(text.data() + i, text.size() - i)) * k, h ^= h >> 29;
    h *= k;
    return static_cast<std::uint32_t>(h >> 32);
}

std::uint64_t prefixOf(std::string_view text) {
    std::uint64_t prefix = 0;
    for (std::size_t i = 0; i < 8; ++i)
        prefix = prefix << 8 | (i < text.size() ? static_cast<unsigned char>(text[i]) : 0u);
    return prefix;
}

} // namespace

SymbolTable::SymbolTable() : slots_(1024, nullptr) {}

SymbolTable::~SymbolTable() {
    for (Symbol& symbol : symbols_)
        if (symbol.code) std::exchange(symbol.code, nullptr)->release();
}

std::size_t SymbolTable::slotOf(std::string_view text, std::uint32_t hash) const {
    std::size_t mask = slots_.size() - 1;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const Symbol* symbol = slots_[slot];
        if (!symbol || (symbol->hash == hash && symbol->text == text)) return slot;
    }
}

void SymbolTable::rehash() {
    std::vector<const Symbol*> old(slots_.size() * 2, nullptr);
    old.swap(slots_);
    std::size_t mask = slots_.size() - 1;
    for (const Symbol* symbol : old) {
        if (!symbol) continue;
        std::size_t slot = symbol->hash & mask;
        while (slots_[slot]) slot = (slot + 1) & mask;
        slots_[slot] = symbol;
    }
}

const Symbol& SymbolTable::intern(std::string_view text) {
    std::uint32_t hash = hashOf(text);
    std::size_t slot = slotOf(text, hash);
    if (slots_[slot]) return *slots_[slot];
    auto id = static_cast<std::uint32_t>(symbols_.size());
    const Symbol* symbol = &symbols_.emplace_back(Symbol{std::string(text), id, hash, prefixOf(text)});
    slots_[slot] = symbol;
    if (symbols_.size() * 2 > slots_.size()) rehash();
    return *symbol;
}

const Symbol* SymbolTable::find(std::string_view text) const {
    return slots_[slotOf(text, hashOf(text))];
}
