#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Converts every image of a folder (with subfolders) to JPEG, mirroring the folder tree,
# and appends a dated report to a log file.
# Usage: convert-folder.sh INPUT_FOLDER OUTPUT_FOLDER
in="${1:?input folder}"
out="${2:?output folder}"
exec braxel /S "$in/*.*" /F -1 /T "$out/*.jpg" /R /L "$out/braxel-[YMD].log"
