# Cross build for 32-bit Windows: the product.
set(KELTO_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
