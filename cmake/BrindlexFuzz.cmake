# Fuzz targets: libFuzzer programs, one for each reader of untrusted bytes, built by the fuzz preset
# (clang, BRINDLEX_FUZZ) with AddressSanitizer and UndefinedBehaviorSanitizer. Every target lives in a
# fuzz/ folder beside the code it reads with; its seed corpus is fuzz/corpus/<target>/, written by the
# folder's seed program from the program's own writers. tools/fuzz builds bx_fuzz and runs them all.

add_custom_target(bx_fuzz)
set_property(GLOBAL PROPERTY BX_FUZZ_TARGET_LIST "")

# bx_add_fuzz_target(name SOURCES ... LIBS ...)
function(bx_add_fuzz_target name)
    cmake_parse_arguments(FUZZ "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${FUZZ_SOURCES})
    target_link_libraries(${name} PRIVATE ${FUZZ_LIBS} brindlex_warnings)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    add_dependencies(bx_fuzz ${name})
    set_property(GLOBAL APPEND PROPERTY BX_FUZZ_TARGET_LIST
                 "${name} $<TARGET_FILE:${name}> ${CMAKE_CURRENT_SOURCE_DIR}/corpus/${name}")
endfunction()

# bx_add_fuzz_seeds(name SOURCES ... LIBS ...): the program that writes a folder's seed corpora; it is
# given the folder's corpus directory (tools/fuzz --seeds runs it).
function(bx_add_fuzz_seeds name)
    cmake_parse_arguments(SEEDS "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${SEEDS_SOURCES})
    target_link_libraries(${name} PRIVATE ${SEEDS_LIBS} brindlex_warnings)
    add_dependencies(bx_fuzz ${name})
    set_property(GLOBAL APPEND PROPERTY BX_FUZZ_SEEDS_LIST "${name} $<TARGET_FILE:${name}> ${CMAKE_CURRENT_SOURCE_DIR}/corpus")
endfunction()

# The lists tools/fuzz reads: one target a line (name, program, seed corpus), one seed program a line.
function(bx_write_fuzz_lists)
    get_property(targets GLOBAL PROPERTY BX_FUZZ_TARGET_LIST)
    get_property(seeds GLOBAL PROPERTY BX_FUZZ_SEEDS_LIST)
    list(JOIN targets "\n" targetText)
    list(JOIN seeds "\n" seedText)
    file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/fuzz-targets.txt CONTENT "${targetText}\n")
    file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/fuzz-seeds.txt CONTENT "${seedText}\n")
endfunction()
