# Kernel services of libZorvelPlatform.so: files, directories, INI, paths, environment, modules,
# mutexes and events, times, memory and processor facts.
list(APPEND ZORVEL_PLATFORM_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/kernel_object.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wide_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/file_handle.cpp
  ${CMAKE_CURRENT_LIST_DIR}/find_files.cpp
  ${CMAKE_CURRENT_LIST_DIR}/profile_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/profile_api.cpp
  ${CMAKE_CURRENT_LIST_DIR}/environment.cpp
  ${CMAKE_CURRENT_LIST_DIR}/module_paths.cpp
  ${CMAKE_CURRENT_LIST_DIR}/named_mutex.cpp
  ${CMAKE_CURRENT_LIST_DIR}/event_object.cpp
  ${CMAKE_CURRENT_LIST_DIR}/time_api.cpp
  ${CMAKE_CURRENT_LIST_DIR}/system_info.cpp)
