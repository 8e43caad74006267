# The folders of the product depend on each other one way only. Run by ctest:
#   cmake -DCOMPILER=<c++> -DDIRS=<dir of <target>.dirs files> -DSOURCE=<repository> -P CheckLayering.cmake
# The .dirs files hold each layer target's include directories, one per line, as the build
# gives them.
cmake_minimum_required(VERSION 3.25)

set(failures "")

# An include that crosses the layering the wrong way must not compile with the including
# folder's own include directories; one that goes the right way must.
#   target | header | compiles?
set(probes
  "qor_base|driver/CDev.h|no"
  "qor_platform|driver/DriverRecords.h|no"
  "qor_driver|cycle/PollingTargets.h|no"
  "qor_driver|controls/QtColour.h|no"
  "qor_rows|pages/CDlgPgBase.h|no"
  "qor_rows|export/SnapshotDocument.h|no"
  "qor_export|controls/ListCell.h|no"
  "qor_export|rows/PageText.h|yes"
  "qor_export|metrics/MetricsText.h|no"
  "qor_rows|metrics/MetricFamilies.h|no"
  "qor_metrics|rows/ShownCounters.h|yes"
  "qor_metrics|cycle/PollingCycle.h|no"
  "qor_metrics|export/SnapshotDocument.h|no"
  "qor_cycle|pages/CDlgPgBase.h|no"
  "qor_cycle|driver/CDev.h|yes"
  "qor_cycle|history/HistorySampler.h|no"
  "qor_history|pages/CDlgPgBase.h|no"
  "qor_history|rows/CounterRef.h|yes"
  "qor_settings|view/CQorstatsView.h|no"
  "qor_sim|controls/ListCell.h|no"
  "qor_sim|rows/IsoStreamRows.h|no"
  "qor_controls|pages/ListPage.h|no"
  "qor_pages|cycle/PollingCycle.h|no"
  "qor_pages|view/CQorstatsView.h|no"
  "qor_pages|rows/IsoStreamRows.h|yes"
  "qor_view|app/CMainFrame.h|no"
  "qor_view|plots/HistoryPlots.h|no"
  "qor_plots|view/CQorstatsView.h|no"
  "qor_plots|history/CounterHistory.h|yes"
  "qor_view|settings/PanelSettings.h|yes"
  "qor_rows|events/EventDetector.h|no"
  "qor_cycle|rows/CounterRef.h|yes"
  "qor_cycle|eventlog/EventLog.h|no"
  "qor_cycle|events/EventDetector.h|no"
  "qor_pages|events/EventDetector.h|no"
  "qor_eventlog|view/CQorstatsView.h|no"
  "qor_eventlog|events/EventDetector.h|yes"
  "qor_problems|view/CQorstatsView.h|no"
  "qor_problems|history/ErrorWatch.h|yes"
  "qor_view|problems/ProblemsDialog.h|no"
  "qor_history|plots/HistoryChart.h|no"
  "qor_driver|record/RecordReader.h|no"
  "qor_record|rows/PageText.h|no"
  "qor_record|driver/CDev.h|yes"
)
set(probe ${CMAKE_CURRENT_BINARY_DIR}/layering-probe.cpp)
foreach(entry IN LISTS probes)
  string(REPLACE "|" ";" fields "${entry}")
  list(GET fields 0 target)
  list(GET fields 1 header)
  list(GET fields 2 expected)
  if(NOT EXISTS ${DIRS}/${target}.dirs)
    continue()  # a layer this build has not got (no Qt)
  endif()
  file(STRINGS ${DIRS}/${target}.dirs dirs)
  list(TRANSFORM dirs PREPEND "-I")
  file(WRITE ${probe} "#include \"${header}\"\n")
  execute_process(COMMAND ${COMPILER} -std=c++20 -E ${dirs} ${probe} -o ${probe}.i
                  RESULT_VARIABLE rc OUTPUT_QUIET ERROR_QUIET)
  if(rc EQUAL 0)
    set(compiled yes)
  else()
    set(compiled no)
  endif()
  if(NOT compiled STREQUAL expected)
    string(APPEND failures "  ${target} including ${header}: compiles ${compiled}, should ${expected}\n")
  endif()
endforeach()

# No folder reaches another folder that reaches back, however long the way round.
file(GLOB folders LIST_DIRECTORIES true ${SOURCE}/src/* ${SOURCE}/res ${SOURCE}/sim)
set(nodes "")
foreach(dir IN LISTS folders)
  if(NOT IS_DIRECTORY ${dir})
    continue()
  endif()
  get_filename_component(name ${dir} NAME)
  list(APPEND nodes ${name})
  set(uses_${name} "")
  file(GLOB files ${dir}/*.h ${dir}/*.cpp)
  foreach(file IN LISTS files)
    file(STRINGS ${file} lines REGEX "^#include \"[a-z]+/")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^#include \"([a-z]+)/.*" "\\1" used "${line}")
      if(NOT used STREQUAL name)
        list(APPEND uses_${name} ${used})
      endif()
    endforeach()
  endforeach()
endforeach()
# Takes away, again and again, the folders that use none of those still left, then those that
# none of those left uses; what cannot be taken away lies on a cycle.
set(left ${nodes})
set(removed TRUE)
while(removed)
  set(removed FALSE)
  foreach(name IN LISTS left)
    set(usesLeft FALSE)
    set(usedByLeft FALSE)
    foreach(other IN LISTS left)
      if(other IN_LIST uses_${name})
        set(usesLeft TRUE)
      endif()
      if(name IN_LIST uses_${other})
        set(usedByLeft TRUE)
      endif()
    endforeach()
    if(NOT usesLeft OR NOT usedByLeft)
      list(REMOVE_ITEM left ${name})
      set(removed TRUE)
    endif()
  endforeach()
endwhile()
if(left)
  string(APPEND failures "  the includes of these folders go round in a cycle: ${left}\n")
endif()

if(failures)
  message(FATAL_ERROR "The layering is broken:\n${failures}")
endif()
message(STATUS "layering holds: ${nodes}")
