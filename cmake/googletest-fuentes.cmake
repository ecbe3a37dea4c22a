# GoogleTest for a cross build: no GoogleTest of the target system is
# installed, so it is built here, with the same compiler as the tests, from
# the sources Debian ships in the googletest package (which libgtest-dev
# brings). The targets are the ones find_package(GTest) gives natively:
# GTest::gtest and GTest::gtest_main.
set(TILDORA_GTEST_FUENTES /usr/src/googletest CACHE PATH "GoogleTest's sources, for cross builds")
if(NOT TARGET GTest::gtest_main)
    if(NOT EXISTS ${TILDORA_GTEST_FUENTES}/CMakeLists.txt)
        message(FATAL_ERROR "GoogleTest's sources not found in ${TILDORA_GTEST_FUENTES} "
                            "(Debian package googletest): bash scripts/instalar.sh installs it")
    endif()
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(${TILDORA_GTEST_FUENTES} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()
