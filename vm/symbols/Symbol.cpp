// The symbol table.
#include "vm/symbols/Symbol.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "operations/Literals.h"
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

constexpr std::uint64_t golden = 0x9E3779B97F4A7C15ull;

// A word of text into the hash so far: multiplied by the 64-bit golden ratio (an odd constant whose
// bits look random, the multiplier of Fibonacci hashing) and folded, so every input bit reaches the
// high bits kept.
std::uint64_t mixIn(std::uint64_t h, std::uint64_t word) {
    h = (h ^ word) * golden;
    return h ^ h >> 29;
}

// Most texts are short names and number literals: eight bytes at a time. A long text (a string
// built piece by piece is hashed at every piece, whole) goes 32 bytes at a time, in four hashes
// started apart and mixed into one, which the processor works on at once instead of waiting on each
// multiplication. The last few bytes are read as two overlapping words (or three bytes), never byte
// by byte.
std::uint32_t hashOf(std::string_view text) {
    const char* p = text.data();
    std::size_t n = text.size();
    std::uint64_t h = n * golden;
    if (n >= 64) {
        std::uint64_t lanes[4] = {h, h + golden, h + 2 * golden, h + 3 * golden};
        for (; n >= 32; p += 32, n -= 32)
            for (int i = 0; i < 4; ++i)
                lanes[i] = mixIn(lanes[i], load<std::uint64_t>(p + 8 * i));
        h = mixIn(mixIn(mixIn(lanes[0], lanes[1]), lanes[2]), lanes[3]);
    }
    for (; n >= 8; p += 8, n -= 8)
        h = mixIn(h, load<std::uint64_t>(p));
    if (n != 0) h = mixIn(h, shortWord(p, n));
    h *= golden;
    return static_cast<std::uint32_t>(h >> 32);
}

// The value of a number text as the operations write it ("<0>", "<17>": no sign, no leading zero),
// or -1. The operations' own reading of a short integer, less the sign and the "<>" it also takes.
std::int64_t numberValue(std::string_view text) {
    const std::size_t n = text.size();
    if (n < 3 || text[1] < '0' || text[1] > '9' || (text[1] == '0' && n > 3)) return -1;
    std::int32_t value = 0;
    return operations::shortIntegerValue(text, value) ? value : -1;
}

constexpr std::size_t firstNumbers = 1024; // the array from the start: 4 KB

} // namespace

static_assert(sizeof(Symbol) <= 24, "a loop makes a symbol at every turn");

SymbolTable::SymbolTable()
    : slots_(1024, Slot{0}), byValue_(firstNumbers, Slot{0}), wellKnownCode_(wellKnownCount, nullptr) {
    static_assert(wellKnownCount % blockSize == 0, "the well-known symbols fill whole blocks");
    for (std::uint32_t block = 0; block < wellKnownCount; block += blockSize)
        blocks_.push_back(&wellKnownSymbols[block]);
    for (const Symbol& symbol : wellKnownSymbols) {
        const std::int64_t value = numberValue(symbol.text());
        std::uint32_t hash = 0;
        Slot* cell = cellOf(symbol.text(), value, hash); // sets hash for a slot
        enter(cell, hash, symbol.id, value);
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

const SymbolTable::Slot* SymbolTable::cellOf(std::string_view text, std::int64_t value,
                                             std::uint32_t& hash) const {
    if (inArray(value)) return &byValue_[value];
    hash = hashOf(text);
    return &slots_[slotOf(text, hash)];
}

// The symbols are visited in the order they lie in memory, not the slots': each is read once, in
// sequence, instead of at random. Their new slots are at random in a table that outgrew the caches
// long ago (millions of texts): a batch's slots are all asked for before the first is written, so
// their misses overlap instead of following one another.
void SymbolTable::rehash() {
    decltype(slots_) larger(slots_.size() * 2, Slot{0});
    const std::size_t mask = larger.size() - 1;
    constexpr std::uint32_t batch = 32;
    std::uint32_t hashes[batch], ids[batch];
    for (std::uint32_t first = 0; first < count_; first += batch) {
        std::uint32_t n = 0;
        for (std::uint32_t id = first; id < count_ && id < first + batch; ++id) {
            const Symbol& symbol = byId(id);
            if (symbol.empty() && id >= wellKnownCount)
                continue; // freed: only "" is empty, and it is well known
            if (inArray(numberValue(symbol.text()))) continue;
            hashes[n] = hashIn(symbol);
            ids[n] = id;
            __builtin_prefetch(&larger[hashes[n] & mask], 1);
            ++n;
        }
        for (std::uint32_t i = 0; i < n; ++i) {
            std::size_t slot = hashes[i] & mask;
            while (larger[slot] != 0)
                slot = (slot + 1) & mask;
            larger[slot] = slotFor(hashes[i], ids[i]);
        }
    }
    slots_.swap(larger);
}

// Twice the size; the numbers it now holds that were made before leave the slots for it.
void SymbolTable::growNumbers() {
    decltype(byValue_) larger(byValue_.size() * 2, Slot{0});
    std::copy(byValue_.begin(), byValue_.end(), larger.begin());
    byValue_.swap(larger);
    std::uint32_t& moving = slotNumbersOfWidth_[std::bit_width(larger.size())];
    for (std::uint32_t id = wellKnownCount; id < count_ && moving != 0; ++id) {
        const Symbol& symbol = byId(id);
        const std::int64_t value = numberValue(symbol.text());
        if (static_cast<std::uint64_t>(value) < larger.size() || !inArray(value)) continue;
        unslot(symbol);
        --moving;
        byValue_[value] = id + 1;
    }
}

// Past the array, at most twice its size away, once the numbers alive would fill a quarter of the
// larger array: a program that counts grows it as it goes, one that makes a few large numbers
// does not.
bool SymbolTable::growsArrayFor(std::int64_t value) const {
    const auto size = static_cast<std::uint64_t>(byValue_.size());
    const auto wanted = static_cast<std::uint64_t>(value);
    return wanted >= size && wanted < 2 * size && 2 * size <= 4 * (std::uint64_t{numberTexts_} + 1) &&
           2 * size <= (std::uint64_t{1} << 31);
}

// A text and one a byte longer can read the same as a word ("ab", "abb"): the length tells them
// apart.
const Symbol& SymbolTable::intern(std::string_view text) {
    const std::size_t n = text.size();
    if (n == 0 || n > Symbol::headSize) return internSlowly(text);
    const std::uint64_t word = shortWord(text.data(), n);
    Recent& recent = recent_[((word ^ n) * golden) >> (64 - recentBits)];
    if (recent.symbol && recent.word == word && recent.symbol->size == n) return *recent.symbol;
    const Symbol& symbol = internSlowly(text);
    recent = {word, &symbol};
    return symbol;
}

const Symbol& SymbolTable::internSlowly(std::string_view text) {
    const std::int64_t value = numberValue(text);
    std::uint32_t hash = 0;
    Slot* cell = cellOf(text, value, hash);
    if (*cell == 0) return make(text, value, hash, cell, false);
    const Symbol& symbol = symbolIn(*cell);
    pin(symbol);
    return symbol;
}

const Symbol& SymbolTable::internComputed(std::string_view text) {
    const std::int64_t value = numberValue(text);
    std::uint32_t hash = 0;
    Slot* cell = cellOf(text, value, hash);
    return *cell != 0 ? symbolIn(*cell) : make(text, value, hash, cell, true);
}

const Symbol& SymbolTable::make(std::string_view text, std::int64_t value, std::uint32_t hash, Slot* cell,
                                bool transient) {
    // A symbol's length is 32 bits, and its number below numberBits: a longer text, or one symbol
    // more, ends the run as memory running out does.
    if (text.size() > UINT32_MAX || (firstFreed_ == 0 && count_ + 1 >= numberBits)) throw std::bad_alloc();
    static_assert(blockSize * sizeof(Symbol) <= SmallAllocator::largest,
                  "a block of symbols is a small block");
    // Everything that can fail comes first, so a table that runs out of memory stays as it was.
    bool hashed = isSlot(cell);
    if (hashed && value >= 0 && growsArrayFor(value)) {
        growNumbers();
        hashed = false;
    } else if (hashed && (hashed_ + 1) * 2 > slots_.size()) {
        // Up to half full: a new text is placed after two or three probes rather than eight, and a
        // slot is a word, so the slots of a run that makes millions of texts take no more than eight
        // bytes a text.
        rehash();
    }
    // A long text keeps its hash before its bytes, in the array too.
    if (hash == 0 && (hashed || text.size() > Symbol::headSize)) hash = hashOf(text);
    cell = hashed ? &slots_[slotOf(text, hash)] : &byValue_[value];
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
    enter(cell, hash, id, value);
    if (transient) symbol->state = transientBit;
    return *symbol;
}

void SymbolTable::enter(Slot* cell, std::uint32_t hash, std::uint32_t id, std::int64_t value) {
    const bool hashed = isSlot(cell);
    *cell = hashed ? slotFor(hash, id) : id + 1;
    hashed_ += hashed;
    numberTexts_ += value >= 0;
    if (hashed) countSlotNumber(value, true);
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

// Out of the slots (the entries after it that would not be found past the gap move into it).
void SymbolTable::unslot(const Symbol& symbol) {
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
    --hashed_;
}

// Out of its cell, its text given back, its number kept for the next symbol.
void SymbolTable::free(const Symbol& symbol) {
    const std::int64_t value = numberValue(symbol.text());
    numberTexts_ -= value >= 0;
    if (inArray(value)) {
        byValue_[value] = Slot{0};
    } else {
        unslot(symbol);
        countSlotNumber(value, false);
    }
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
    std::uint32_t hash = 0;
    const Slot found = *cellOf(text, numberValue(text), hash);
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
