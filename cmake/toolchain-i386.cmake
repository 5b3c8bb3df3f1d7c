# 32-bit x86, little-endian, 4-byte pointers.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER gcc-12)
set(CMAKE_CXX_COMPILER g++-12)
set(CMAKE_C_FLAGS_INIT "-m32 -idirafter /usr/include/x86_64-linux-gnu")
set(CMAKE_CXX_FLAGS_INIT "-m32 -idirafter /usr/include/x86_64-linux-gnu")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-m32")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-m32")
set(GLINT_PROCESSOR_TAG i386 CACHE STRING "" FORCE)
# Arithmetic in SSE2, as every Intel Mac had it: x87 would keep single-precision steps in 80 bits.
set(GLINT_FLOAT_OPTIONS -msse2 -mfpmath=sse)
