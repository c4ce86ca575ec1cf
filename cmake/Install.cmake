# Installing Норвена the Debian way (GNUInstallDirs):
#   bin/norvena                      the program
#   bin/norvena-start                the desktop menu's command: starts the
#                                    program in its course folder (launcher/)
#   lib/<multiarch>/norvena/         the browser engine's module
#   share/norvena/                   the user guide and the demo course
#   share/applications, share/metainfo, share/icons/hicolor, share/man/man1,
#   share/doc/norvena                desktop entry, AppStream data, icons,
#                                    manual pages, copyright and changelog
#   /etc/norvena/norvena.conf        the course folder for all users
# The program finds its module and guide beside its own file (the build tree)
# or through relative paths from its folder fixed here, so an installed tree
# can be moved as a whole (dpkg -x, DESTDIR).

# The layout is Debian's: prefix /usr, settings in /etc, the multiarch
# library folder. CMake's default prefix, /usr/local, is replaced once, when
# a build folder is first configured by this file; a prefix given then or
# later (-DCMAKE_INSTALL_PREFIX=...) is kept.
if(NOT NORVENA_PREFIX_CHOSEN)
    if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT OR CMAKE_INSTALL_PREFIX STREQUAL "/usr/local")
        set(CMAKE_INSTALL_PREFIX "/usr" CACHE PATH "Install path prefix" FORCE)
    endif()
    set(NORVENA_PREFIX_CHOSEN ON CACHE INTERNAL "The install prefix has been chosen")
endif()
include(GNUInstallDirs)

set(NORVENA_APP_ID "ru.norvena.Norvena" CACHE STRING "Application id: desktop entry, AppStream component, icon")
set(NORVENA_MAINTAINER "Norvena maintainers <maintainers@users.noreply.c-seed-ca96bb08.example>"
    CACHE STRING "Maintainer of the Debian package")

set(NORVENA_MODULE_INSTALL_DIR "${CMAKE_INSTALL_LIBDIR}/norvena")
set(NORVENA_DATA_INSTALL_DIR "${CMAKE_INSTALL_DATADIR}/norvena")
# The settings: /etc for the prefix /usr, <prefix>/etc otherwise (the same
# rule decides where the file is installed, below).
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
    set(NORVENA_SETTINGS_INSTALL_DIR "/etc/norvena")
else()
    set(NORVENA_SETTINGS_INSTALL_DIR "${CMAKE_INSTALL_PREFIX}/etc/norvena")
endif()
file(RELATIVE_PATH NORVENA_INSTALLED_MODULE_DIR "${CMAKE_INSTALL_FULL_BINDIR}" "${CMAKE_INSTALL_FULL_LIBDIR}/norvena")
file(RELATIVE_PATH NORVENA_INSTALLED_DATA_DIR "${CMAKE_INSTALL_FULL_BINDIR}" "${CMAKE_INSTALL_FULL_DATADIR}/norvena")
target_compile_definitions(norvena_platform PRIVATE
    NORVENA_INSTALLED_MODULE_DIR="${NORVENA_INSTALLED_MODULE_DIR}"
    NORVENA_INSTALLED_DATA_DIR="${NORVENA_INSTALLED_DATA_DIR}")
target_compile_definitions(norvena_forms PRIVATE NORVENA_APP_ID="${NORVENA_APP_ID}")

# The launcher: its rules are a library of their own, tested in-process.
add_library(norvena_launcher STATIC launcher/Launcher.cpp launcher/Launcher.h)
target_include_directories(norvena_launcher PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(norvena_launcher PUBLIC Qt6::Core)
add_executable(norvena_start launcher/main.cpp)
set_target_properties(norvena_start PROPERTIES OUTPUT_NAME norvena-start)
target_link_libraries(norvena_start PRIVATE norvena_launcher Qt6::Widgets)
target_compile_definitions(norvena_start PRIVATE
    NORVENA_PROGRAM="$<TARGET_FILE_NAME:norvena>"
    NORVENA_INSTALLED_DATA_DIR="${NORVENA_INSTALLED_DATA_DIR}"
    NORVENA_SETTINGS_FILE="${NORVENA_SETTINGS_INSTALL_DIR}/norvena.conf")

# Files made for installing: the demo course's database made afresh from its
# seed (the one in course/ may have been worked in), the icon in the sizes of
# the desktop's icon theme, compressed manual pages and changelog, the
# desktop entry and the AppStream data under the application id.
find_program(RSVG_CONVERT_EXECUTABLE rsvg-convert REQUIRED)
find_program(GZIP_EXECUTABLE gzip REQUIRED)
set(NORVENA_STAGE "${CMAKE_BINARY_DIR}/install-files")
set(NORVENA_INSTALL_FILES)

set(DEMO_DB_PRISTINE "${NORVENA_STAGE}/test.mdb")
add_custom_command(OUTPUT "${DEMO_DB_PRISTINE}"
    COMMAND ${CMAKE_COMMAND} -E rm -f "${DEMO_DB_PRISTINE}"
    COMMAND ${SQLITE3_EXECUTABLE} -bail "${DEMO_DB_PRISTINE}" ".read ${CMAKE_SOURCE_DIR}/course/test.sql"
    DEPENDS "${CMAKE_SOURCE_DIR}/course/test.sql"
    COMMENT "Making the installed demo course's database"
    VERBATIM)
list(APPEND NORVENA_INSTALL_FILES "${DEMO_DB_PRISTINE}")

set(NORVENA_ICON_SIZES 16 22 24 32 48 64 128 256)
foreach(size ${NORVENA_ICON_SIZES})
    set(icon "${NORVENA_STAGE}/icons/${size}x${size}/${NORVENA_APP_ID}.png")
    add_custom_command(OUTPUT "${icon}"
        COMMAND ${CMAKE_COMMAND} -E make_directory "${NORVENA_STAGE}/icons/${size}x${size}"
        COMMAND ${RSVG_CONVERT_EXECUTABLE} -w ${size} -h ${size} -o "${icon}" "${CMAKE_SOURCE_DIR}/packaging/norvena.svg"
        DEPENDS "${CMAKE_SOURCE_DIR}/packaging/norvena.svg"
        VERBATIM)
    list(APPEND NORVENA_INSTALL_FILES "${icon}")
    install(FILES "${icon}" DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps")
endforeach()

configure_file(packaging/changelog.in "${NORVENA_STAGE}/changelog" @ONLY)
foreach(source "${CMAKE_SOURCE_DIR}/packaging/norvena.1" "${CMAKE_SOURCE_DIR}/packaging/norvena-start.1"
        "${CMAKE_SOURCE_DIR}/packaging/norvena-admin.1"
        "${NORVENA_STAGE}/changelog")
    get_filename_component(name "${source}" NAME)
    set(gz "${NORVENA_STAGE}/gz/${name}.gz")
    add_custom_command(OUTPUT "${gz}"
        COMMAND ${CMAKE_COMMAND} -E copy "${source}" "${NORVENA_STAGE}/gz/${name}"
        COMMAND ${GZIP_EXECUTABLE} -9nf "${NORVENA_STAGE}/gz/${name}"
        DEPENDS "${source}"
        VERBATIM)
    list(APPEND NORVENA_INSTALL_FILES "${gz}")
endforeach()
add_custom_target(norvena_install_files ALL DEPENDS ${NORVENA_INSTALL_FILES})

configure_file(packaging/norvena.desktop.in "${NORVENA_STAGE}/${NORVENA_APP_ID}.desktop" @ONLY)
configure_file(packaging/norvena.metainfo.xml.in "${NORVENA_STAGE}/${NORVENA_APP_ID}.metainfo.xml" @ONLY)

install(TARGETS norvena norvena_start norvena-admin RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
install(TARGETS norvena_webview LIBRARY DESTINATION "${NORVENA_MODULE_INSTALL_DIR}")
install(FILES "doc/${NORVENA_GUIDE}" DESTINATION "${NORVENA_DATA_INSTALL_DIR}")
install(DIRECTORY course/ DESTINATION "${NORVENA_DATA_INSTALL_DIR}/course"
    PATTERN "test.mdb*" EXCLUDE
    PATTERN "test.sql" EXCLUDE)
install(FILES "${DEMO_DB_PRISTINE}" DESTINATION "${NORVENA_DATA_INSTALL_DIR}/course")
install(FILES "${NORVENA_STAGE}/${NORVENA_APP_ID}.desktop" DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES "${NORVENA_STAGE}/${NORVENA_APP_ID}.metainfo.xml" DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
install(FILES packaging/norvena.svg DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps"
    RENAME "${NORVENA_APP_ID}.svg")
install(FILES "${NORVENA_STAGE}/gz/norvena.1.gz" "${NORVENA_STAGE}/gz/norvena-start.1.gz"
    "${NORVENA_STAGE}/gz/norvena-admin.1.gz"
    DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
# copyright states the licence and points at Debian's own copy of the GPL
# (/usr/share/common-licenses/GPL-3); LICENSE, the same text, is not installed.
install(FILES packaging/copyright "${NORVENA_STAGE}/gz/changelog.gz" DESTINATION "${CMAKE_INSTALL_DOCDIR}")
# The settings file goes to /etc for the prefix /usr (the package, through
# DESTDIR) and under any other prefix, also one given to `cmake --install
# --prefix`: never outside the prefix. (norvena-start reads it where the
# configured prefix puts it; NORVENA_CONFIG names another.)
install(CODE "
    if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
        set(norvena_settings_dir \"/etc/norvena\")
    else()
        set(norvena_settings_dir \"\${CMAKE_INSTALL_PREFIX}/etc/norvena\")
    endif()
    file(INSTALL DESTINATION \"\${norvena_settings_dir}\" TYPE FILE FILES \"${CMAKE_SOURCE_DIR}/packaging/norvena.conf\")
")
install(FILES packaging/lintian-overrides DESTINATION "${CMAKE_INSTALL_DATADIR}/lintian/overrides" RENAME norvena)

# Tests of the install: the launcher's rules and the file locations in-process,
# and the package built, unpacked and started (tests/package/).
file(GLOB PACKAGE_TESTS CONFIGURE_DEPENDS tests/package/tst_*.cpp)
foreach(source ${PACKAGE_TESTS})
    get_filename_component(name ${source} NAME_WE)
    add_executable(${name} ${source})
    target_link_libraries(${name} PRIVATE norvena_testsupport norvena_launcher)
    target_compile_definitions(${name} PRIVATE
        NORVENA_BINARY_DIR="${CMAKE_BINARY_DIR}"
        NORVENA_CPACK="${CMAKE_CPACK_COMMAND}"
        NORVENA_APP_ID="${NORVENA_APP_ID}"
        NORVENA_WEBVIEW_MODULE="$<TARGET_FILE_NAME:norvena_webview>"
        NORVENA_INSTALL_BINDIR="${CMAKE_INSTALL_FULL_BINDIR}"
        NORVENA_INSTALL_MODULEDIR="${CMAKE_INSTALL_FULL_LIBDIR}/norvena"
        NORVENA_INSTALL_DATADIR="${CMAKE_INSTALL_FULL_DATADIR}"
        NORVENA_INSTALL_DOCDIR="${CMAKE_INSTALL_FULL_DOCDIR}"
        NORVENA_SETTINGS_FILE="${NORVENA_SETTINGS_INSTALL_DIR}/norvena.conf")
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${TEST_ENV}" TIMEOUT 600)
endforeach()
