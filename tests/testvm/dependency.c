/* A library that the broken test VM needs and the tests leave out. */
__declspec(dllexport) int testvmDependency(void) { return 1; }
