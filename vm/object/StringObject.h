// String objects: objects that also carry an immutable byte string.
#pragma once

#include <string>
#include <string_view>

#include "vm/object/Object.h"

// What the runtime keeps with a string object whose text it has read as code, released with the
// object. The object model only holds it.
class TextCache {
  public:
    virtual void release() = 0;

  protected:
    ~TextCache() = default;
};

class StringObject : public Object {
  public:
    // Registers itself under its own text.
    explicit StringObject(const Symbol& text);
    explicit StringObject(std::string_view text) : StringObject(intern(text)) {}
    ~StringObject() override;

    // The text stays readable after a kill: evaluations may still be reading it as code.
    const std::string& text() const { return text_.text; }
    const Symbol& symbol() const { return text_; }

    TextCache* textCache() const { return textCache_; }
    void setTextCache(TextCache* cache) { textCache_ = cache; }

  private:
    const Symbol& text_;
    TextCache* textCache_ = nullptr;
};

// A string object for a literal name: its <id> is itself, its <super> the string prototype.
StringObject* makeLiteralObject(const Symbol& text, Object* prototype);
