# Flags shared by every target of both builds.
# Float sums must stay in the order the code states: no contraction into FMA,
# and on i686 SSE arithmetic instead of x87 extended precision.
add_compile_options(-Wall -Wextra -ffp-contract=off)
if(CMAKE_SYSTEM_PROCESSOR MATCHES "i.86" OR KESTRIMO_TARGET_I686)
  add_compile_options(-msse2 -mfpmath=sse)
endif()

if(WIN32)
  # Everything but the Windows system DLLs is linked in: libgcc, libstdc++, winpthread.
  add_link_options(-static -static-libgcc -static-libstdc++)
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501)
endif()
