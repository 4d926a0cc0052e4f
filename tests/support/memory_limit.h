// A limit on the memory of a test's child process.
#pragma once

// Limits this process's address space to what it holds now plus extraKb, so
// that what it allocates next fails beyond that. False when it cannot.
// (AddressSanitizer reserves more address space than such a limit leaves.)
bool limitAddressSpace(long extraKb);
