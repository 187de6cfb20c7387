# Writes the manual page kessadon.1 from the program's own help: run with
# -DPROGRAM=<the built kessadon> -DOUTPUT=<kessadon.1> -DVERSION=<version>.

function(help_of out)
  execute_process(COMMAND ${PROGRAM} ${ARGN} --help OUTPUT_VARIABLE text RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} ${ARGN} --help failed")
  endif()
  # roff reads a backslash as an escape and a leading dot or quote as a request.
  string(REPLACE "\\" "\\e" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

help_of(main)
# The subcommands, as the main help lists them.
string(REGEX MATCH "Subcommands:\n(.*)\n\n" listing "${main}")
string(REGEX MATCHALL "\n  ([a-z-]+)" names "\n${CMAKE_MATCH_1}")

set(page ".TH KESSADON 1 \"\" \"Kessadon ${VERSION}\" \"User Commands\"
.SH NAME
kessadon \\- grid surfaces of terrain and geological surfaces, estimated from measured points
.SH SYNOPSIS
.B kessadon
.br
.B kessadon
.I subcommand
.RI [ options ]
.SH DESCRIPTION
Without arguments, kessadon starts the desktop program (its interface is
Japanese). With arguments it runs the command line, whose help follows.
.PP
.nf
${main}.fi
")
foreach(entry IN LISTS names)
  string(STRIP "${entry}" name)
  help_of(help ${name})
  string(APPEND page ".SH \"${name}\"\n.nf\n${help}.fi\n")
endforeach()
string(APPEND page ".SH FILES
.TP
.I /usr/share/kessadon
The defaults file default.txt, the colour tables Color1.txt ... Color4.txt and
ColorShd.txt, and sample data under samples/. A build folder's own copies,
beside the program, are read first.
")
file(WRITE ${OUTPUT} "${page}")
