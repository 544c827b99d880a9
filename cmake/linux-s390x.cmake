# s390x, a big-endian machine
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(QUORVEL_TRIPLET s390x-linux-gnu)
set(QUORVEL_QEMU qemu-s390x)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
