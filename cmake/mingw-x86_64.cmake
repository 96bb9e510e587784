# Cross build for 64-bit Windows: the same sources as the product, for hosts that cannot
# execute 32-bit code and to keep the code 64-bit clean.
set(KELTO_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
