#pragma once

// Shut-down steps with a time bound. The step runs to its end on the calling
// thread (stopping a thread half-way would leave its objects in use); when it
// has not ended within its bound, a watcher writes one line naming it to the
// error stream, so a stuck thread is visible rather than a silent hang.
//
//   "Brakton: ORB thread did not stop within 3000 ms"

#include <chrono>
#include <functional>
#include <ostream>
#include <string>

// The line written for a step that misses its bound.
std::string missedBoundLine(const std::string& name, std::chrono::milliseconds bound);

// Runs `step`; true when it ended within `bound`.
bool runBounded(const std::string& name, std::chrono::milliseconds bound,
                const std::function<void()>& step, std::ostream& err);
