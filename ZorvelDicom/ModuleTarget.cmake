# The module ZorvelDicom.so (loadable in-process server: no "lib" prefix, exports only the two
# class-object functions) and the pure slide arithmetic it is built on, kept testable on its own.
set(_module_dir ${CMAKE_CURRENT_LIST_DIR})

add_library(ZorvelDicomSlideLogic STATIC
  ${_module_dir}/Slide/ZoomLevelWalks.cpp
  ${_module_dir}/Slide/FocusPlanes.cpp)
target_include_directories(ZorvelDicomSlideLogic PUBLIC ${_module_dir})
target_link_libraries(ZorvelDicomSlideLogic PUBLIC Zorvel::Platform)

# Pure region arithmetic and pixel kernels of region rendering, testable on their own.
add_library(ZorvelDicomRender STATIC
  ${_module_dir}/Render/RegionGeometry.cpp
  ${_module_dir}/Render/ChannelSelection.cpp
  ${_module_dir}/Render/TilePlacement.cpp
  ${_module_dir}/Render/TileUnpack.cpp)
target_include_directories(ZorvelDicomRender PUBLIC ${_module_dir})
target_link_libraries(ZorvelDicomRender PUBLIC Zorvel::Platform)

# The tile decoder: codec component by transfer syntax, image-type rules, uncompressed frames.
add_library(ZorvelDicomDecoder STATIC ${_module_dir}/Decoder/DicomGeneralUtils.cpp)
target_include_directories(ZorvelDicomDecoder PUBLIC ${_module_dir})
target_link_libraries(ZorvelDicomDecoder
  PUBLIC Zorvel::CommonInterface Zorvel::DicomHeaders Zorvel::Platform Zorvel::SeUtils)

# The tile caches: scattered cache, encoded and decoded tile caches, slabs, budgets, memory monitor,
# reallocation agent, and the open-slide counters the budgets depend on.
add_library(ZorvelDicomHugeCache STATIC
  ${_module_dir}/HugeCache/Slab.cpp
  ${_module_dir}/HugeCache/ScatteredCache.cpp
  ${_module_dir}/HugeCache/EncodedTileCache.cpp
  ${_module_dir}/HugeCache/SlideCacheClients.cpp
  ${_module_dir}/HugeCache/ScatteredDecodedCache.cpp
  ${_module_dir}/HugeCache/SlabPartition.cpp
  ${_module_dir}/HugeCache/DecodedTileCache.cpp
  ${_module_dir}/HugeCache/PartitionResize.cpp
  ${_module_dir}/HugeCache/ReallocationAgent.cpp
  ${_module_dir}/HugeCache/CacheBudgets.cpp
  ${_module_dir}/HugeCache/MemoryMonitor.cpp
  ${_module_dir}/OpenSlideCounters.cpp)
target_include_directories(ZorvelDicomHugeCache PUBLIC ${_module_dir})
target_link_libraries(ZorvelDicomHugeCache PUBLIC Zorvel::Platform Zorvel::SeUtils DicomInterop)

# Everything of the module but its exports, as objects, so that white-box tests can link the same code.
add_library(ZorvelDicomCore OBJECT
  ${_module_dir}/ModuleObject.cpp
  ${_module_dir}/ModuleVersion.cpp
  ${_module_dir}/RegistrationFreeComModule.cpp
  ${_module_dir}/DicomZorvel.cpp
  ${_module_dir}/DicomZorvelOpen.cpp
  ${_module_dir}/DicomZorvelLevels.cpp
  ${_module_dir}/DicomZorvelConfig.cpp
  ${_module_dir}/DicomZorvelImage.cpp
  ${_module_dir}/DicomZorvelChannelProperties.cpp
  ${_module_dir}/DicomZorvelSingleImages.cpp
  ${_module_dir}/DicomZorvelScanMap.cpp
  ${_module_dir}/Render/PseudoColorLut.cpp
  ${_module_dir}/DicomZorvelRawTiles.cpp
  ${_module_dir}/RawTiles/RawTileBatch.cpp
  ${_module_dir}/DicomZorvelProperties.cpp
  ${_module_dir}/DicomZorvelImageProperties.cpp
  ${_module_dir}/Properties/PropertyTagList.cpp
  ${_module_dir}/Properties/SlidePropertyTable.cpp
  ${_module_dir}/Properties/MetadataPropertyTable.cpp
  ${_module_dir}/Properties/SlidePropertyRules.cpp
  ${_module_dir}/Properties/ChannelPropertyTable.cpp
  ${_module_dir}/Properties/SingleImageTable.cpp
  ${_module_dir}/Slide/SlideIdScan.cpp
  ${_module_dir}/LiveObjectRegistry.cpp
  ${_module_dir}/DirectorySourceRegistry.cpp
  ${_module_dir}/ProcessSettings.cpp
  ${_module_dir}/Pipeline/DirectorySourceAgent.cpp
  ${_module_dir}/Pipeline/SourceAgentHolder.cpp
  ${_module_dir}/Pipeline/DirectorySourceAgentReadAhead.cpp
  ${_module_dir}/Pipeline/ReadAheadPlanner.cpp
  ${_module_dir}/Pipeline/TileLoader.cpp
  ${_module_dir}/Pipeline/TileBuffer.cpp
  ${_module_dir}/Pipeline/TileRef.cpp
  ${_module_dir}/Pipeline/ViewpartState.cpp
  ${_module_dir}/Render/RegionRender.cpp
  ${_module_dir}/Annotations/WSIAnnotations.cpp
  ${_module_dir}/Annotations/WSIAnnotationsSlideData.cpp
  ${_module_dir}/Annotations/WSIAnnotationsBinAnnot.cpp
  ${_module_dir}/Annotations/AnnotationRecords.cpp)
target_include_directories(ZorvelDicomCore PUBLIC ${_module_dir})
target_link_libraries(ZorvelDicomCore PUBLIC
  ZorvelDicomSlideLogic ZorvelDicomRender ZorvelDicomDecoder ZorvelDicomHugeCache Zorvel::TypeLib Zorvel::DicomHeaders Zorvel::Platform Zorvel::SeUtils DicomInterop
  Threads::Threads)
# The outside components register their classes when loaded; the module loads them with itself.
if(TARGET Zorvel::Components)
  target_link_libraries(ZorvelDicomCore PUBLIC Zorvel::Components)
  target_link_options(ZorvelDicomCore INTERFACE LINKER:--no-as-needed)
endif()

add_library(ZorvelDicom MODULE ${_module_dir}/ZorvelDicom.cpp)
set_target_properties(ZorvelDicom PROPERTIES
  PREFIX ""
  OUTPUT_NAME ZorvelDicom
  LINK_DEPENDS ${_module_dir}/ZorvelDicom.exports)
target_link_libraries(ZorvelDicom PRIVATE ZorvelDicomCore)
target_link_options(ZorvelDicom PRIVATE LINKER:--version-script=${_module_dir}/ZorvelDicom.exports)

# Installation: the module beside the platform library, the package files for hosts.
install(TARGETS ZorvelDicom LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
set(ZORVELDICOM_MODULE_FILE ZorvelDicom.so)
# The package file finds its prefix from where it is installed, whatever --prefix was given.
file(RELATIVE_PATH _pc_to_prefix /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
set(ZORVELDICOM_PC_PREFIX "\${pcfiledir}/${_pc_to_prefix}")
configure_file(${_module_dir}/packaging/zorveldicom.pc.in ${CMAKE_CURRENT_BINARY_DIR}/zorveldicom.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/zorveldicom.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
include(CMakePackageConfigHelpers)
configure_package_config_file(${_module_dir}/packaging/ZorvelDicomConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/ZorvelDicomConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/ZorvelDicom
  PATH_VARS CMAKE_INSTALL_LIBDIR)
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/ZorvelDicomConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/ZorvelDicomConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/ZorvelDicomConfigVersion.cmake
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/ZorvelDicom)
install(EXPORT ZorvelDicomTargets NAMESPACE Zorvel:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/ZorvelDicom)
