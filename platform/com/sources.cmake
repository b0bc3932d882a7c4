# COM and OLE Automation stand-ins of libZorvelPlatform.so.
list(APPEND ZORVEL_PLATFORM_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/guid_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/task_memory.cpp
  ${CMAKE_CURRENT_LIST_DIR}/automation/bstr.cpp
  ${CMAKE_CURRENT_LIST_DIR}/automation/variant.cpp
  ${CMAKE_CURRENT_LIST_DIR}/automation/safearray.cpp
  ${CMAKE_CURRENT_LIST_DIR}/automation/numeric.cpp
  ${CMAKE_CURRENT_LIST_DIR}/automation/date_time.cpp
  ${CMAKE_CURRENT_LIST_DIR}/automation/var_conversions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/automation/change_type.cpp
)
list(APPEND ZORVEL_PLATFORM_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/class_registry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/free_threaded_marshaler.cpp
  ${CMAKE_CURRENT_LIST_DIR}/global_interface_table.cpp
)
list(APPEND ZORVEL_PLATFORM_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/automation/type_info.cpp
  ${CMAKE_CURRENT_LIST_DIR}/automation/type_info_invoke.cpp
  ${CMAKE_CURRENT_LIST_DIR}/automation/type_library.cpp
)
