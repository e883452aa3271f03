/* The baseline for a round trip: read a line, write a fixed reply, flush. */
#include <stdio.h>

int main(void) {
  char line[4096];
  while (fgets(line, sizeof line, stdin) != NULL) {
    fputs("50\r", stdout);
    fflush(stdout);
  }
  return 0;
}
