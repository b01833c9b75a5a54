# Cross-building for 64-bit Windows with Debian's mingw-w64 compiler, posix thread model
# (package g++-mingw-w64-x86-64-posix: std::thread and std::mutex work).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(triplet x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${triplet}-windres)

# Statically linked: the program needs only the DLLs every Windows has, not libstdc++,
# libgcc or winpthread beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

# Libraries and packages come from the target's root and from the folders named in
# CMAKE_PREFIX_PATH, which hold Windows builds; never from the host's /usr, whose configs
# pull Linux include and library paths in.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${triplet} ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# ctest and gtest_discover_tests run the Windows programs through wine.
find_program(VELMIRO_WINE wine REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${VELMIRO_WINE})
