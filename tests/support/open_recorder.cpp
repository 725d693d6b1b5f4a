// Stands in for the application the shell starts to open a document: appends
// the path it was given, one line, to the file named by MD_OPEN_LOG.
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  const char* log = std::getenv("MD_OPEN_LOG");
  if (log == nullptr) return 1;
  FILE* out = std::fopen(log, "ab");
  if (out == nullptr) return 1;
  std::fprintf(out, "%s\n", argc > 1 ? argv[1] : "");
  std::fclose(out);
  return 0;
}
