# Flags for the sanitizer flavours of the few targets that need them. Each flavour is a
# separate set of targets in the same build tree, so one configure builds everything.
set(TANGLEFIX_ASAN_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
set(TANGLEFIX_TSAN_FLAGS -fsanitize=thread -fno-omit-frame-pointer)

# tanglefix_sanitize(TARGET FLAGS...): compile and link TARGET with the given flags.
function(tanglefix_sanitize target)
    target_compile_options(${target} PRIVATE ${ARGN})
    target_link_options(${target} PUBLIC ${ARGN})
endfunction()
