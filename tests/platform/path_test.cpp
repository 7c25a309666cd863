// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/path.h"

#include <gtest/gtest.h>

namespace braxel {
namespace {

struct PathCase {
  const char* path;
  const char* parent;
  const char* fileName;
  const char* extension;
  const char* folderPart;
};

TEST(Path, Splitting) {
  const PathCase cases[] = {
      {"/in/a.b.png", "/in", "a.b.png", "png", "/in/"},
      {"/a.png", "", "a.png", "png", "/"},
      {"/in/sub/", "/in", "", "", "/in/sub/"},
      {"/a.b/file", "/a.b", "file", "b/file", "/a.b/"},
      {"name", "", "name", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(ParentFolder(c.path), c.parent);
    EXPECT_EQ(FileNameOf(c.path), c.fileName);
    EXPECT_EQ(GetExtension(c.path), c.extension);
    EXPECT_EQ(GetFolderPart(c.path), c.folderPart);
  }
  EXPECT_EQ(BaseNameOf("/in/a.b.png"), "a.b");
  EXPECT_EQ(JoinPath("/in/", "/x"), "/in/x");
  EXPECT_EQ(StripQuotes("\"/a b\"/c"), "/a b/c");
  EXPECT_EQ(CollapseSeparators("//a//b"), "/a/b");
}

}  // namespace
}  // namespace braxel
