// A shared object that loads but serves no class.
extern "C" int NotAClassServer() {
  return 0;
}
