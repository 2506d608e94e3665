# The byte layer of the open formats: base64, zlib, MS-Numpress, SHA-1 and the file source and
# sink. Included before the option test of this folder, so it is built even when the
# open-format library is not.
find_package(ZLIB REQUIRED)
find_package(OpenSSL REQUIRED COMPONENTS Crypto)
find_package(PkgConfig REQUIRED)
pkg_check_modules(LIBDEFLATE REQUIRED IMPORTED_TARGET GLOBAL libdeflate)
# Debian's libmsnumpress-dev ships neither a pkg-config file nor a CMake package.
find_path(MSNUMPRESS_INCLUDE_DIR libmsnumpress/MSNumpress.hpp REQUIRED)
find_library(MSNUMPRESS_LIBRARY msnumpress REQUIRED)

add_library(brevanto_mzml_codecs STATIC
    ${CMAKE_CURRENT_LIST_DIR}/base64.cpp
    ${CMAKE_CURRENT_LIST_DIR}/byte_sink.cpp
    ${CMAKE_CURRENT_LIST_DIR}/byte_source.cpp
    ${CMAKE_CURRENT_LIST_DIR}/numpress_codec.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sha1.cpp
    ${CMAKE_CURRENT_LIST_DIR}/zlib_codec.cpp)
target_include_directories(brevanto_mzml_codecs PUBLIC ${PROJECT_SOURCE_DIR})
target_include_directories(brevanto_mzml_codecs SYSTEM PRIVATE ${MSNUMPRESS_INCLUDE_DIR})
target_link_libraries(brevanto_mzml_codecs
    PRIVATE ZLIB::ZLIB OpenSSL::Crypto PkgConfig::LIBDEFLATE ${MSNUMPRESS_LIBRARY}
            brevanto_warnings)
