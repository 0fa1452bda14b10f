/* A library without the "CheckOption" export, for tests. */
__attribute__((visibility("default"))) int SomethingElse(void) { return 0; }
