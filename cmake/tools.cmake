# How the program is put together from its folders.

# One static library per folder of the house; it takes every source in the folder.
function(quillbox_library name folder)
  file(GLOB sources CONFIGURE_DEPENDS ${folder}/*.cpp ${folder}/*.h)
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
endfunction()

# A tool folder, called from its own CMakeLists.txt:
#   quillbox_tool(NAME PLACE N COMMANDS registerXCommands WINDOWS registerXWindows UI file...)
# builds qb_NAME from the folder's Qt-free sources (logic and commands) and qb_NAME_ui from the
# files that the patterns after UI match (its windows). The two functions named register the tool's commands and
# its windows; PLACE orders the folders when the program registers them at start. Nothing outside
# the folder names the tool.
function(quillbox_tool name)
  cmake_parse_arguments(PARSE_ARGV 1 tool "" "PLACE;COMMANDS;WINDOWS" "UI")
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  set(ui_sources)
  foreach(pattern IN LISTS tool_UI)
    file(GLOB matched CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${pattern})
    list(APPEND ui_sources ${matched})
  endforeach()
  list(REMOVE_ITEM sources ${ui_sources})
  add_library(qb_${name} STATIC ${sources})
  target_link_libraries(qb_${name} PUBLIC qb_core)
  add_library(qb_${name}_ui STATIC ${ui_sources})
  target_link_libraries(qb_${name}_ui PUBLIC qb_${name} qb_ui)
  set_property(GLOBAL APPEND PROPERTY QUILLBOX_TOOLS "${tool_PLACE}:${name}:${tool_COMMANDS}:${tool_WINDOWS}")
endfunction()

# Writes `file`: the function `function`, which calls the functions that `declarations` declare,
# as `calls` spells the calls.
function(quillbox_registry_source file function declarations calls)
  file(CONFIGURE OUTPUT ${file} CONTENT
"// Generated from the tool folders (cmake/tools.cmake).
#include \"tools/registry.h\"

namespace qb {
${declarations}
void ${function}()
{
${calls}}
}  // namespace qb
")
endfunction()

# Generates the two registries from the tool folders: qb_commands (every tool's command, no Qt)
# and qb_windows (every tool's window as well).
function(quillbox_tool_registries)
  get_property(tools GLOBAL PROPERTY QUILLBOX_TOOLS)
  list(SORT tools COMPARE NATURAL)
  set(declare_commands "")
  set(call_commands "")
  set(declare_windows "")
  set(call_windows "")
  set(command_libraries "")
  set(window_libraries "")
  foreach(tool IN LISTS tools)
    string(REPLACE ":" ";" parts "${tool}")
    list(GET parts 1 name)
    list(GET parts 2 commands)
    list(GET parts 3 windows)
    string(APPEND declare_commands "void ${commands}();\n")
    string(APPEND call_commands "    ${commands}();\n")
    string(APPEND declare_windows "void ${windows}();\n")
    string(APPEND call_windows "    ${windows}();\n")
    list(APPEND command_libraries qb_${name})
    list(APPEND window_libraries qb_${name}_ui)
  endforeach()
  set(folder ${PROJECT_BINARY_DIR}/generated)
  quillbox_registry_source(${folder}/commandRegistry.cpp registerAllCommands "${declare_commands}" "${call_commands}")
  quillbox_registry_source(${folder}/windowRegistry.cpp registerAllWindows "${declare_windows}" "${call_windows}")
  add_library(qb_commands STATIC ${folder}/commandRegistry.cpp)
  target_link_libraries(qb_commands PUBLIC ${command_libraries})
  add_library(qb_windows STATIC ${folder}/windowRegistry.cpp)
  target_link_libraries(qb_windows PUBLIC qb_commands ${window_libraries})
endfunction()

# Fails the configuration when any of `targets`, or anything they link, links a Qt library: the
# command line must start without loading one.
function(quillbox_check_no_qt)
  foreach(target IN LISTS ARGN)
    set(pending ${target})
    set(seen "")
    while(pending)
      list(POP_FRONT pending current)
      if(current IN_LIST seen)
        continue()
      endif()
      list(APPEND seen ${current})
      if(current MATCHES "^Qt[0-9]*::")
        message(FATAL_ERROR "${target} links ${current}: core and the commands must link no Qt library")
      endif()
      if(TARGET ${current})
        get_target_property(links ${current} LINK_LIBRARIES)
        get_target_property(interface ${current} INTERFACE_LINK_LIBRARIES)
        foreach(link IN LISTS links interface)
          if(link AND NOT link MATCHES "NOTFOUND$" AND NOT link MATCHES "^\\$<")
            list(APPEND pending ${link})
          endif()
        endforeach()
      endif()
    endwhile()
  endforeach()
endfunction()
