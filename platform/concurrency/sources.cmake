# Concurrency runtime sources of libZorvelPlatform.so (agents, message blocks, loops, schedulers).
list(APPEND ZORVEL_PLATFORM_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/agent.cpp
  ${CMAKE_CURRENT_LIST_DIR}/event.cpp
  ${CMAKE_CURRENT_LIST_DIR}/parallel_range.cpp
  ${CMAKE_CURRENT_LIST_DIR}/scheduler_engine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/scheduler_policy.cpp
  ${CMAKE_CURRENT_LIST_DIR}/scheduler_stack.cpp
  ${CMAKE_CURRENT_LIST_DIR}/source_core.cpp
  ${CMAKE_CURRENT_LIST_DIR}/target_core.cpp
  ${CMAKE_CURRENT_LIST_DIR}/task_group_core.cpp)
