# Cross-build for 32-bit (i686) Windows with MinGW-w64. Its programs cannot
# run where the kernel lacks 32-bit support, so no emulator is named: the
# build then registers only the checks that read its images (see tests/image).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TARN_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
