// The initial world: nil, String, Extern, System, the object registry and the primitives.
#pragma once

class Context;

// Fills the heap's System object and binds the world's names in the global context.
void buildWorld(Context global);
