# Writes OUTPUT in the format `sha256sum -c` reads: one "<sha256>  <name>"
# line per file. FILES alternates the name in the zip and the file's path.
set(text "")
while(FILES)
  list(POP_FRONT FILES name path)
  file(SHA256 ${path} sum)
  string(APPEND text "${sum}  ${name}\n")
endwhile()
file(WRITE ${OUTPUT} "${text}")
