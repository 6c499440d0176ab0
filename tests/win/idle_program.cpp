// A stand-in for a running game: it does nothing for a minute, or until it is ended.
#include <windows.h>

int main() {
  ::Sleep(60000);
  return 0;
}
