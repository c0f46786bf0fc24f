// The symbol table.
#include "vm/object/Symbol.h"

#include <cstring>
#include <new>
#include <utility>

namespace {

template <class Word> Word load(const char* bytes) {
    Word word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

// Most texts are short names and number literals: eight bytes at a time, multiplied and folded.
// The last few bytes are read as two overlapping words (or three bytes), never byte by byte.
std::uint32_t hashOf(std::string_view text) {
    constexpr std::uint64_t k = 0x9E3779B97F4A7C15ull;
    const char* p = text.data();
    std::size_t n = text.size();
    std::uint64_t h = n * k;
    for (; n >= 8; p += 8, n -= 8) h = (h ^ load<std::uint64_t>(p)) * k, h ^= h >> 29;
    if (n != 0) {
        std::uint64_t tail;
        if (n >= 4)
            tail = load<std::uint32_t>(p) | std::uint64_t{load<std::uint32_t>(p + n - 4)} << 32;
        else
            tail = static_cast<unsigned char>(p[0]) | static_cast<unsigned char>(p[n / 2]) << 8 |
                   static_cast<unsigned char>(p[n - 1]) << 16;
        h = (h ^ tail) * k, h ^= h >> 29;
    }
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

static_assert(sizeof(Symbol) <= 32, "a loop makes a symbol at every turn");

SymbolTable::SymbolTable() : slots_(1024, Slot{0, 0}) {}

SymbolTable::~SymbolTable() {
    for (std::uint32_t id = 0; id < count_; ++id) {
        Symbol& symbol = blocks_[id >> blockBits][id & (blockSize - 1)];
        if (symbol.code) std::exchange(symbol.code, nullptr)->release();
        symbol.~Symbol();
    }
    for (Symbol* block : blocks_) SmallAllocator::release(block, blockSize * sizeof(Symbol));
    for (char* text : ownTexts_) delete[] text;
}

std::string_view SymbolTable::keep(std::string_view text) {
    constexpr std::size_t ownBlock = 256 * 1024; // and longer: a block of its own
    if (text.empty()) return "";
    char* bytes;
    if (!SmallAllocator::pooled || text.size() >= ownBlock) {
        // Under AddressSanitizer every text is its own block, so a read past its end is caught.
        bytes = new char[text.size()];
        ownTexts_.push_back(bytes);
    } else {
        bytes = static_cast<char*>(SmallAllocator::carveForever(text.size()));
    }
    std::memcpy(bytes, text.data(), text.size());
    return {bytes, text.size()};
}

std::size_t SymbolTable::slotOf(std::string_view text, std::uint32_t hash) const {
    std::size_t mask = slots_.size() - 1;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const Slot found = slots_[slot];
        if (found.number == 0 || (found.hash == hash && symbolIn(found).text() == text)) return slot;
    }
}

void SymbolTable::rehash() {
    decltype(slots_) old(slots_.size() * 2, Slot{0, 0});
    old.swap(slots_);
    std::size_t mask = slots_.size() - 1;
    for (const Slot moved : old) {
        if (moved.number == 0) continue;
        std::size_t slot = moved.hash & mask;
        while (slots_[slot].number != 0) slot = (slot + 1) & mask;
        slots_[slot] = moved;
    }
}

const Symbol& SymbolTable::intern(std::string_view text) {
    // A symbol's length is 32 bits: a longer text ends the run as memory running out does.
    if (text.size() > UINT32_MAX) throw std::bad_alloc();
    std::uint32_t hash = hashOf(text);
    std::size_t slot = slotOf(text, hash);
    if (slots_[slot].number != 0) return symbolIn(slots_[slot]);
    static_assert(blockSize * sizeof(Symbol) <= SmallAllocator::largest, "a block of symbols is a small block");
    const std::uint32_t id = count_;
    if ((id & (blockSize - 1)) == 0)
        blocks_.push_back(static_cast<Symbol*>(SmallAllocator::allocate(blockSize * sizeof(Symbol))));
    const std::string_view kept = keep(text);
    const Symbol* symbol = new (&blocks_.back()[id & (blockSize - 1)])
        Symbol{kept.data(), static_cast<std::uint32_t>(kept.size()), id, prefixOf(text)};
    ++count_;
    slots_[slot] = Slot{hash, id + 1};
    if (std::size_t{count_} * 2 > slots_.size()) rehash();
    return *symbol;
}

const Symbol* SymbolTable::find(std::string_view text) const {
    const Slot found = slots_[slotOf(text, hashOf(text))];
    return found.number == 0 ? nullptr : &symbolIn(found);
}
