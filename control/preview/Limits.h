#pragma once

namespace preview {

// Bounds this process before it touches outside bytes: about 1 GiB of
// address space, no core file, and CPU time: a few seconds for each request
// (startRequest()) within a total the parent stays below by starting a new
// child after so many requests. A parser that
// faults or runs out of time ends the process with the status that says so
// (sandbox/PreviewProtocol.h) instead of a signal the parent must guess at.
void applyLimits();
void startRequest();

} // namespace preview
