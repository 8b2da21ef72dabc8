# 32-bit Linux build with the build machine's g++ (-m32, Debian's multilib),
# for the tests on a processor with SSE but no SSE2: the test programs run
# under qemu's user-mode emulation of a Pentium III.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KESTRIMO_TARGET_I686 ON)

set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_FLAGS_INIT -m32)
set(CMAKE_CXX_FLAGS_INIT -m32)
set(CMAKE_EXE_LINKER_FLAGS_INIT -m32)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -m32)
set(CMAKE_MODULE_LINKER_FLAGS_INIT -m32)
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)

# qemu's Pentium III runs SSE2 instructions all the same; the plugin built by
# tests/imaging stops the program on the first one. The tests check that it
# does, and that the scalar kernels run on this processor.
set(KESTRIMO_CPU_WITHOUT_SSE2 ON)
set(KESTRIMO_SSE2_TRAP ${CMAKE_BINARY_DIR}/kestrimo-sse2-trap.so)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-i386 -cpu pentium3 -plugin
    ${KESTRIMO_SSE2_TRAP},list=${CMAKE_CURRENT_LIST_DIR}/../tests/imaging/no-sse2/sse-instructions.txt)
