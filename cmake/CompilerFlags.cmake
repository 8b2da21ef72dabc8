# Flags shared by every target of both builds.
# Float sums must stay in the order the code states: no contraction into FMA,
# and on i686 SSE arithmetic instead of x87 extended precision. The i686 code
# asks only for SSE, the host's minimum: single precision goes to SSE, double
# precision would go to the x87 unit, so no bit-exact result is computed in
# double. SSE2 and AVX2 are only in the kernels chosen at run time
# (imaging/CMakeLists.txt).
add_compile_options(-Wall -Wextra -ffp-contract=off)
if(CMAKE_SYSTEM_PROCESSOR MATCHES "i.86" OR KESTRIMO_TARGET_I686)
  add_compile_options(-msse -mfpmath=sse)
endif()

if(WIN32)
  # Everything but the Windows system DLLs is linked in: libgcc, libstdc++, winpthread.
  add_link_options(-static -static-libgcc -static-libstdc++)
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501)
endif()
