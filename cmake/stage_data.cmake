# Copies the source data folder into the runnable folder. Files that the programs change at
# run time (a map's ".data" companion file holds its highscores) are copied only when missing;
# everything else is refreshed when the source is newer.
file(GLOB_RECURSE files RELATIVE ${SRC} ${SRC}/*)
foreach(rel ${files})
    set(from ${SRC}/${rel})
    set(to ${DST}/${rel})
    if(rel MATCHES "\\.data$")
        if(NOT EXISTS ${to})
            configure_file(${from} ${to} COPYONLY)
        endif()
    elseif(NOT EXISTS ${to} OR ${from} IS_NEWER_THAN ${to})
        configure_file(${from} ${to} COPYONLY)
    endif()
endforeach()
