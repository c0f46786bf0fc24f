// What keeps the server process alive: live objects and client locks.
#pragma once

class ServerLock {
  public:
    virtual ~ServerLock() = default;

    // One more live object or client lock.
    virtual void lock() = 0;
    // One fewer; the owner decides what happens when none are left.
    virtual void unlock() = 0;
};
