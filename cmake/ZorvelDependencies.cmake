# Looks up the Debian-packaged dependencies and offers them as imported targets:
# Zorvel::GDCM, Zorvel::TurboJPEG, Zorvel::OpenJPEG, Zorvel::HttpLib, TBB::tbb, PNG::PNG, Threads::Threads.
find_package(Threads REQUIRED)
find_package(TBB REQUIRED)
find_package(PNG REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(ZORVEL_TURBOJPEG REQUIRED IMPORTED_TARGET libturbojpeg)
pkg_check_modules(ZORVEL_OPENJPEG REQUIRED IMPORTED_TARGET libopenjp2)
add_library(Zorvel::TurboJPEG ALIAS PkgConfig::ZORVEL_TURBOJPEG)
add_library(Zorvel::OpenJPEG ALIAS PkgConfig::ZORVEL_OPENJPEG)
# zorvel serve's HTTP server and its tests' client.
pkg_check_modules(ZORVEL_HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
add_library(Zorvel::HttpLib ALIAS PkgConfig::ZORVEL_HTTPLIB)

# Debian's GDCMConfig.cmake references tools the -dev package does not ship, so the
# libraries are located directly.
find_path(ZORVEL_GDCM_INCLUDE_DIR gdcmReader.h PATH_SUFFIXES gdcm-3.0 REQUIRED)
add_library(Zorvel::GDCM INTERFACE IMPORTED)
set(_zorvel_gdcm_libs)
foreach(lib gdcmMSFF gdcmIOD gdcmDSED gdcmDICT gdcmCommon)
  find_library(ZORVEL_${lib}_LIBRARY ${lib} REQUIRED)
  list(APPEND _zorvel_gdcm_libs ${ZORVEL_${lib}_LIBRARY})
endforeach()
target_include_directories(Zorvel::GDCM SYSTEM INTERFACE ${ZORVEL_GDCM_INCLUDE_DIR})
target_link_libraries(Zorvel::GDCM INTERFACE ${_zorvel_gdcm_libs})

if(ZORVEL_BUILD_TESTS)
  find_package(GTest REQUIRED)
endif()
if(ZORVEL_BUILD_BENCH)
  find_package(benchmark REQUIRED)
endif()
