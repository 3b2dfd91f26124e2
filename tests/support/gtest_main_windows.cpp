// Test entry point of the Windows build: GoogleTest's usual one, with
// standard output switched to binary so that test listings and reports reach
// CTest with plain line feeds, as they do on POSIX.
#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  ::_setmode(::_fileno(stdout), _O_BINARY);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
