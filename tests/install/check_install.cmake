# Installs the files shipped with the program into a new prefix and checks that each arrives whole
# where the program looks for it, and that the build folder holds a copy beside the program.
#   cmake -DSOURCE_DIR=... -DBUILD_DIR=... -DPREFIX=... -P check_install.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}" --component shipped
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
foreach(copy "${PREFIX}/share/quellmire/manual.html" "${BUILD_DIR}/manual.html")
    if(NOT EXISTS "${copy}")
        message(FATAL_ERROR "missing: ${copy}")
    endif()
    file(SHA256 "${copy}" copied)
    file(SHA256 "${SOURCE_DIR}/assets/manual.html" shipped)
    if(NOT copied STREQUAL shipped)
        message(FATAL_ERROR "differs from assets/manual.html: ${copy}")
    endif()
endforeach()
file(REMOVE_RECURSE "${PREFIX}")
