#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Saves a PNG copy next to every BMP of a folder and its subfolders, skipping files done before
# when the "skip processed files" option is on.
# Usage: pngs-next-to-originals.sh FOLDER
dir="${1:?folder}"
exec braxel /S "$dir/*.bmp" /G /R /C 8
