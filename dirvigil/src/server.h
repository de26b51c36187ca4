#pragma once
// Module-wide bookkeeping of the in-process server.

namespace Dirvigil {

// Live objects and class-factory locks; the library may unload when both are 0.
void ObjectCreated();
void ObjectDestroyed();

} // namespace Dirvigil
