# Cross-compiles Huesift for 64-bit Windows: the 32-bit program's twin for
# hosts and users that run 64-bit code only. SSE2 is part of x86-64, so no
# instruction-set flags are needed.
set(HUESIFT_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
