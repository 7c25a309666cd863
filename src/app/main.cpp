// SPDX-License-Identifier: GPL-3.0-or-later
// Entry point of the braxel program.
#include <cstdio>

int main() {
  std::puts("braxel");
  return 0;
}
