# Run by cpack after it has installed the package's tree and before it packs it: the program in
# usr/games, where Debian keeps games (it finds its Data in ../share/brelvox from there too), the manual
# page compressed as Debian wants, the copyright file and the compressed changelog in
# usr/share/doc/brelvox.
set(tree "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
set(doc "${tree}/share/doc/brelvox")
set(man "${tree}/share/man/man6/brelvox.6")
file(RENAME "${tree}/bin" "${tree}/games")
file(MAKE_DIRECTORY "${doc}")
file(COPY_FILE "${CPACK_BRELVOX_DEBIAN_FILES}/copyright" "${doc}/copyright")
# -n: no name or time stamp in the .gz, so the same tree gives the same package.
execute_process(COMMAND gzip -9nc "${CPACK_BRELVOX_DEBIAN_FILES}/changelog"
                OUTPUT_FILE "${doc}/changelog.Debian.gz" RESULT_VARIABLE changelog_status)
execute_process(COMMAND gzip -9nf "${man}" RESULT_VARIABLE man_status)
if(NOT changelog_status EQUAL 0 OR NOT man_status EQUAL 0)
    message(FATAL_ERROR "gzip could not compress the changelog or ${man}")
endif()
file(CHMOD "${doc}/copyright" "${doc}/changelog.Debian.gz" "${man}.gz"
     PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
