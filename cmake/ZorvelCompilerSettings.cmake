# Warnings, sanitizer switch and the per-target defaults every project target uses.
add_compile_options(-Wall -Wextra)
if(ZORVEL_WERROR)
  add_compile_options(-Werror)
endif()

if(ZORVEL_SANITIZE)
  add_compile_options(-fsanitize=${ZORVEL_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${ZORVEL_SANITIZE})
endif()

# Fuzzing builds: every object carries libFuzzer's coverage hooks, ASan and UBSan.
if(ZORVEL_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

# Shared libraries must not leave symbols undefined: a missing definition shows at link time.
# (Not in fuzzing builds: clang's sanitizer runtime lives in the executable only.)
if(NOT ZORVEL_FUZZ)
  add_link_options($<$<STREQUAL:$<TARGET_PROPERTY:TYPE>,SHARED_LIBRARY>:LINKER:--no-undefined>)
  add_link_options($<$<STREQUAL:$<TARGET_PROPERTY:TYPE>,MODULE_LIBRARY>:LINKER:--no-undefined>)
endif()
