#pragma once

namespace sowmere::mining {

// Thrown out of the event pump of a mining run once the user has chosen to quit in the middle
// of it: every run in progress unwinds at once, and each catches it at its own start.
struct RunAborted {};

}  // namespace sowmere::mining
