#!/bin/sh
# Starts Ombrex from its own folder, where its help file and report template live.
here=$(dirname "$(readlink -f "$0")")
exec "$here/../lib/ombrex/ombrex" "$@"
