# Release files must be rebuildable bit for bit from the same commit in any
# folder, and hardened as the platform's own packages are.

# No build folder's path may reach a binary (through __FILE__ or debug
# information). The build folder sits inside the source folder, so it is
# mapped last, and the later option wins.
add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}=.
                    -ffile-prefix-map=${CMAKE_BINARY_DIR}=.)

if(WIN32)
  # The linker would write the time of linking into the PE header (and so its
  # checksum). ASLR with high-entropy addresses and NX are binutils' defaults;
  # they are named here so that a change of toolchain cannot drop them.
  add_link_options(-Wl,--no-insert-timestamp -Wl,--dynamicbase -Wl,--high-entropy-va
                   -Wl,--nxcompat)
else()
  # Debian's usual hardening. Fortification needs optimisation and is left to
  # the sanitizers in their builds, which check more than it does.
  add_compile_options(-fstack-protector-strong)
  if(NOT TARNWELL_SANITIZE)
    add_compile_definitions($<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:_FORTIFY_SOURCE=2>)
  endif()
  add_link_options(-Wl,-z,relro -Wl,-z,now)
endif()
