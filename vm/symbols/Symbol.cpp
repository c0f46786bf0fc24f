// The symbol table.
#include "vm/symbols/Symbol.h"

#include <cstring>
#include <new>
#include <utility>

#include "vm/symbols/Names.h"

namespace {

template <class Word> Word load(const char* bytes) {
    Word word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

// Most texts are short names and number literals: eight bytes at a time, multiplied by the 64-bit
// golden ratio (an odd constant whose bits look random, the multiplier of Fibonacci hashing) and
// folded, so every input bit reaches the high bits kept. The last few bytes are read as two
// overlapping words (or three bytes), never byte by byte.
std::uint32_t hashOf(std::string_view text) {
    constexpr std::uint64_t k = 0x9E3779B97F4A7C15ull;
    const char* p = text.data();
    std::size_t n = text.size();
    std::uint64_t h = n * k;
    for (; n >= 8; p += 8, n -= 8)
        h = (h ^ load<std::uint64_t>(p)) * k, h ^= h >> 29;
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

} // namespace

static_assert(sizeof(Symbol) <= 32, "a loop makes a symbol at every turn");

SymbolTable::SymbolTable() : slots_(1024, Slot{0, 0}), wellKnownCode_(wellKnownCount, nullptr) {
    static_assert(wellKnownCount % blockSize == 0, "the well-known symbols fill whole blocks");
    for (std::uint32_t block = 0; block < wellKnownCount; block += blockSize)
        blocks_.push_back(&wellKnownSymbols[block]);
    for (const Symbol& symbol : wellKnownSymbols) {
        const std::uint32_t hash = hashOf(symbol.text());
        slots_[slotOf(symbol.text(), hash)] = Slot{hash, symbol.id + 1};
    }
    count_ = wellKnownCount;
}

TextCache*& SymbolTable::codeOf(const Symbol& symbol) {
    return symbol.id < wellKnownCount ? wellKnownCode_[symbol.id] : symbol.code;
}

std::string_view SymbolTable::keep(std::string_view text) {
    if (text.empty()) return "";
    auto* bytes = static_cast<char*>(SmallAllocator::carveForever(text.size()));
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
        while (slots_[slot].number != 0)
            slot = (slot + 1) & mask;
        slots_[slot] = moved;
    }
}

const Symbol& SymbolTable::intern(std::string_view text) {
    // A symbol's length is 32 bits: a longer text ends the run as memory running out does.
    if (text.size() > UINT32_MAX) throw std::bad_alloc();
    std::uint32_t hash = hashOf(text);
    std::size_t slot = slotOf(text, hash);
    if (slots_[slot].number != 0) return symbolIn(slots_[slot]);
    static_assert(blockSize * sizeof(Symbol) <= SmallAllocator::largest,
                  "a block of symbols is a small block");
    // Everything that can fail comes first, so a table that runs out of memory stays as it was.
    if (std::size_t{count_ + 1} * 2 > slots_.size()) {
        rehash();
        slot = slotOf(text, hash);
    }
    const std::string_view kept = keep(text);
    const std::uint32_t id = count_;
    if ((id & (blockSize - 1)) == 0) {
        makeRoomForOne(blocks_);
        filling_ = static_cast<Symbol*>(SmallAllocator::allocate(blockSize * sizeof(Symbol)));
        blocks_.push_back(filling_);
    }
    const Symbol* symbol = new (&filling_[id & (blockSize - 1)])
        Symbol{kept.data(), static_cast<std::uint32_t>(kept.size()), id, prefixOf(text)};
    ++count_;
    slots_[slot] = Slot{hash, id + 1};
    return *symbol;
}

const Symbol* SymbolTable::find(std::string_view text) const {
    const Slot found = slots_[slotOf(text, hashOf(text))];
    return found.number == 0 ? nullptr : &symbolIn(found);
}

const Symbol& SymbolTable::number(std::int32_t n) {
    if (n >= 0 && n < numbersKept) {
        const Symbol*& kept = numbers_[n];
        if (!kept) kept = &intern(formatNumberLiteral(n));
        return *kept;
    }
    return intern(formatNumberLiteral(n));
}
