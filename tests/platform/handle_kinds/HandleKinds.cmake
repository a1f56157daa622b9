# Compiles TextureAsVertexBuffer.cpp twice with COMPILER: with the vertex buffer it expects (must
# compile) and with a texture handle (must not, and the compiler must say why at the call). The
# compiler's text for the texture goes to OUTPUT.
set(flags -std=c++17 -fsyntax-only -I${INCLUDE} ${SOURCE_DIR}/TextureAsVertexBuffer.cpp)
execute_process(COMMAND ${COMPILER} -DBRELVOX_RIGHT_KIND ${flags} RESULT_VARIABLE right ERROR_VARIABLE rightText)
if(NOT right EQUAL 0)
    message(FATAL_ERROR "the vertex buffer handle does not compile:\n${rightText}")
endif()
execute_process(COMMAND ${COMPILER} ${flags} RESULT_VARIABLE wrong ERROR_VARIABLE wrongText)
file(WRITE ${OUTPUT} "${wrongText}")
if(wrong EQUAL 0)
    message(FATAL_ERROR "a texture handle compiles where a vertex buffer handle is expected")
endif()
if(NOT wrongText MATCHES "SetStreamSource" OR NOT wrongText MATCHES "TextureKind")
    message(FATAL_ERROR "the texture handle fails for another reason than its kind:\n${wrongText}")
endif()
message(STATUS "refused as expected:\n${wrongText}")
