# The libraries of the OneBot adapter, as one interface target `onebot_dependencies`:
# Boost.Beast/Asio and nlohmann/json (header-only), and what computes the HMAC-SHA1 of the
# HTTP POST signature (OpenSSL on POSIX, the system's CNG library on Windows).
#
# Debian ships Boost and nlohmann/json for the build machine only. Both are header-only and
# portable, so the Windows cross builds use the same headers: through a directory that holds
# links to just those two trees, because the rest of /usr/include is glibc's and must never be
# seen by mingw. Sets ONEBOT_DEPENDENCIES_FOUND.

set(ONEBOT_DEPENDENCIES_FOUND OFF)
if(TARGET onebot_dependencies)
  set(ONEBOT_DEPENDENCIES_FOUND ON)
  return()
endif()

find_package(Threads)
if(WIN32)
  set(onebot_system_headers /usr/include)
  if(EXISTS ${onebot_system_headers}/boost/beast.hpp AND
     EXISTS ${onebot_system_headers}/nlohmann/json.hpp)
    set(onebot_header_links ${CMAKE_BINARY_DIR}/onebot-headers)
    file(MAKE_DIRECTORY ${onebot_header_links})
    foreach(tree boost nlohmann)
      file(CREATE_LINK ${onebot_system_headers}/${tree} ${onebot_header_links}/${tree} SYMBOLIC)
    endforeach()
    add_library(onebot_dependencies INTERFACE)
    target_include_directories(onebot_dependencies SYSTEM INTERFACE ${onebot_header_links})
    # Windows 7 and later: the Winsock functions Asio uses.
    target_compile_definitions(onebot_dependencies INTERFACE _WIN32_WINNT=0x0601)
    target_link_libraries(onebot_dependencies INTERFACE ws2_32 mswsock bcrypt Threads::Threads)
    set(ONEBOT_DEPENDENCIES_FOUND ON)
  endif()
else()
  find_package(Boost 1.74 QUIET)
  find_package(nlohmann_json 3 QUIET)
  find_package(OpenSSL QUIET)
  if(Boost_FOUND AND nlohmann_json_FOUND AND OpenSSL_FOUND)
    add_library(onebot_dependencies INTERFACE)
    target_link_libraries(onebot_dependencies INTERFACE Boost::headers
      nlohmann_json::nlohmann_json OpenSSL::Crypto Threads::Threads)
    set(ONEBOT_DEPENDENCIES_FOUND ON)
  endif()
endif()
