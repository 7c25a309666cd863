#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes every page of a multi-page TIFF as its own PNG (name-1.png, name-2.png, ...).
# Usage: split-tiff-pages.sh FILE.tif OUTPUT_FOLDER
tif="${1:?TIFF file}"
out="${2:?output folder}"
name=$(basename "$tif" .tif)
exec braxel /S "$tif" /F 3 /T "$out/$name.png" /1 "*"
