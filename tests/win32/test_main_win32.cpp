#include <gtest/gtest.h>
#include <windows.h>

int main(int argc, char** argv) {
  // Keep system error boxes from blocking an unattended run.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
