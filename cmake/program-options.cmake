# Compile and link options of the shipped programs, SETUP.EXE, UNINST.EXE and
# the download front WEBSTUB.EXE, and of the libraries they are built from.
# They keep SETUP.EXE and UNINST.EXE within 48 KB (scripts/check-size.sh, the
# test program_size) and WEBSTUB.EXE within 24 KB (scripts/check-imports.sh),
# on the platform's own C runtime, msvcrt.dll.

# msvcrt.dll's printf and scanf family, not MinGW's own C99 copies (some
# 55 KB in each program). libstdc++'s configuration header would turn those
# copies back on (os_defines.h), and the programs use none of the C++
# library: its headers stay out (-nostdinc++), the C library's are used.
# Formats must be ones Visual C++ 4.2's msvcrt.dll reads (%I64u, not %llu);
# FormatText (core/text.cpp) copes with _vsnprintf's cut texts.
# No C++ exceptions or run-time type information in the programs (plain
# procedural code), so no libstdc++/libgcc unwinder. Each function in a
# section of its own, so that --gc-sections drops the ones a program does not
# use (not -fdata-sections: MinGW's GCC then puts zero-filled data in .data$
# sections, which take file bytes).
# No jump tables: each is a table of absolute addresses in .rdata with a
# base relocation per entry, larger than the compares it replaces.
set(PROGRAM_COMPILE_OPTIONS
  -D__USE_MINGW_ANSI_STDIO=0 -nostdinc++ -fno-exceptions -fno-rtti
  -fno-threadsafe-statics -ffunction-sections -fno-ident -fomit-frame-pointer
  -fno-jump-tables)
# The shipped i686 programs: no unwind tables (32-bit Windows unwinds through
# frame-based handlers and needs none), and 32-bit Windows keeps the stack
# 4-byte aligned, so none is realigned to 16. The x86_64 test build keeps
# its unwind tables, which 64-bit Windows walks when it dispatches an exception.
# Arguments pushed, not stored into a frame reserved for the largest call
# (a sixth of the code): GCC reserves that frame whenever it may probe the
# stack, so the probe is off. It only ever runs for a frame of 4000 bytes
# or more, past the stack's guard page; no function may have one, nor an
# array sized at run time (both errors).
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  list(APPEND PROGRAM_COMPILE_OPTIONS -fno-asynchronous-unwind-tables -fno-unwind-tables
    -mpreferred-stack-boundary=2 -mno-stack-arg-probe -mno-accumulate-outgoing-args
    -Werror=frame-larger-than=3900 -Werror=vla)
endif()
# Unused sections dropped. win32/program_start.cpp is the entry in place of
# MinGW's start-up code (argv, TLS, floating point and pseudo-relocation
# set-up: some 9.5 KB with its sections); without that code nothing may be
# auto-imported from a DLL, and --disable-auto-import makes it a link error.
# The base relocations (.reloc) stay: ld writes them for any executable with
# exports (KelWndProc, MainDlgFunc, DlgViewSetup).
set(PROGRAM_LINK_OPTIONS -Wl,--gc-sections -nostartfiles -Wl,--disable-auto-import)

# The static libraries of this project that TARGET links, directly or
# through another one, appended to the list named by OUT.
function(program_libraries target out)
  set(found ${${out}})
  get_target_property(items ${target} LINK_LIBRARIES)
  foreach(item IN LISTS items)
    if(TARGET ${item} AND NOT item IN_LIST found)
      get_target_property(type ${item} TYPE)
      get_target_property(imported ${item} IMPORTED)
      if(type STREQUAL "STATIC_LIBRARY" AND NOT imported)
        list(APPEND found ${item})
        program_libraries(${item} found)
      endif()
    endif()
  endforeach()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

# Run once every target is defined (the end of the top-level CMakeLists.txt).
function(apply_program_options)
  set(libraries "")
  foreach(program setup uninst webstub)
    if(NOT TARGET ${program})
      message(FATAL_ERROR "program-options.cmake: no target ${program}")
    endif()
    target_compile_options(${program} PRIVATE ${PROGRAM_COMPILE_OPTIONS})
    target_link_options(${program} PRIVATE ${PROGRAM_LINK_OPTIONS})
    target_sources(${program} PRIVATE ${CMAKE_SOURCE_DIR}/win32/program_start.cpp)
    program_libraries(${program} libraries)
  endforeach()
  foreach(library IN LISTS libraries)
    target_compile_options(${library} PRIVATE ${PROGRAM_COMPILE_OPTIONS})
  endforeach()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL apply_program_options)
