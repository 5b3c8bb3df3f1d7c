# Decides how this build's programs run on the build machine and writes the answer to
# runner.txt, which the test script prints. Some x86-64 kernels are built without 32-bit
# support, so an i386 build tries a tiny program first and falls back to qemu-i386;
# GLINT_I386_QEMU forces the emulator so that both ways can be checked on one machine.
option(GLINT_I386_QEMU "Run the i386 build's programs under qemu-i386 even where they run natively" OFF)

if(GLINT_PROCESSOR_TAG STREQUAL "i386")
  set(theProbeDir ${CMAKE_BINARY_DIR}/CMakeFiles/i386probe)
  file(WRITE ${theProbeDir}/probe.c "int main(void) { return sizeof(void*) == 4 ? 0 : 1; }\n")
  try_compile(theProbeBuilt ${theProbeDir}/build SOURCES ${theProbeDir}/probe.c
              COPY_FILE ${theProbeDir}/probe)
  if(NOT theProbeBuilt)
    message(FATAL_ERROR "The i386 compiler cannot build a program")
  endif()
  execute_process(COMMAND ${theProbeDir}/probe RESULT_VARIABLE theProbeResult
                  OUTPUT_QUIET ERROR_QUIET TIMEOUT 30)
  if(GLINT_I386_QEMU)
    set(theReason "forced by GLINT_I386_QEMU")
  elseif(NOT theProbeResult STREQUAL "0")
    set(theReason "this kernel cannot run i386 programs")
  endif()
  if(DEFINED theReason)
    find_program(GLINT_QEMU_I386 qemu-i386 REQUIRED)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${GLINT_QEMU_I386})
    set(GLINT_RUNNER "under qemu-i386 (${theReason})")
  else()
    unset(CMAKE_CROSSCOMPILING_EMULATOR)
    set(GLINT_RUNNER "natively")
  endif()
elseif(CMAKE_CROSSCOMPILING_EMULATOR)
  list(JOIN CMAKE_CROSSCOMPILING_EMULATOR " " theEmulator)
  set(GLINT_RUNNER "under ${theEmulator}")
else()
  set(GLINT_RUNNER "natively")
endif()
message(STATUS "Programs of this build run ${GLINT_RUNNER}")
file(WRITE ${CMAKE_BINARY_DIR}/runner.txt "${GLINT_RUNNER}\n")
