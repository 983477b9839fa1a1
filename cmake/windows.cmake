# The Windows build: cross-built on Debian with cmake/toolchain-mingw64.cmake
# (the `windows` preset). The top CMakeLists.txt reads this file only when
# WIN32; the Linux build never does.

# Static programs: besides Windows' own system libraries (KERNEL32, USER32,
# ...) they need only the C runtime msvcrt.dll, which every Windows has.
# Stripped in Release.
add_link_options(-static $<$<CONFIG:Release,MinSizeRel>:-s>)
# The wide-character API; Windows 7 is the oldest system the programs start on.
add_compile_definitions(UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0601
                        WINVER=0x0601)

# ---- CLI11 and nlohmann-json from a folder of their own ----------------------
# Debian's CMake packages of the two header-only libraries name /usr/include,
# which would put glibc's headers before mingw-w64's. Their headers are copied
# into build-windows/cross-root/include, and two small package files there
# describe them to find_package.
include(CMakePackageConfigHelpers)
set(DELAYSUB_CROSS_HEADERS /usr/include CACHE PATH
    "The folder that holds the CLI11 (CLI/) and nlohmann-json (nlohmann/) headers")
set(_cross_root ${CMAKE_BINARY_DIR}/cross-root)
file(COPY ${DELAYSUB_CROSS_HEADERS}/CLI ${DELAYSUB_CROSS_HEADERS}/nlohmann
     DESTINATION ${_cross_root}/include)

# The version that a header's three macros PREFIX_MAJOR, _MINOR, _PATCH give.
function(_delaysub_header_version header prefix out)
  set(parts)
  foreach(part MAJOR MINOR PATCH)
    file(STRINGS ${header} line REGEX "#define ${prefix}_${part} +[0-9]+")
    string(REGEX MATCH "[0-9]+" number "${line}")
    list(APPEND parts ${number})
  endforeach()
  list(JOIN parts . version)
  set(${out} ${version} PARENT_SCOPE)
endfunction()

# A package of one header-only target at the cross root.
function(_delaysub_header_package package target version)
  set(dir ${_cross_root}/lib/cmake/${package})
  file(WRITE ${dir}/${package}Config.cmake
"# ${package} ${version} for the Windows build: headers only.
if(NOT TARGET ${target})
  add_library(${target} INTERFACE IMPORTED)
  set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES \"${_cross_root}/include\")
endif()
")
  write_basic_package_version_file(${dir}/${package}ConfigVersion.cmake VERSION ${version}
                                   COMPATIBILITY SameMajorVersion ARCH_INDEPENDENT)
  set(${package}_DIR ${dir} CACHE PATH "The ${package} package of the Windows build" FORCE)
endfunction()

_delaysub_header_version(${_cross_root}/include/CLI/Version.hpp CLI11_VERSION _cli11)
_delaysub_header_package(CLI11 CLI11::CLI11 ${_cli11})
set(_json ${_cross_root}/include/nlohmann/detail/abi_macros.hpp)
if(NOT EXISTS ${_json})  # before 3.11 the macros live in json.hpp
  set(_json ${_cross_root}/include/nlohmann/json.hpp)
endif()
_delaysub_header_version(${_json} NLOHMANN_JSON_VERSION _json_version)
_delaysub_header_package(nlohmann_json nlohmann_json::nlohmann_json ${_json_version})

# ---- the tests, under wine -------------------------------------------------
if(DELAYSUB_BUILD_TESTS)
  # FindGTest.cmake and GoogleTest.cmake of cmake/windows/ stand in for
  # CMake's own: GoogleTest built from source, one test per test program.
  list(PREPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR}/windows)
  if(CMAKE_CROSSCOMPILING)
    # Every test program runs under wine, in a prefix inside the build
    # folder (the developer's own ~/.wine stays untouched), which the test
    # fixture "wine" sets up (tests/windows/CMakeLists.txt).
    set(DELAYSUB_WINEPREFIX ${CMAKE_BINARY_DIR}/wine CACHE PATH "The wine prefix of the tests")
    set(CMAKE_CROSSCOMPILING_EMULATOR
        ${PROJECT_SOURCE_DIR}/tests/windows/wine.sh ${DELAYSUB_WINEPREFIX})
  endif()
endif()
