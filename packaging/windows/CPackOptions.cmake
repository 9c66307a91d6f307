# Read by cpack for each package it makes: the zip is named for what it is; the setup program keeps
# zentu-setup-VERSION.exe.
if(CPACK_GENERATOR STREQUAL "ZIP")
    set(CPACK_PACKAGE_FILE_NAME "zentu-${CPACK_PACKAGE_VERSION}-windows")
endif()
