# Cross compile for 64-bit Windows: the same program, for running the tests where the kernel has no
# 32-bit emulation.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
