// A tiny library the shared-library test loads by path.
extern "C" int j4TestAnswer() {
    return 42;
}
