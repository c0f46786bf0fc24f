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

// The n bytes at p (one to eight) in a word, read as two overlapping words (or three bytes),
// never byte by byte: with n, the word tells the bytes.
std::uint64_t shortWord(const char* p, std::size_t n) {
    if (n >= 4) return load<std::uint32_t>(p) | std::uint64_t{load<std::uint32_t>(p + n - 4)} << 32;
    return static_cast<unsigned char>(p[0]) | static_cast<unsigned char>(p[n / 2]) << 8 |
           static_cast<unsigned char>(p[n - 1]) << 16;
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
    if (n != 0) h = (h ^ shortWord(p, n)) * k, h ^= h >> 29;
    h *= k;
    return static_cast<std::uint32_t>(h >> 32);
}

} // namespace

static_assert(sizeof(Symbol) <= 24, "a loop makes a symbol at every turn");

SymbolTable::SymbolTable() : slots_(1024, Slot{0}), wellKnownCode_(wellKnownCount, nullptr) {
    static_assert(wellKnownCount % blockSize == 0, "the well-known symbols fill whole blocks");
    for (std::uint32_t block = 0; block < wellKnownCount; block += blockSize)
        blocks_.push_back(&wellKnownSymbols[block]);
    for (const Symbol& symbol : wellKnownSymbols) {
        const std::uint32_t hash = hashOf(symbol.text());
        slots_[slotOf(symbol.text(), hash)] = slotFor(hash, symbol.id);
    }
    count_ = wellKnownCount;
}

TextCache* SymbolTable::codeOf(const Symbol& symbol) const {
    if (symbol.id < wellKnownCount) return wellKnownCode_[symbol.id];
    if (!symbol.transient()) return reinterpret_cast<TextCache*>(symbol.state);
    return (symbol.state & codeBit) != 0 ? transientCode_.find(symbol.id)->second : nullptr;
}

void SymbolTable::keepCode(const Symbol& symbol, TextCache* code) {
    if (symbol.id < wellKnownCount) {
        wellKnownCode_[symbol.id] = code;
    } else if (symbol.transient()) {
        transientCode_.emplace(symbol.id, code);
        symbol.state |= codeBit;
    } else {
        symbol.state = reinterpret_cast<std::uintptr_t>(code);
    }
}

void SymbolTable::pinTransient(const Symbol& symbol) noexcept {
    TextCache* code = nullptr;
    if ((symbol.state & codeBit) != 0) {
        auto kept = transientCode_.find(symbol.id);
        code = kept->second;
        transientCode_.erase(kept);
    }
    symbol.state = reinterpret_cast<std::uintptr_t>(code); // if it waits to be freed, it is passed over
}

// A transient text longer than a symbol's head and up to a small block's size is a block of its own,
// given back with it. A longer one is laid end to end with the pinned texts as well: a large block
// each would cost a system call and pages of its own, and the loops that build texts piece by piece
// keep them all.
bool SymbolTable::ownsBlock(std::size_t size) {
    return size > Symbol::headSize && size + hashBytes <= SmallAllocator::largest;
}

// The text's hash goes right before it: a slot that moves finds its home again without hashing a
// long text again (the loops that build a text piece by piece move many).
std::string_view SymbolTable::keep(std::string_view text, std::uint32_t hash, bool transient) {
    if (text.size() <= Symbol::headSize) return ""; // the symbol's head holds it
    const std::size_t size = hashBytes + text.size();
    void* block = transient && ownsBlock(text.size()) ? SmallAllocator::allocate(size)
                                                      : SmallAllocator::carveForever(size);
    auto* bytes = static_cast<char*>(block);
    std::memcpy(bytes, &hash, hashBytes);
    std::memcpy(bytes + hashBytes, text.data(), text.size());
    return {bytes + hashBytes, text.size()};
}

std::size_t SymbolTable::slotOf(std::string_view text, std::uint32_t hash) const {
    const std::size_t mask = slots_.size() - 1;
    const Slot tag = hash & ~numberBits;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const Slot found = slots_[slot];
        if (found == 0 || ((found & ~numberBits) == tag && symbolIn(found).text() == text)) return slot;
    }
}

std::uint32_t SymbolTable::hashIn(const Symbol& symbol) {
    // A short text (a well-known one too) is hashed again; a longer one the table kept has its hash.
    if (symbol.size <= Symbol::headSize || symbol.id < wellKnownCount) return hashOf(symbol.text());
    return load<std::uint32_t>(symbol.bytes - hashBytes);
}

// The symbols are visited in the order they lie in memory, not the slots': each is read once, in
// sequence, instead of at random.
void SymbolTable::rehash() {
    decltype(slots_) larger(slots_.size() * 2, Slot{0});
    const std::size_t mask = larger.size() - 1;
    for (std::uint32_t id = 0; id < count_; ++id) {
        const Symbol& symbol = byId(id);
        if (symbol.empty() && id >= wellKnownCount) continue; // freed: only "" is empty, and it is well known
        const std::uint32_t hash = hashIn(symbol);
        std::size_t slot = hash & mask;
        while (larger[slot] != 0)
            slot = (slot + 1) & mask;
        larger[slot] = slotFor(hash, id);
    }
    slots_.swap(larger);
}

// A text and one a byte longer can read the same as a word ("ab", "abb"): the length tells them
// apart.
const Symbol& SymbolTable::intern(std::string_view text) {
    const std::size_t n = text.size();
    if (n == 0 || n > Symbol::headSize) return internSlowly(text);
    const std::uint64_t word = shortWord(text.data(), n);
    Recent& recent = recent_[((word ^ n) * 0x9E3779B97F4A7C15ull) >> (64 - recentBits)];
    if (recent.symbol && recent.word == word && recent.symbol->size == n) return *recent.symbol;
    const Symbol& symbol = internSlowly(text);
    recent = {word, &symbol};
    return symbol;
}

const Symbol& SymbolTable::internSlowly(std::string_view text) {
    const std::uint32_t hash = hashOf(text);
    const std::size_t slot = slotOf(text, hash);
    if (slots_[slot] == 0) return make(text, hash, slot, false);
    const Symbol& symbol = symbolIn(slots_[slot]);
    pin(symbol);
    return symbol;
}

const Symbol& SymbolTable::internComputed(std::string_view text) {
    const std::uint32_t hash = hashOf(text);
    const std::size_t slot = slotOf(text, hash);
    return slots_[slot] != 0 ? symbolIn(slots_[slot]) : make(text, hash, slot, true);
}

const Symbol& SymbolTable::make(std::string_view text, std::uint32_t hash, std::size_t slot, bool transient) {
    // A symbol's length is 32 bits, and its number below numberBits: a longer text, or one symbol
    // more, ends the run as memory running out does.
    if (text.size() > UINT32_MAX || (firstFreed_ == 0 && count_ + 1 >= numberBits)) throw std::bad_alloc();
    static_assert(blockSize * sizeof(Symbol) <= SmallAllocator::largest,
                  "a block of symbols is a small block");
    // Everything that can fail comes first, so a table that runs out of memory stays as it was.
    // Up to half full: a new text is placed after two or three probes rather than eight, and a slot
    // is a word, so the slots of a run that makes millions of texts take no more than eight bytes a
    // text.
    if ((size() + 1) * 2 > slots_.size()) {
        rehash();
        slot = slotOf(text, hash);
    }
    Symbol* place;
    if (firstFreed_ != 0) {
        place = const_cast<Symbol*>(&byId(firstFreed_ - 1));
    } else if ((count_ & (blockSize - 1)) == 0) {
        makeRoomForOne(blocks_);
        filling_ = static_cast<Symbol*>(SmallAllocator::allocate(blockSize * sizeof(Symbol)));
        blocks_.push_back(filling_);
        place = filling_;
    } else {
        place = &filling_[count_ & (blockSize - 1)];
    }
    const std::string_view kept = keep(text, hash, transient); // the last thing that can fail
    std::uint32_t id;
    if (firstFreed_ != 0) {
        id = firstFreed_ - 1;
        firstFreed_ = static_cast<std::uint32_t>(place->state);
        --freed_;
    } else {
        id = count_++;
    }
    Symbol* symbol = new (place) Symbol(Symbol::over(text.size() <= Symbol::headSize ? text : kept, id));
    slots_[slot] = slotFor(hash, id);
    if (transient) symbol->state = transientBit;
    return *symbol;
}

// A text held only by the code read from it goes with its code, once no evaluation reads that: the
// code lets go of the text as it goes, which lists the text again, further on.
void SymbolTable::collect() {
    for (std::size_t i = 0; i < pending_.size(); ++i) {
        const Symbol& symbol = byId(pending_[i]);
        if (!symbol.transient()) continue;
        symbol.state &= ~queuedBit;
        if (symbol.state < holderUnit) {
            free(symbol);
        } else if (symbol.state < 2 * holderUnit && (symbol.state & codeBit) != 0) {
            auto kept = transientCode_.find(symbol.id);
            TextCache* code = kept->second;
            if (code->shared()) continue; // the evaluation lets go of it later
            transientCode_.erase(kept);
            symbol.state &= ~codeBit;
            code->release();
        }
    }
    pending_.clear();
}

// Out of the slots (the entries after it that would not be found past the gap move into it), its
// text given back, its number kept for the next symbol.
void SymbolTable::free(const Symbol& symbol) {
    const std::size_t mask = slots_.size() - 1;
    std::size_t gap = slotOf(symbol.text(), hashIn(symbol));
    for (std::size_t at = (gap + 1) & mask; slots_[at] != 0; at = (at + 1) & mask) {
        const std::size_t wanted = hashIn(symbolIn(slots_[at])) & mask;
        if ((at > gap && (wanted <= gap || wanted > at)) || (at < gap && wanted <= gap && wanted > at)) {
            slots_[gap] = slots_[at];
            gap = at;
        }
    }
    slots_[gap] = Slot{0};
    if (ownsBlock(symbol.size))
        SmallAllocator::release(const_cast<char*>(symbol.bytes) - hashBytes, hashBytes + symbol.size);
    Symbol& freed = const_cast<Symbol&>(symbol);
    freed.bytes = nullptr;
    freed.size = 0;
    freed.state = firstFreed_;
    firstFreed_ = symbol.id + 1;
    ++freed_;
}

const Symbol* SymbolTable::find(std::string_view text) const {
    const Slot found = slots_[slotOf(text, hashOf(text))];
    return found == 0 ? nullptr : &symbolIn(found);
}

const Symbol& SymbolTable::number(std::int32_t n) {
    if (n >= 0 && n < numbersKept) {
        const Symbol*& kept = numbers_[n];
        if (!kept) kept = &intern(formatNumberLiteral(n));
        return *kept;
    }
    return intern(formatNumberLiteral(n));
}
