#pragma once

namespace preview {

// Bounds this process before it touches outside bytes: about 1 GiB of
// address space, a few seconds of CPU time, no core file; a parser that
// faults or runs out of time ends the process with the status that says so
// (sandbox/PreviewProtocol.h) instead of a signal the parent must guess at.
void applyLimits();

} // namespace preview
