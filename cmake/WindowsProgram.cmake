# What the Windows program folder holds besides the program's own files:
# Qt's DLLs and the plug-ins the program loads, SQLite, the C++ runtime,
# Qt's Chinese translations, the icon and the compiled help file. Included
# by app/CMakeLists.txt for WIN32 once `orvane` and `program_folder` exist.

find_program(ORV_RSVG_CONVERT rsvg-convert REQUIRED)
find_program(ORV_CONVERT convert REQUIRED)  # ImageMagick: the .ico
find_program(ORV_CHMCMD chmcmd REQUIRED)    # Free Pascal's CHM compiler (fp-utils)

# The Windows Qt has no QtSvg: the pictures are drawn once here, by the
# same renderer as the package's icons, and compiled in as PNG under the
# names the code asks for (Qt reads a picture by its content).
function(orv_windows_pictures target)
  get_target_property(sources ${target} SOURCES)
  get_target_property(dir ${target} SOURCE_DIR)
  foreach(src IN LISTS sources)
    if(NOT src MATCHES "\\.qrc$")
      continue()
    endif()
    cmake_path(ABSOLUTE_PATH src BASE_DIRECTORY ${dir} OUTPUT_VARIABLE qrc)
    file(READ ${qrc} text)
    if(NOT text MATCHES "\\.svg<")
      continue()
    endif()
    get_filename_component(qrc_dir ${qrc} DIRECTORY)
    get_filename_component(qrc_name ${qrc} NAME_WE)
    set(out ${CMAKE_CURRENT_BINARY_DIR}/windows-pictures/${qrc_name})
    file(MAKE_DIRECTORY ${out})
    string(REGEX MATCHALL "[^>]*\\.svg</file>" entries "${text}")
    foreach(entry IN LISTS entries)
      string(REGEX REPLACE "</file>$" "" svg "${entry}")
      get_filename_component(name ${svg} NAME_WE)
      if(${qrc_dir}/${svg} IS_NEWER_THAN ${out}/${name}.png)
        execute_process(COMMAND ${ORV_RSVG_CONVERT} ${qrc_dir}/${svg} -o ${out}/${name}.png
                        RESULT_VARIABLE failed)
        if(failed)
          message(FATAL_ERROR "rsvg-convert could not draw ${qrc_dir}/${svg}")
        endif()
      endif()
      set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${qrc_dir}/${svg})
      string(REPLACE ">${svg}<" ">${out}/${name}.png<" text "${text}")
    endforeach()
    # The other pictures stay where they are.
    string(REGEX REPLACE ">(pictures/[^<]*\\.png)<" ">${qrc_dir}/\\1<" text "${text}")
    # Written only when it changes, so that a new configure compiles nothing.
    file(CONFIGURE OUTPUT ${out}/${qrc_name}.qrc CONTENT "${text}" @ONLY)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${qrc})
    list(REMOVE_ITEM sources ${src})
    list(APPEND sources ${out}/${qrc_name}.qrc)
  endforeach()
  set_property(TARGET ${target} PROPERTY SOURCES ${sources})
endfunction()

foreach(target orv_program orv_wizard orv_dialogs)
  orv_windows_pictures(${target})
endforeach()

# The program's icon, drawn from the about box's SVG at the sizes Windows
# asks for, in the program (its resource) and beside it (the installer).
set(ico ${CMAKE_CURRENT_BINARY_DIR}/windows-pictures/orvane.ico)
set(pngs)
foreach(size 16 24 32 48 64 256)
  set(png ${CMAKE_CURRENT_BINARY_DIR}/windows-pictures/orvane-${size}.png)
  list(APPEND pngs ${png})
endforeach()
set(icon_svg ${CMAKE_CURRENT_SOURCE_DIR}/dialogs/pictures/orvane.svg)
add_custom_command(OUTPUT ${ico}
  COMMAND ${ORV_RSVG_CONVERT} -w 16 -h 16 ${icon_svg} -o windows-pictures/orvane-16.png
  COMMAND ${ORV_RSVG_CONVERT} -w 24 -h 24 ${icon_svg} -o windows-pictures/orvane-24.png
  COMMAND ${ORV_RSVG_CONVERT} -w 32 -h 32 ${icon_svg} -o windows-pictures/orvane-32.png
  COMMAND ${ORV_RSVG_CONVERT} -w 48 -h 48 ${icon_svg} -o windows-pictures/orvane-48.png
  COMMAND ${ORV_RSVG_CONVERT} -w 64 -h 64 ${icon_svg} -o windows-pictures/orvane-64.png
  COMMAND ${ORV_RSVG_CONVERT} -w 256 -h 256 ${icon_svg} -o windows-pictures/orvane-256.png
  COMMAND ${ORV_CONVERT} ${pngs} ${ico}
  DEPENDS ${icon_svg}
  WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
  COMMENT "Drawing the program's icon"
  VERBATIM)
set(rc ${CMAKE_CURRENT_BINARY_DIR}/windows-pictures/orvane.rc)
file(CONFIGURE OUTPUT ${rc} CONTENT "IDI_ICON1 ICON \"orvane.ico\"\n" @ONLY)
set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${ico})
target_sources(orvane PRIVATE ${rc})
# A GUI program: no console window.
set_target_properties(orvane PROPERTIES WIN32_EXECUTABLE ON)

# The help file "zelORV.chm": the manual's page and its pictures compiled
# by chmcmd (Windows opens it with its own help viewer).
set(help_src ${CMAKE_CURRENT_SOURCE_DIR}/help)
file(GLOB help_pictures RELATIVE ${help_src} CONFIGURE_DEPENDS ${help_src}/zelORV.files/*)
set(help_dir ${CMAKE_CURRENT_BINARY_DIR}/windows-help)
list(JOIN help_pictures "\n" help_list)
file(CONFIGURE OUTPUT ${help_dir}/zelORV.hhp @ONLY CONTENT
"[OPTIONS]
Compatibility=1.1 or later
Compiled file=zelORV.chm
Default topic=zelORV.html
Display compile progress=No
Language=0x804 Chinese (PRC)
Title=Orvane 使用手册

[FILES]
zelORV.html
${help_list}
")
add_custom_command(OUTPUT ${help_dir}/zelORV.chm
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${help_src}/zelORV.html ${help_dir}/
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${help_src}/zelORV.files ${help_dir}/zelORV.files
  COMMAND ${ORV_CHMCMD} zelORV.hhp
  DEPENDS ${help_src}/zelORV.html ${help_dir}/zelORV.hhp
  WORKING_DIRECTORY ${help_dir}
  COMMENT "Compiling the help file"
  VERBATIM)

# Qt's files: the DLLs the program and its plug-ins import, and the plug-ins
# in the folders Qt looks for beside the program.
set(qt_prefix ${QT6_INSTALL_PREFIX})
set(qt_dlls Qt6Core Qt6Gui Qt6Network Qt6Sql Qt6Widgets sqlite3 libwinpthread-1)
set(qt_plugins platforms/qwindows styles/qwindowsvistastyle imageformats/qgif
  imageformats/qico sqldrivers/qsqlite tls/qschannelbackend)
set(copy_qt)
foreach(dll IN LISTS qt_dlls)
  list(APPEND copy_qt COMMAND ${CMAKE_COMMAND} -E copy_if_different ${qt_prefix}/bin/${dll}.dll
       ${ORV_PROGRAM_DIR}/)
endforeach()
foreach(plugin IN LISTS qt_plugins)
  get_filename_component(plugin_dir ${plugin} DIRECTORY)
  list(APPEND copy_qt
       COMMAND ${CMAKE_COMMAND} -E make_directory ${ORV_PROGRAM_DIR}/${plugin_dir}
       COMMAND ${CMAKE_COMMAND} -E copy_if_different ${qt_prefix}/plugins/${plugin}.dll
       ${ORV_PROGRAM_DIR}/${plugin_dir}/)
endforeach()
# The C++ runtime of the compilers that built Qt and the program.
set(copy_runtime)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
    message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not know ${dll}")
  endif()
  list(APPEND copy_runtime COMMAND ${CMAKE_COMMAND} -E copy_if_different ${path} ${ORV_PROGRAM_DIR}/)
endforeach()
# Qt's own dialog texts in Chinese, from Debian's qt6-translations-l10n (the
# .qm files serve every platform). qt_zh_CN.qm only names the catalogs it
# includes, and loads none of them when one is missing: multimedia's too.
set(ORV_QT_TRANSLATIONS /usr/share/qt6/translations CACHE PATH "Qt's .qm files")
set(copy_translations COMMAND ${CMAKE_COMMAND} -E make_directory ${ORV_PROGRAM_DIR}/translations)
foreach(qm qt_zh_CN qtbase_zh_CN qtmultimedia_zh_CN)
  if(NOT EXISTS ${ORV_QT_TRANSLATIONS}/${qm}.qm)
    message(FATAL_ERROR "${ORV_QT_TRANSLATIONS}/${qm}.qm missing (qt6-translations-l10n)")
  endif()
  list(APPEND copy_translations COMMAND ${CMAKE_COMMAND} -E copy_if_different
       ${ORV_QT_TRANSLATIONS}/${qm}.qm ${ORV_PROGRAM_DIR}/translations/)
endforeach()

add_custom_target(windows_program_folder ALL
  ${copy_qt} ${copy_runtime} ${copy_translations}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${help_dir}/zelORV.chm ${ORV_PROGRAM_DIR}/
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${ico} ${ORV_PROGRAM_DIR}/
  DEPENDS ${help_dir}/zelORV.chm ${ico}
  COMMENT "Laying out the Windows program folder"
  VERBATIM)
add_dependencies(program_folder windows_program_folder)
