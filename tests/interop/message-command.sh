#!/bin/sh
# smbd's message command: keeps the text smbd wrote and the names it saw.
#   $1 the temporary file with the text (ours to move away)
#   $2 the inbox directory
#   $3 called name (%L), $4 originator (%f), $5 calling name (%m)
id=$(date +%s%N)-$$
printf 'called=%s\noriginator=%s\ncalling=%s\n' "$3" "$4" "$5" >"$2/$id.names"
# The text file comes last: once it is there, the message is complete.
mv -f -- "$1" "$2/$id.tmp" || { cat -- "$1" >"$2/$id.tmp" && rm -f -- "$1"; }
mv -f -- "$2/$id.tmp" "$2/$id.txt"
