cmake_minimum_required(VERSION 3.25)

# Includes run downward: a folder includes only itself and the folders below
# it. Run as a test: cmake -DSOURCE_DIR=<tree> -P check-layers.cmake
#
#   ui, cli, bench, fuzz, tests -> app -> calibration, frontend, monitor -> device -> link
#
# calibration and frontend do not include each other; sim (the device
# simulator) stands beside the tool and takes only what the wire needs.
set(allowed_link "link")
set(allowed_device "link;device")
set(allowed_calibration "link;device;calibration")
set(allowed_frontend "link;device;frontend")
set(allowed_monitor "link;device;monitor")
set(allowed_sim "link;device;calibration;sim")
set(allowed_app "link;device;calibration;frontend;monitor;app")

set(failures "")
foreach(folder link device calibration frontend monitor sim app)
  file(GLOB_RECURSE files "${SOURCE_DIR}/${folder}/*.h" "${SOURCE_DIR}/${folder}/*.cpp")
  foreach(file ${files})
    file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"[a-z_0-9]+/")
    foreach(line ${lines})
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([a-z_0-9]+)/.*$" "\\1" target "${line}")
      # The build's version, generated under app/, is every program's to print.
      if(line MATCHES "\"app/version.h\"")
        continue()
      endif()
      if(NOT target IN_LIST allowed_${folder})
        file(RELATIVE_PATH rel "${SOURCE_DIR}" "${file}")
        string(APPEND failures "  ${rel}: ${line}\n")
      endif()
    endforeach()
  endforeach()
endforeach()

if(failures)
  message(FATAL_ERROR "Includes that run upward or sideways:\n${failures}")
endif()
message(STATUS "Every include runs downward.")
