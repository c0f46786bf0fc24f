// The heap owns every object of the world. Objects are never freed one by one: <delete> only
// kills an object, so any reference left to it stays valid until the heap is cleared at exit.
#pragma once

#include <utility>
#include <vector>

class Object;

class Heap {
  public:
    static Heap& instance();

    template <class T, class... Args> T* make(Args&&... args) {
        T* object = new T(std::forward<Args>(args)...);
        objects_.push_back(object);
        return object;
    }

    // The System object, whose <objects> member is the registry new objects register in.
    Object* system() const { return system_; }
    void setSystem(Object* system) { system_ = system; }

    // Frees every object. Members are dropped first so that no count is touched on freed memory.
    void clear();

  private:
    Heap() = default;
    ~Heap();
    std::vector<Object*> objects_;
    Object* system_ = nullptr;
};
