# CeString, the setting classes and the ini reader, shared by the contact finder and
# its menu extension: olv_common_settings. Each user includes this file; the targets
# are made once.
include_guard(GLOBAL)
set(OLV_COMMON_DIR ${CMAKE_CURRENT_LIST_DIR})

set(sources ${OLV_COMMON_DIR}/ce_string.cpp ${OLV_COMMON_DIR}/setting.cpp ${OLV_COMMON_DIR}/ini_file.cpp)
if(OLV_WIN32)
  list(APPEND sources ${OLV_COMMON_DIR}/registry_store.cpp ${OLV_COMMON_DIR}/ini_file_disk.cpp)
endif()
olv_neutral_library(olv_common_settings ${sources})
target_include_directories(olv_common_settings PUBLIC ${OLV_COMMON_DIR})
if(OLV_WIN32)
  target_link_libraries(olv_common_settings PUBLIC base advapi32)
endif()

olv_test(olv_common_settings_test
  SOURCES ${OLV_COMMON_DIR}/tests/ce_string_test.cpp ${OLV_COMMON_DIR}/tests/setting_test.cpp
          ${OLV_COMMON_DIR}/tests/ini_file_test.cpp
  LIBS olv_common_settings)
olv_fuzzer(olv_ini_fuzz SOURCES ${OLV_COMMON_DIR}/fuzz/ini_fuzz.cpp LIBS olv_common_settings
           CORPUS ${OLV_COMMON_DIR}/fuzz/ini_corpus)
if(OLV_WIN32)
  olv_test(olv_registry_store_test DEVICE SOURCES ${OLV_COMMON_DIR}/tests/registry_store_test.cpp
           LIBS olv_common_settings shlwapi)
  olv_test(olv_ini_disk_test SOURCES ${OLV_COMMON_DIR}/tests/ini_file_disk_test.cpp LIBS olv_common_settings)
endif()
