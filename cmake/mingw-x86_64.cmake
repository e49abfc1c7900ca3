# Cross toolchain: 64-bit Windows (x86_64) with mingw-w64, posix thread model.
# Builds what the Win32 tests run on machines that cannot execute 32-bit programs
# (scripts/wine_arch.sh); the shipped DLL is always the i686 one.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
