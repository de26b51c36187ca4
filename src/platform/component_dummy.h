#pragma once
// The program's only use of the companion library: before the tab pages are
// painted, one Dirvigil.cDummy is created through the component runtime and
// released at once. Nothing is passed, kept or called.

namespace twinsift {

inline constexpr const char* kDummyProgId = "Dirvigil.cDummy";

// Joins and leaves the calling thread's apartment around the creation. A
// library that is missing or not registered is no reason to stop drawing:
// the answer (true when an object was made) is only for tests.
bool PrepareComponentRuntime();

} // namespace twinsift
