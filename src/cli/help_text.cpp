// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/help_text.h"

#include "cli/command_line.h"

namespace braxel {

std::string CommandLineHelpText() {
  return "braxel " + ProgramVersionText() + " - batch image converter\n" + R"(
Usage: braxel [switches]
       braxel                 open the desktop program
       braxel --help | -h | /?  show this help
       braxel --version       show the version

Switches are case sensitive. A switch is "/" and one letter; its value runs to the next
switch. Quote wildcard paths so that the shell does not expand them.

  /S path     input file, or folder wildcard such as "/home/me/in/*.png" ("*.*" for all)
  /T path     output file, or folder wildcard such as "/home/me/out/*.jpg"
  /F n        input format code (-1 autodetect); taken from /S's extension when omitted
  /C n        output format code; taken from /T's extension when omitted
  /R          also convert the matching files of every subfolder (outputs mirror them)
  /G          save every output next to its input
  /L path     append the report of the run to this log file (date-time tokens below)
  /V          also show every reported message
  /Z          verbose result logging
  /B path     after a failed run, save the logged items as a job file to re-run them
  /J path     run a saved job file instead of a single item
  /O          with /J: open the job in the window instead of running it
  /P n        apply special process n instead of a plain conversion
  /1 ... /9   conversion options: 1 TIFF pages ("1-3", "2,5-10", "*"), 2 TIFF compression
              (0 none, 1 LZW, 2 RLE, 3 CCITT3, 4 CCITT4), 3 append to TIFF (TRUE/FALSE),
              4 JPEG quality (0-100), 5 title, 6 description, 7 date, 8 author, 9 copyright
  /a ... /i   special process parameters 1 to 9
  /0 n        open the window to change the options of special process n (0: conversion)
  /X          end at once

Format codes: 1 JPEG, 2 BMP, 3 TIFF, 4 GIF, 5 EMF, 6 J2K, 7 PCX, 8 PNG, 9 Sun raster,
10 Targa, 11 WMF, 12 ICO, 13 CUR, 14 ANI (12 to 14 are input only).

Log file name tokens: [Y] year, [M] month, [D] day, [YMD] yyyymmdd, [MDY] mmddyyyy,
[H] hour, [I] minute, [S] second, [HIS] hhnnss.

Examples:
  braxel /S "/home/me/in/*.png" /T "/home/me/out/*.jpg" /R /L "/home/me/logs/run[YMD].txt"
  braxel /S /home/me/scan.tif /F 3 /T /home/me/pages/scan.png /1 "*"
  braxel /S "/home/me/in/*.bmp" /G /C 8
  braxel /J /home/me/jobs/nightly.bxj /L /home/me/logs/nightly.txt /B /home/me/jobs/failed.bxj

Exit status: 0 success, 1 the run failed, 2 the command line was rejected.
)";
}

}  // namespace braxel
