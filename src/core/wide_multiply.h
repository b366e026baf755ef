// Whether the core multiplies with 128-bit integers. Compilers for 64-bit
// machines have them, those for the 32-bit product do not; defining
// ORBELA_NO_INT128 makes a native build take the 32-bit product's path, so
// that the sanitizers and the fuzzer see that arithmetic too.
#pragma once

#if defined(__SIZEOF_INT128__) && !defined(ORBELA_NO_INT128)
#define CORE_HAS_INT128 1
#endif
