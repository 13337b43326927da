#!/bin/sh
# Runs Quorvane from the folder that holds its files: the game reads them from the current folder.
cd /usr/share/quorvane || exit 1
exec /usr/lib/quorvane/quorvane "$@"
