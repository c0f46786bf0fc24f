// Evaluations and their step.
#include "vm/runtime/Evaluation.h"

#include <cstddef>
#include <new>

#include "platform/Assert.h"
#include "vm/runtime/RunObserver.h"
#include "vm/runtime/Thread.h"
#include "vm/runtime/ThreadPool.h"
#include "vm/statements/Statement.h"

static_assert(sizeof(Evaluation) <= 16, "a loop keeps an evaluation per iteration");

// A block of children, and the parent of its first one (the last one of the block before, or the
// root), which a child at slot 0 reads through its own address.
struct RootEvaluation::Block {
    const Evaluation* parentOfFirst;
    alignas(Evaluation) unsigned char entries[perBlock * sizeof(Evaluation)];

    Evaluation* entry(std::size_t slot) {
        return reinterpret_cast<Evaluation*>(entries + slot * sizeof(Evaluation));
    }
    static const Block& of(const Evaluation* first) {
        return *reinterpret_cast<const Block*>(reinterpret_cast<const unsigned char*>(first) -
                                               offsetof(Block, entries));
    }
};

const Evaluation* Evaluation::parent() const {
    if (root_) return nullptr;
    if (slot_ != 0) return this - 1;
    return RootEvaluation::Block::of(this).parentOfFirst;
}

RootEvaluation::RootEvaluation(CodeRef code, Thread* thread)
    : Evaluation(std::move(code), true, 0), thread_(thread), innermost_(this) {}

RootEvaluation::RootEvaluation(CharStream text, Thread* thread)
    : RootEvaluation(CodeRef::adopt(Code::make(std::move(text), Code::Keeping::Latest)), thread) {}

RootEvaluation::~RootEvaluation() {
    while (children_ != 0)
        retire();
    for (Block* block : blocks_)
        SmallAllocator::release(block, sizeof(Block));
}

Evaluation* RootEvaluation::at(std::size_t index) const {
    return blocks_[index / perBlock]->entry(index % perBlock);
}

// A block goes once the chain is a whole block below it: a call and its return at a block's edge do
// not take and give back a block each time.
void RootEvaluation::retire() {
    Evaluation* child = innermost_;
    const bool firstOfBlock = child->slot_ == 0;
    innermost_ = firstOfBlock ? const_cast<Evaluation*>(Block::of(child).parentOfFirst) : child - 1;
    child->~Evaluation();
    --children_;
    if (firstOfBlock && blocks_.size() > children_ / perBlock + 2) [[unlikely]] {
        SmallAllocator::release(blocks_.back(), sizeof(Block));
        blocks_.pop_back();
    }
}

// Invariants: only the innermost evaluation of a chain can be finished, since an evaluation
// with a child asks its parser for nothing. So a step looks at the innermost one alone: if it
// is finished (and not the root), its parent retires it; otherwise it runs its next statement.
bool RootEvaluation::step() {
    Thread* thread = thread_;
    ThreadPool* pool = thread->pool();
    Evaluation* innermost = innermost_;
    bool ran = true;
    if (innermost != this && innermost->finished_) {
        if (pool) pool->setCurrentEvaluation(const_cast<Evaluation*>(innermost->parent()), this);
        thread->popContext();
        retire();
    } else {
        if (pool) pool->setCurrentEvaluation(innermost, this);
        // The statement is read (and kept by its code) before the pool is asked for a turn, so a
        // cut here finds it again, read once, when the run goes on.
        Statement* statement = innermost->code_->statement(innermost->next_);
        if (!statement) {
            innermost->finish(thread);
        } else if (pool && !pool->takeTurn()) {
            ran = false;
        } else {
            ++innermost->next_;
            statement->setThread(thread);
            statement->execute();
        }
    }
    if (pool) pool->setCurrentEvaluation(nullptr, nullptr);
    return ran;
}

void Evaluation::finish(Thread* thread) {
    if (RunObserver* observer = runObserver()) observer->finished(*this, *code_.get());
    if (!root_) code_->noteFrameSize(thread->currentContext().size());
    finished_ = true;
    code_ = CodeRef(); // the frame stays until it is retired; what it read can go now
}

Evaluation* RootEvaluation::startChild(CodeRef code) {
    static_assert(sizeof(Block) <= SmallAllocator::largest, "a block of children is a small block");
    const std::size_t slot = children_ % perBlock;
    Block* block;
    if (slot == 0) [[unlikely]] {
        if (children_ == blocks_.size() * perBlock) {
            makeRoomForOne(blocks_);
            blocks_.push_back(static_cast<Block*>(SmallAllocator::allocate(sizeof(Block))));
        }
        block = blocks_[children_ / perBlock];
        block->parentOfFirst = innermost_;
    } else {
        block = blocks_[children_ / perBlock];
    }
    auto* child =
        new (block->entry(slot)) Evaluation(std::move(code), false, static_cast<std::uint16_t>(slot));
    ++children_;
    innermost_ = child;
    thread_->pushNewContext();
    return child;
}
