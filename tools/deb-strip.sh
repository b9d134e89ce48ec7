#!/bin/sh
# The strip of the package build: what Debian's own packaging strips, the
# compiler's version notes included.
exec strip --remove-section=.comment --remove-section=.note --strip-unneeded "$@"
