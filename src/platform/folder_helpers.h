// SPDX-License-Identifier: GPL-3.0-or-later
// The path and file operations the program shares: folder variables, special folders, roots,
// the deepest existing folder, unique temporary names, the writeability probe, the output
// folder safety check, and deleting and moving files without ever losing the source.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/files.h"

namespace braxel {

// The folder of a special-folder identifier without a trailing separator, or "(error)".
std::string GetSpecialFolder(int id);
// The folder, or "Special Folder Does Not Exist" / "Folder Not Valid On this OS".
std::string GetSpecialFolderOrReason(int id);

// Trims the text, expands a leading "~/" to the home folder, then replaces the first folder
// variable found (letter case ignored), in the order %USERPROFILE% (also %HOMEPATH%),
// %APPDATA%, %LOCALAPPDATA%, %WINDIR%, %PROGRAMFILES(X86)%, %PROGRAMFILES%, %MYDOCUMENTS%;
// every occurrence of that variable is replaced and no later variable is looked at.
std::string ExpandFolderVariables(std::string_view text);

// "/" for an absolute path ("/" also with addSeparator), "" otherwise.
std::string GetPathRoot(std::string_view path, bool addSeparator);
// The longest leading part of an absolute path that is an existing folder ("/" at least);
// "" for a relative path.
std::string GetDeepestExistingFolder(std::string_view path);
// A path in `folder` (the temporary folder when empty) made of prefix, random digits and
// extension ("TMP" when empty) that does not exist yet; "" when none was found.
std::string MakeUniqueTempFileName(std::string_view folder, std::string_view prefix, std::string_view extension);
// True when a probe file can be created next to the path's deepest existing folder. The probe
// is created exclusively (never through a symlink) and always removed.
bool IsFolderWriteable(std::string_view path);

struct OutputFolderCheck {
  int status = 0;  // 0 fine, 1 unknown, 2 system folder, 3 protected, 4 root, 5 not writeable
  std::string correctedPath;
  std::string message;  // untranslated
};
OutputFolderCheck CheckOutputFolder(std::string_view path);

// True when the file is gone: missing already, or deleted within 21 attempts `retryDelayMs`
// apart (the owner's write permission is added before each attempt).
bool DeleteFileWithRetry(std::string_view path, int retryDelayMs = 1000);
// Moves a file into a folder (created when missing), replacing a file of the same name there.
// Renames within one file system; otherwise copies, flushes, and only then deletes the source.
// A failure never loses the source; moving a file onto itself succeeds and changes nothing.
bool MoveFileToFolder(std::string_view file, std::string_view folder);
// Moves `source` over `destination` with the same guarantees.
bool MoveFileOverwrite(std::string_view source, std::string_view destination);
// Copies a folder tree; existing files are replaced only with `overwrite`.
bool CopyFolder(std::string_view source, std::string_view destination, bool overwrite);

// The three time-stamp operations: read, give a file the times of another, set them to now.
std::optional<FileTimes> ReadFileTimeStamps(std::string_view path);
bool WriteFileTimeStamps(std::string_view path, const FileTimes& times);
bool SetFileTimeStampsToNow(std::string_view path);

}  // namespace braxel
