// SPDX-License-Identifier: GPL-3.0-or-later
// Path text helpers. Paths are UTF-8 text with kPathSeparator between elements; nothing here
// touches the file system.
#pragma once

#include <string>
#include <string_view>

namespace braxel {

inline constexpr char kPathSeparator = '/';
inline constexpr std::string_view kPathSeparatorText = "/";

// The path without its last element and without a trailing separator ("/a/b.png" -> "/a";
// "/a.png" -> ""; "name" -> ""). A trailing separator is dropped first ("/a/b/" -> "/a").
std::string ParentFolder(std::string_view path);
// The last element of the path ("/a/b.png" -> "b.png"); "" for a path ending in a separator.
std::string FileNameOf(std::string_view path);
// The last element without its last extension ("/a/x.b.png" -> "x.b").
std::string BaseNameOf(std::string_view path);
// The text after the last "." of the whole path, trimmed; "" when there is no ".".
// ("/a.b/file" -> "b/file": the last dot anywhere counts.)
std::string GetExtension(std::string_view path);
// The text up to and including the last separator; "" when there is none.
std::string GetFolderPart(std::string_view path);
// folder + separator + name, without doubling a separator at the join.
std::string JoinPath(std::string_view folder, std::string_view name);
// folder with exactly one trailing separator ("" stays "").
std::string WithTrailingSeparator(std::string_view folder);
// Removes one trailing separator unless the path is the root itself.
std::string WithoutTrailingSeparator(std::string_view folder);
bool EndsWithSeparator(std::string_view path);
// The text with every double quote removed.
std::string StripQuotes(std::string_view text);
// Collapses doubled separators ("//" -> "/").
std::string CollapseSeparators(std::string_view path);
bool IsAbsolutePath(std::string_view path);

}  // namespace braxel
