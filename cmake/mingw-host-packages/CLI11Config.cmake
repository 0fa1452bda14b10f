include(${CMAKE_CURRENT_LIST_DIR}/host_headers.cmake)
zelvan_host_headers(CLI11::CLI11 CLI)
