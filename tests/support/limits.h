// Time and memory limits for tests of faults that hang or grow without end:
// a hang fails its test within seconds instead of holding up the suite, and
// memory that runs away fails at the limit instead of taking the machine.
#pragma once

#include <functional>
#include <string>

// AddressSanitizer reserves more address space than any limit on it
// leaves: under it the limits on memory are left out (the time limits stay).
bool addressSpaceLimitable();

// Limits this process's address space to megabytes (when limitable).
void limitAddressSpace(long megabytes);
// The address space this process holds now, in kB (VmSize); 0 when unknown.
long addressSpaceKb();

struct BoundedRun {
    bool finished = false;  // ended within the time
    bool passed = false;    // and body returned true
    std::string output;     // its standard error
};

// Runs body in a child process given seconds of wall time and megabytes of
// address space beyond what this process holds now; a child that runs over
// the time is killed. body reports what went wrong on standard error.
BoundedRun runBounded(double seconds, long megabytes, const std::function<bool()>& body);

// Shell words that run the command after them under the limits (for
// runTool's env): "timeout -s KILL S prlimit --as=BYTES".
std::string boundedCommand(double seconds, long megabytes);
