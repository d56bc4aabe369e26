# 32-bit x86: Debian's i686 cross compiler over the machine's multiarch i386
# libraries. Its programs run on an x86-64 host as they are; naming `env` as
# their emulator lets the build run its generators. A host without the
# 32-bit interface names qemu-i386 instead (scripts/cross-build). The compiler has no
# 128-bit integer, which the level tools' exact geometry uses: int128.h
# stands in for it.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_CXX_COMPILER i686-linux-gnu-g++)
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR env)
endif()
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/i386-linux-gnu/pkgconfig:/usr/share/pkgconfig)
set(CMAKE_CXX_FLAGS_INIT "-include ${CMAKE_CURRENT_LIST_DIR}/int128.h")
