# The Debian package (`make package`): cpack -G DEB over an install to /usr. Dependencies come
# from dpkg-shlibdeps, binaries are stripped, and the package carries its copyright and changelog
# in /usr/share/doc/karvio as Debian expects. The desktop entry, MIME package, icons, metainfo,
# manual pages and completion are installed in their system places by resources/CMakeLists.txt;
# Debian's file triggers refresh the MIME and desktop caches.

# The manual pages and the changelog go in compressed, as Debian's policy asks (gzip -n: no name
# or time stamp, so the package is reproducible).
find_program(KARVIO_GZIP gzip REQUIRED)
set(doc_build_dir "${CMAKE_BINARY_DIR}/packaging")
file(MAKE_DIRECTORY "${doc_build_dir}")
set(packaged_docs)
foreach(page karvio-cli.1 Karvio.1)
    add_custom_command(
        OUTPUT "${doc_build_dir}/${page}.gz"
        COMMAND ${KARVIO_GZIP} -9n -c "${PROJECT_SOURCE_DIR}/resources/man/${page}" > "${doc_build_dir}/${page}.gz"
        DEPENDS "${PROJECT_SOURCE_DIR}/resources/man/${page}"
        VERBATIM)
    list(APPEND packaged_docs "${doc_build_dir}/${page}.gz")
endforeach()
add_custom_command(
    OUTPUT "${doc_build_dir}/changelog.gz"
    COMMAND ${KARVIO_GZIP} -9n -c "${PROJECT_SOURCE_DIR}/packaging/changelog" > "${doc_build_dir}/changelog.gz"
    DEPENDS "${PROJECT_SOURCE_DIR}/packaging/changelog"
    VERBATIM)
list(APPEND packaged_docs "${doc_build_dir}/changelog.gz")
add_custom_target(karvio_packaged_docs ALL DEPENDS ${packaged_docs})

install(FILES "${doc_build_dir}/karvio-cli.1.gz" "${doc_build_dir}/Karvio.1.gz"
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES "${PROJECT_SOURCE_DIR}/packaging/copyright" "${doc_build_dir}/changelog.gz"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/karvio)

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "karvio")
set(CPACK_PACKAGE_VENDOR "The Karvio developers")
set(CPACK_PACKAGE_CONTACT "The Karvio developers <karvio@karvio.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "catalogue of discs and drives, searchable without them")
set(CPACK_PACKAGE_DESCRIPTION
"Karvio catalogues CDs, DVDs, USB drives and folders. It walks a volume once
into one catalogue file; afterwards every file of every disc can be browsed,
annotated, organised and searched without inserting the disc. It prints HTML
reports of discs and folders, rescans a disc keeping its notes, backs up and
compacts the catalogue, and opens a catalogued file, asking for the right disc
when it is missing.

The package holds the desktop program Karvio and the command-line tool
karvio-cli, which works on the same catalogue files.")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_STRIP_FILES ON)
# Folders made by the install are 0755 whatever the builder's umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://karvio.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The report's arial face is drawn with Liberation Sans; the file types need the MIME database
# and the desktop's opener.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, shared-mime-info, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "desktop-file-utils")
set(CPACK_DEBIAN_COMPRESSION_TYPE "xz")
# Only the program's own files: the test, benchmark and library components stay out.
set(CPACK_DEB_COMPONENT_INSTALL OFF)
set(CPACK_SOURCE_IGNORE_FILES "/build.*/;/\\\\.git/")
include(CPack)
