# What both MinGW-w64 cross builds share; the including toolchain file sets
# HUESIFT_MINGW_TRIPLE and CMAKE_SYSTEM_PROCESSOR first. The posix threading
# model makes std::thread and std::atomic work; programs are linked statically
# so they need no MinGW runtime DLL beside them, and run under Wine.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER   ${HUESIFT_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${HUESIFT_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${HUESIFT_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${HUESIFT_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# scripts/lib/wine-session.sh puts the loader of the build's kind first on PATH
# as `wine`.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
