// Symbols: texts held once. Every name a statement writes, every member key and every string
// object's text is a symbol, so names and keys compare by address, and the name index finds a
// binding by the symbol's number instead of hashing its text again at every lookup.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/ThreadPointer.h"
#include "vm/memory/SmallAllocator.h"

// What the runtime keeps with a text it has read as code: the symbol table only holds it.
class TextCache {
  public:
    virtual void release() = 0;
    // Whether anything but the table holds it (an evaluation reading it).
    virtual bool shared() const = 0;

  protected:
    ~TextCache() = default;
};

// 24 bytes: a loop makes a number, and so a symbol, at every turn. The table's slots keep part of
// the hash.
//
// Most symbols are pinned: a name read from program text or a member key stays as long as the
// runtime. A text that a primitive computes (an answer of <invoke>) makes a transient symbol
// instead, held only by the string objects with that text, the registry entries keyed by it, the
// bindings named by it and the code read from it; once none is left (or only its code, which no
// evaluation reads), the table frees it with its code at the next statement boundary and reuses its
// number. Anything else that asks the table for the text (intern) pins it.
struct Symbol {
    static constexpr std::size_t headSize = 8;
    // A text of eight bytes or fewer (most names and numbers) is the symbol's head, zero-padded; a
    // longer one is the table's, for as long as the symbol.
    union {
        char head[headSize];
        const char* bytes;
    };
    std::uint32_t size;
    std::uint32_t id; // dense from 0; a freed symbol's number goes to the next one made
    // Pinned: the text read as code (a TextCache*, or 0), kept for every string object with this
    // text: a text never changes. Transient: its holders times eight, plus four when it has been
    // read as code (which holds it), plus two while the table may free it, plus one. Read and
    // written by the SymbolTable alone: the well-known symbols are shared by every table and keep
    // their code there.
    mutable std::uintptr_t state;

    bool transient() const { return (state & 1) != 0; }
    const char* data() const { return size <= headSize ? head : bytes; }
    std::string_view text() const { return {data(), size}; }
    bool empty() const { return size == 0; }
    // The first eight bytes, zero-padded, read as a big-endian number: they order most pairs of
    // texts without reading the texts (the registry is a tree of many thousand texts).
    std::uint64_t prefix() const {
        std::uint64_t word;
        std::memcpy(&word, data(), sizeof word);
        if constexpr (std::endian::native == std::endian::little) word = byteSwapped(word);
        return word;
    }
    bool operator<(const Symbol& other) const {
        const std::uint64_t mine = prefix(), theirs = other.prefix();
        if (mine != theirs) return mine < theirs;
        return this != &other && text() < other.text();
    }

    // A symbol over text (which stays where it is when longer than the head), numbered id.
    static constexpr Symbol over(std::string_view text, std::uint32_t id) {
        Symbol symbol{{}, static_cast<std::uint32_t>(text.size()), id, 0};
        if (text.size() > headSize)
            symbol.bytes = text.data();
        else
            for (std::size_t i = 0; i < text.size(); ++i)
                symbol.head[i] = text[i];
        return symbol;
    }

  private:
    static std::uint64_t byteSwapped(std::uint64_t word) {
        word = (word & 0x00000000FFFFFFFFull) << 32 | (word & 0xFFFFFFFF00000000ull) >> 32;
        word = (word & 0x0000FFFF0000FFFFull) << 16 | (word & 0xFFFF0000FFFF0000ull) >> 16;
        return (word & 0x00FF00FF00FF00FFull) << 8 | (word & 0xFF00FF00FF00FF00ull) >> 8;
    }
};

class SymbolTable {
  public:
    // Starts with the well-known symbols (Names.h), which every table shares.
    SymbolTable();
    // Its memory goes with the runtime's allocator.
    ~SymbolTable() = default;
    SymbolTable(const SymbolTable&) = delete;
    SymbolTable& operator=(const SymbolTable&) = delete;

    // The table of the runtime in use on this OS thread.
    static SymbolTable& current() { return *ThreadPointer<SymbolTable>::get(); }
    static SymbolTable* exchangeCurrent(SymbolTable* table) {
        return ThreadPointer<SymbolTable>::exchange(table);
    }

    // The symbol of text, made on first use, and pinned: it lives as long as the table.
    const Symbol& intern(std::string_view text);
    // The symbol of a text a primitive computed, made transient when new: the caller holds it at
    // once (a string object made with it), and it is freed at the statement boundary after its
    // last holder goes. One never held stays.
    const Symbol& internComputed(std::string_view text);
    // The symbol of text if it was ever made: a text never made is bound to nothing and keys nothing.
    // The answer is for the statement under way: it pins nothing.
    const Symbol* find(std::string_view text) const;
    // How many symbols are alive.
    std::size_t size() const { return count_ - freed_; }
    // "<n>", kept at hand for the few keys of parameter objects.
    const Symbol& number(std::int32_t n);
    // The code read from symbol's text, or null; a transient text's is kept apart, by number.
    TextCache* codeOf(const Symbol& symbol) const;
    void keepCode(const Symbol& symbol, TextCache* code);

    // A string object, registry entry or binding that holds symbol begins and ends; nothing for a
    // pinned symbol.
    // Static: most symbols are pinned, and the table in use is looked up only for a transient one.
    static void hold(const Symbol& symbol) {
        if (symbol.transient()) symbol.state += holderUnit;
    }
    static void unhold(const Symbol& symbol) {
        if (symbol.transient()) current().letGo(symbol, symbol.state -= holderUnit);
    }
    void unholdId(std::uint32_t id) { unhold(byId(id)); }
    // The symbol numbered id, which something holds (a binding, a member key).
    const Symbol& byNumber(std::uint32_t id) const { return byId(id); }
    // Keeps symbol for as long as the table: it is no longer counted (its code, if any, moves in).
    void pin(const Symbol& symbol) noexcept {
        if (symbol.transient()) pinTransient(symbol);
    }
    // The code read from a transient text is held by the table alone again.
    void codeLetGo(const Symbol& symbol) {
        if (symbol.transient()) letGo(symbol, symbol.state);
    }
    // At a statement boundary, when anything may have been let go: frees the transient symbols that
    // nothing holds, their texts and their slots.
    bool hasReleased() const { return !pending_.empty(); }
    void collect();

  private:
    // A parser reads the same short names again and again ("a", "nil", "<F>"): the symbol last
    // interned for each short text (pinned, so it stays) waits in a small direct-mapped table in front
    // of the slots, found by the text's bytes in a word without a hash or a probe.
    struct Recent {
        std::uint64_t word;
        const Symbol* symbol;
    };
    static constexpr unsigned recentBits = 10; // 16 KB
    std::array<Recent, std::size_t{1} << recentBits> recent_{};
    const Symbol& internSlowly(std::string_view text);

    // The slot that holds text, or the empty slot where it would go.
    std::size_t slotOf(std::string_view text, std::uint32_t hash) const;
    // The cell that holds the symbol of text, whose numberValue is value, or would: the number
    // array's, or a slot (then hash is text's hash).
    const std::uint32_t* cellOf(std::string_view text, std::int64_t value, std::uint32_t& hash) const;
    std::uint32_t* cellOf(std::string_view text, std::int64_t value, std::uint32_t& hash) {
        return const_cast<std::uint32_t*>(std::as_const(*this).cellOf(text, value, hash));
    }
    bool isSlot(const std::uint32_t* cell) const {
        const std::less<const std::uint32_t*> before;
        return !before(cell, slots_.data()) && before(cell, slots_.data() + slots_.size());
    }
    void rehash();

    // Open addressing, a power of two in size and at most half full: a lookup is one hash of the
    // text and, nearly always, one comparison. A slot is one word: the symbol's number plus one in
    // its low bits (0: an empty slot), and the top bits of its text's hash, so a probe past another
    // text reads that symbol one time in sixteen (with millions of symbols, each read is a cache
    // miss). Moving a slot (a rehash, a removal) finds the hash again: a short text is hashed, a
    // longer one keeps its hash before its bytes.
    using Slot = std::uint32_t;
    static constexpr Slot numberBits = (Slot{1} << 28) - 1; // ids below that: more symbols than memory
    static Slot slotFor(std::uint32_t hash, std::uint32_t id) { return (hash & ~numberBits) | (id + 1); }
    const Symbol& symbolIn(Slot slot) const { return byId((slot & numberBits) - 1); }
    // The hash of a symbol's text, found again.
    static std::uint32_t hashIn(const Symbol& symbol);
    std::vector<Slot, SmallBlocks<Slot>> slots_;
    std::uint32_t hashed_ = 0; // symbols in the slots

    // The numbers the operations write, "<0>", "<1>", ..., are most of the texts a program computes,
    // and a loop makes them in order: below the array's size they are found by their value, the
    // symbol's number plus one in the cell, their neighbours' cells at hand, instead of at random in
    // slots that outgrew the caches. The array grows (it never shrinks, so a number never goes back to
    // the slots) when a number just past it is made and the numbers alive would fill a quarter of it.
    std::vector<Slot, SmallBlocks<Slot>> byValue_;
    std::uint32_t numberTexts_ = 0; // symbols alive whose text is such a number, in the array or not
    // Of those, the ones in the slots, by the bit width of their value: the numbers that a larger
    // array takes from the slots are one width, and most often none.
    std::array<std::uint32_t, 40> slotNumbersOfWidth_{};
    void countSlotNumber(std::int64_t value, bool made) {
        if (value < 0) return;
        std::uint32_t& count = slotNumbersOfWidth_[std::bit_width(static_cast<std::uint64_t>(value))];
        count = made ? count + 1 : count - 1;
    }
    bool inArray(std::int64_t value) const {
        return value >= 0 && static_cast<std::uint64_t>(value) < byValue_.size();
    }
    // Writes the new symbol id into its cell, a slot or the array's, and counts it where it went.
    void enter(Slot* cell, std::uint32_t hash, std::uint32_t id, std::int64_t value);
    bool growsArrayFor(std::int64_t value) const;
    void growNumbers();

    // The symbols in blocks of a fixed power of two, never moved once made: a symbol's number
    // finds it with a shift and a mask. The first blocks are the well-known symbols.
    static constexpr std::uint32_t blockBits = 5; // 768 bytes: a block from the pool
    static constexpr std::uint32_t blockSize = 1u << blockBits;
    const Symbol& byId(std::uint32_t id) const { return blocks_[id >> blockBits][id & (blockSize - 1)]; }
    std::vector<const Symbol*, SmallBlocks<const Symbol*>> blocks_;
    Symbol* filling_ = nullptr; // the last block, while symbols are made in it
    std::uint32_t count_ = 0;

    // The texts' bytes. Pinned symbols never go, so their texts lie end to end in the pool's chunks
    // (large pages once there are many) instead of one allocation each; a short transient text is
    // a block of its own, given back with it.
    std::string_view keep(std::string_view text, std::uint32_t hash, bool transient);
    static constexpr std::size_t hashBytes = sizeof(std::uint32_t);
    static bool ownsBlock(std::size_t size);
    const Symbol& make(std::string_view text, std::int64_t value, std::uint32_t hash, Slot* cell,
                       bool transient);
    void free(const Symbol& symbol);
    void unslot(const Symbol& symbol);
    // The freed symbols are linked through their state words (the next one's number plus one).
    std::uint32_t firstFreed_ = 0;
    std::uint32_t freed_ = 0;
    // Transient symbols let go of since the last statement boundary, which may be freed.
    std::vector<std::uint32_t, SmallBlocks<std::uint32_t>> pending_;
    static constexpr std::uintptr_t transientBit = 1, queuedBit = 2, codeBit = 4, holderUnit = 8;
    // The code read from transient texts, by number: their state words count holders.
    std::unordered_map<std::uint32_t, TextCache*, std::hash<std::uint32_t>, std::equal_to<std::uint32_t>,
                       SmallBlocks<std::pair<const std::uint32_t, TextCache*>>>
        transientCode_;
    void pinTransient(const Symbol& symbol) noexcept;
    // Lists a transient symbol once nothing holds it, or only the code read from it.
    void letGo(const Symbol& symbol, std::uintptr_t state) noexcept {
        if ((state & queuedBit) == 0 && state < 2 * holderUnit && (state < holderUnit || (state & codeBit)))
            queue(symbol);
    }
    // Let go of by its last holder, which must not fail: without room to list it, it stays for good.
    void queue(const Symbol& symbol) noexcept {
        try {
            pending_.push_back(symbol.id);
            symbol.state |= queuedBit;
        } catch (...) {
            pinTransient(symbol);
        }
    }

    static constexpr std::int32_t numbersKept = 64;
    const Symbol* numbers_[numbersKept] = {};
    std::vector<TextCache*, SmallBlocks<TextCache*>> wellKnownCode_;
};

// Shorthands: the symbol of a text in the table in use.
inline const Symbol& intern(std::string_view text) {
    return SymbolTable::current().intern(text);
}
