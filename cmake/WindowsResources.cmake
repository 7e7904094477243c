# The resources of tavrin.exe, compiled with the resource compiler (mingw-w64's windres,
# or MSVC's rc): the program's icon, the toolbar pictures, the version and the manifest.
# The pictures are converted at build time from the PNG files the Linux windows use, so
# that both builds show the same ones; ImageMagick's convert makes the icon files.

find_program(TAVRIN_CONVERT NAMES convert magick REQUIRED)

# The toolbar pictures of the windows, by their image keys: KEY-16.png (16 pixels) and
# KEY.png (32 pixels) each.
set(TAVRIN_TOOLBAR_ICON_KEYS cOpen cSave cDelete cNew iUp iEdit iRemove iOpen iDown Open Find)
foreach(candidate src/ui/qt/icons src/ui/icons)
  if(EXISTS ${PROJECT_SOURCE_DIR}/${candidate}/cOpen.png)
    set(TAVRIN_TOOLBAR_ICON_DIR ${PROJECT_SOURCE_DIR}/${candidate})
    break()
  endif()
endforeach()
if(NOT TAVRIN_TOOLBAR_ICON_DIR)
  message(FATAL_ERROR "The toolbar pictures (cOpen.png, ...) are not where they were looked for")
endif()

# Makes the resources and adds them to `target`.
function(tavrin_add_windows_resources target)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/resources)
  file(MAKE_DIRECTORY ${out})
  set(icons)
  set(TAVRIN_TOOLBAR_ICON_LINES "")

  # 8 bits a channel with alpha: the form every icon reader takes.
  set(ico_options -depth 8 -define icon:format=bmp)
  add_custom_command(
    OUTPUT ${out}/tavrin.ico
    COMMAND ${TAVRIN_CONVERT} ${PROJECT_SOURCE_DIR}/resources/icons/tavrin-48.png
            -define icon:auto-resize=48,32,16 ${ico_options} ${out}/tavrin.ico
    DEPENDS ${PROJECT_SOURCE_DIR}/resources/icons/tavrin-48.png
    COMMENT "Making the program's icon" VERBATIM)
  list(APPEND icons ${out}/tavrin.ico)
  foreach(key ${TAVRIN_TOOLBAR_ICON_KEYS})
    add_custom_command(
      OUTPUT ${out}/${key}.ico
      COMMAND ${TAVRIN_CONVERT} ${TAVRIN_TOOLBAR_ICON_DIR}/${key}-16.png
              ${TAVRIN_TOOLBAR_ICON_DIR}/${key}.png ${ico_options} ${out}/${key}.ico
      DEPENDS ${TAVRIN_TOOLBAR_ICON_DIR}/${key}-16.png ${TAVRIN_TOOLBAR_ICON_DIR}/${key}.png
      COMMENT "Making the toolbar picture ${key}" VERBATIM)
    list(APPEND icons ${out}/${key}.ico)
    string(APPEND TAVRIN_TOOLBAR_ICON_LINES "${key} ICON \"${out}/${key}.ico\"\n")
  endforeach()

  set(TAVRIN_RESOURCE_DIR ${out})
  # The year of the release, for the copyright line.
  string(SUBSTRING ${TAVRIN_RELEASE_DATE} 0 4 TAVRIN_RELEASE_YEAR)
  configure_file(${PROJECT_SOURCE_DIR}/resources/windows/tavrin.manifest.in
                 ${out}/tavrin.manifest @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/resources/windows/tavrin.rc.in ${out}/tavrin.rc @ONLY)
  # The compiler of the resources does not know the files the script names.
  set_source_files_properties(${out}/tavrin.rc PROPERTIES
    OBJECT_DEPENDS "${icons};${out}/tavrin.manifest")
  target_sources(${target} PRIVATE ${out}/tavrin.rc)
endfunction()
