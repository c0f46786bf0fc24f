// One pointer of each OS thread's own per class T: which runtime's parts are in use on the thread.
// Native thread-local storage where the compiler has it (on Linux one instruction in the
// initial-exec model); Win32 thread-local storage on Windows, where the compiler's thread_local is
// emulated by a call into its support library that costs several times as much.
#pragma once

#include <utility>

#ifdef _WIN32
#include <atomic>

extern "C" {
__declspec(dllimport) unsigned long __stdcall TlsAlloc(void);
__declspec(dllimport) int __stdcall TlsFree(unsigned long index);
__declspec(dllimport) void* __stdcall TlsGetValue(unsigned long index);
__declspec(dllimport) int __stdcall TlsSetValue(unsigned long index, void* value);
}

template <class T> class ThreadPointer {
  public:
    // Null on a thread that never set one.
    static T* get() { return static_cast<T*>(TlsGetValue(index_.load(std::memory_order_relaxed))); }
    // Sets it and answers the one before. Every get on a thread follows a set on it, so the slot is
    // allocated here, once per class, whichever thread comes first.
    static T* exchange(T* pointer) {
        const unsigned long index = slot();
        T* previous = static_cast<T*>(TlsGetValue(index));
        TlsSetValue(index, pointer);
        return previous;
    }

  private:
    static constexpr unsigned long unset = 0xffffffffu; // TLS_OUT_OF_INDEXES
    static unsigned long slot() {
        unsigned long index = index_.load(std::memory_order_acquire);
        if (index != unset) return index;
        const unsigned long made = TlsAlloc();
        if (!index_.compare_exchange_strong(index, made, std::memory_order_acq_rel)) TlsFree(made);
        return index_.load(std::memory_order_acquire);
    }
    static inline std::atomic<unsigned long> index_{unset};
};
#else
template <class T> class ThreadPointer {
  public:
    static T* get() { return pointer_; }
    static T* exchange(T* pointer) { return std::exchange(pointer_, pointer); }

  private:
    static inline thread_local T* pointer_ = nullptr;
};
#endif
