# Cross-compiling for another Linux machine with Debian's cross compilers,
# the tests run under qemu-user. Included by the toolchain file of each
# target, which sets QUORVEL_TRIPLET (aarch64-linux-gnu, say) and QUORVEL_QEMU.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_C_COMPILER ${QUORVEL_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${QUORVEL_TRIPLET}-g++)
set(CMAKE_STRIP ${QUORVEL_TRIPLET}-strip)
set(CMAKE_OBJDUMP ${QUORVEL_TRIPLET}-objdump)
set(CMAKE_FIND_ROOT_PATH /usr/${QUORVEL_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The C++ runtime is linked in, so the packages need the C library alone, at
# the version the binary's symbols ask for.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-libstdc++ -static-libgcc")
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/${QUORVEL_QEMU} -L /usr/${QUORVEL_TRIPLET})
