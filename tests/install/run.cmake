# Installs the build into a fresh prefix under WORK and builds the consumer
# twice out of tree, once with find_package(veltra) and once with
# pkg-config, then runs both on a table and compares their outputs with
# what the build's own library writes. Arguments (-D): BUILD, SOURCE, WORK,
# TABLE, EXPECTED (the cells file the consumers must write), C_COMPILER.
file(REMOVE_RECURSE ${WORK})
set(prefix ${WORK}/prefix)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${ARGN}\n${out}\n${err}")
  endif()
  set(last_output "${out}" PARENT_SCOPE)
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD} --prefix ${prefix})

# The layout a Linux library has.
file(GLOB libdir_candidates ${prefix}/lib*/libvtconv.so)
list(GET libdir_candidates 0 vtconv_link)
get_filename_component(libdir ${vtconv_link} DIRECTORY)
foreach(f bin/vtbatch bin/vtdump bin/vtgen include/veltra/vtconv.h include/veltra/vtops.h
          include/veltra/vtexport.h include/veltra/vtlistbox.h)
  if(NOT EXISTS ${prefix}/${f})
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()
foreach(lib vtconv vtops)
  file(READ_SYMLINK ${libdir}/lib${lib}.so dev_link)
  file(READ_SYMLINK ${libdir}/lib${lib}.so.1 soname_link)
  if(NOT dev_link STREQUAL "lib${lib}.so.1" OR NOT soname_link MATCHES "^lib${lib}\\.so\\.1\\.[0-9]+\\.[0-9]+$")
    message(FATAL_ERROR "lib${lib}: links ${dev_link} and ${soname_link}")
  endif()
  if(NOT EXISTS ${libdir}/pkgconfig/${lib}.pc)
    message(FATAL_ERROR "no ${lib}.pc")
  endif()
endforeach()

# Sanitized builds need their runtime first in a consumer that is not.
set(env ${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${libdir} ASAN_OPTIONS=detect_leaks=0:verify_asan_link_order=0)

# 1. CMake.
run(${CMAKE_COMMAND} -S ${SOURCE} -B ${WORK}/with-cmake -DCMAKE_PREFIX_PATH=${prefix}
    -DCMAKE_C_COMPILER=${C_COMPILER} -DCMAKE_BUILD_TYPE=Release)
run(${CMAKE_COMMAND} --build ${WORK}/with-cmake)
run(${env} ${WORK}/with-cmake/consumer ${TABLE} ${WORK}/cmake.txt)

# 2. pkg-config.
run(${CMAKE_COMMAND} -E env PKG_CONFIG_PATH=${libdir}/pkgconfig pkg-config --cflags --libs vtconv)
string(STRIP "${last_output}" flags)
separate_arguments(flags UNIX_COMMAND "${flags}")
run(${C_COMPILER} ${SOURCE}/consumer.c -o ${WORK}/pkgconfig-consumer ${flags})
run(${env} ${WORK}/pkgconfig-consumer ${TABLE} ${WORK}/pkgconfig.txt)

file(READ ${EXPECTED} want)
foreach(out cmake pkgconfig)
  file(READ ${WORK}/${out}.txt got)
  if(NOT got STREQUAL want OR want STREQUAL "")
    message(FATAL_ERROR "${out} consumer wrote:\n${got}\nexpected:\n${want}")
  endif()
endforeach()
file(REMOVE_RECURSE ${WORK})
message(STATUS "installed tree used from CMake and pkg-config")
