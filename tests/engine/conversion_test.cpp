// SPDX-License-Identifier: GPL-3.0-or-later
// Tests of converting files: item shapes, the TIFF paths, post-processing and the fallback.
#include "engine/conversion.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <set>

#include "engine/conversion_fixtures.h"
#include "engine/conversion_options.h"
#include "engine/logging.h"
#include "engine/session.h"
#include "engine/special_process_hook.h"
#include "platform/files.h"
#include "support/temp_dir.h"

namespace braxel {
namespace {

namespace fs = std::filesystem;
using test::PageWidths;
using test::ReadWholeFile;
using test::TempDir;
using test::WriteImage;
using test::WriteTiffPages;

constexpr int kJpeg = 1, kBmp = 2, kTiff = 3, kPng = 8;

std::string Options(const std::string& range, bool append) {
  ConversionOptions options;
  options.sPageRange = range;
  options.bTiffAppend = append;
  return BuildConversionOptions(options);
}

clsConversionOptions Item(const std::string& in, int inCode, const std::string& out, int outCode,
                          const std::string& params = "") {
  clsConversionOptions item;
  item.sOriginalFile = in;
  item.lOriginalFileType = inCode;
  item.sTargetFile = out;
  item.lTargetFileType = outCode;
  item.sExtraParams = params.empty() ? std::string(kDefaultConversionOptionsText) : params;
  return item;
}

// Every file below `root`, relative to it.
std::set<std::string> FilesUnder(const std::string& root) {
  std::set<std::string> names;
  for (const auto& e : fs::recursive_directory_iterator(root))
    if (e.is_regular_file()) names.insert(fs::relative(e.path(), root).string());
  return names;
}

Session RunningSession() {
  Session session;
  session.bRunning = true;
  return session;
}

TEST(Conversion, ItemShapes) {
  TempDir dir;
  WriteImage(dir.Sub("In/a.png"), kPng, 11);
  WriteImage(dir.Sub("In/Sub/b.png"), kPng, 12);
  dir.WriteFile("In/notes.txt", "not an image");
  struct Case {
    const char* name;
    std::string in, out;
    int outCode;
    bool subfolders;
    std::string params;
    std::map<std::string, std::vector<uint32_t>> expected;  // output file -> page widths
  };
  const Case cases[] = {
      {"single file", "In/a.png", "Out/one.bmp", kBmp, false, "", {{"one.bmp", {11}}}},
      {"folder to folder with subfolders",
       "In/*.png",
       "Out/*.jpg",
       kJpeg,
       true,
       "",
       {{"a.jpg", {11}}, {"Sub/b.jpg", {12}}}},
      {"many to one gathers pages",
       "In/*.png",
       "Out/book.tif",
       kTiff,
       true,
       Options("1", true),
       {{"book.tif", {11, 12}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(dir.Sub("Out"));
    clsConversionOptions item = Item(dir.Sub(c.in), kPng, dir.Sub(c.out), c.outCode, c.params);
    item.bDoSubfolders = c.subfolders;
    Session session = RunningSession();
    EXPECT_EQ(PerformBlockConversion(session, 1, item), 0) << item.sErr;
    std::set<std::string> names;
    for (const auto& [name, widths] : c.expected) {
      names.insert(name);
      EXPECT_EQ(PageWidths(dir.Sub("Out/" + name)), widths) << name;
    }
    EXPECT_EQ(FilesUnder(dir.Sub("Out")), names);
  }
}

TEST(Conversion, TiffPaths) {
  struct Case {
    const char* name;
    int inCode, outCode;
    std::string params;
    std::vector<uint32_t> existingOutput;  // pages of book.tif before the conversion
    std::string output;                    // sTargetFile, relative
    int32_t result;
    std::map<std::string, std::vector<uint32_t>> expected;  // files of Out afterwards
  };
  // The input in.tif has pages of widths 21, 22, 23; in.png has width 30.
  const Case cases[] = {
      {"C: a range of pages gets suffixed names",
       kTiff,
       kPng,
       Options("2-3", false),
       {},
       "a.png",
       0,
       {{"a-2.png", {22}}, {"a-3.png", {23}}}},
      {"C: one page keeps the name",
       kTiff,
       kJpeg,
       Options("2", false),
       {},
       "a.jpg",
       0,
       {{"a.jpg", {22}}}},
      {"C: * converts every page",
       kTiff,
       kPng,
       Options("*", false),
       {},
       "a.png",
       0,
       {{"a-1.png", {21}}, {"a-2.png", {22}}, {"a-3.png", {23}}}},
      {"C: a blank range converts every page",
       kTiff,
       kBmp,
       Options("", false),
       {},
       "a.bmp",
       0,
       {{"a-1.bmp", {21}}, {"a-2.bmp", {22}}, {"a-3.bmp", {23}}}},
      {"C: TIFF pages to TIFF files without append",
       kTiff,
       kTiff,
       Options("1,3", false),
       {},
       "a.tif",
       0,
       {{"a-1.tif", {21}}, {"a-3.tif", {23}}}},
      {"B: append to an existing TIFF",
       kPng,
       kTiff,
       Options("1", true),
       {5, 6},
       "book.tif",
       0,
       {{"book.tif", {5, 6, 30}}}},
      {"B: without append the TIFF is replaced",
       kPng,
       kTiff,
       Options("1", false),
       {5, 6},
       "book.tif",
       0,
       {{"book.tif", {30}}}},
      {"B: append creates a missing TIFF",
       kPng,
       kTiff,
       Options("1", true),
       {},
       "book.tif",
       0,
       {{"book.tif", {30}}}},
      {"D: selected pages appended to an existing TIFF",
       kTiff,
       kTiff,
       Options("3,1", true),
       {5},
       "book.tif",
       0,
       {{"book.tif", {5, 21, 23}}}},
      {"D: a new TIFF from one page",
       kTiff,
       kTiff,
       Options("2", true),
       {},
       "book.tif",
       0,
       {{"book.tif", {22}}}},
      {"D: a new TIFF from every page",
       kTiff,
       kTiff,
       Options("*", true),
       {},
       "book.tif",
       0,
       {{"book.tif", {21, 22, 23}}}},
      {"D: a blank range appends nothing and fails",
       kTiff,
       kTiff,
       Options("", true),
       {5, 6},
       "book.tif",
       kConvErrConvert,
       {{"book.tif", {5, 6}}}},
      {"D: a missing last page abandons, the output stays",
       kTiff,
       kTiff,
       Options("1,9", true),
       {5, 6},
       "book.tif",
       kConvErrFrame,
       {{"book.tif", {5, 6}}}},
      {"C: page 0 of '1,,3' is a frame that cannot load",
       kTiff,
       kPng,
       Options("1,,3", false),
       {},
       "a.png",
       0,
       {{"a-1.png", {21}}, {"a-3.png", {23}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::string in = c.inCode == kTiff ? WriteTiffPages(dir.Sub("in.tif"), {21, 22, 23})
                                             : WriteImage(dir.Sub("in.png"), kPng, 30);
    dir.MakeDir("Out");
    if (!c.existingOutput.empty()) {
      ASSERT_FALSE(WriteTiffPages(dir.Sub("Out/book.tif"), c.existingOutput).empty());
    }
    clsConversionOptions item = Item(in, c.inCode, dir.Sub("Out/" + c.output), c.outCode, c.params);
    EXPECT_EQ(PerformConversionItemPrimary(item), c.result) << item.sErr;
    std::set<std::string> names;
    for (const auto& [name, widths] : c.expected) {
      names.insert(name);
      EXPECT_EQ(PageWidths(dir.Sub("Out/" + name)), widths) << name;
    }
    EXPECT_EQ(FilesUnder(dir.Sub("Out")), names);  // no temporary file is left behind
  }
}

TEST(Conversion, PageErrorsNameThePosition) {
  TempDir dir;
  const std::string in = WriteTiffPages(dir.Sub("in.tif"), {21, 22});
  clsConversionOptions item = Item(in, kTiff, dir.Sub("a.png"), kPng, Options("1,7", false));
  EXPECT_EQ(PerformConversionItemPrimary(item), kConvErrFrame);
  EXPECT_EQ(item.sErr, "Unable to load frame 1. Check Options Button");
  EXPECT_EQ(item.sTargetFile, dir.Sub("a-7.png"));  // the item keeps the last page's name
  EXPECT_EQ(PageWidths(dir.Sub("a-1.png")), std::vector<uint32_t>{21});
}

// Damages the second page of a two-page LZW TIFF so that it no longer decodes.
std::string TiffWithBadSecondPage(const std::string& path) {
  imaging::ImageFile file;
  file.SetTiffCompression(1);
  file.SetMultiPageMode(true);
  imaging::Image big = test::PatternImage(300, 300);
  for (size_t i = 0; i < big.byteSize(); ++i)
    big.data()[i] = static_cast<uint8_t>((i * 2654435761u) >> 13);
  if (!file.SaveImageAs(path, 3, test::PatternImage(5)) || !file.AppendTiffPage(big, true))
    return "";
  std::string bytes = ReadWholeFile(path);
  for (size_t i = bytes.size() / 2; i < bytes.size() / 2 + 2000; ++i)
    bytes[i] = static_cast<char>(0xff);
  if (!WriteFileAtomic(path, bytes)) return "";
  return path;
}

TEST(Conversion, AbandonedAppendLeavesTheOutputUntouched) {
  struct Case {
    const char* name;
    bool badInput;  // otherwise the existing output has an unreadable page
    int inCode;
  };
  const Case cases[] = {{"unreadable input, path B", true, kPng},
                        {"unreadable page of the existing output, path B", false, kPng},
                        {"unreadable page of the existing output, path D", false, kTiff}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::string out = dir.Sub("Out/book.tif");
    dir.MakeDir("Out");
    if (c.badInput) {
      ASSERT_FALSE(WriteTiffPages(out, {5, 6}).empty());
    } else {
      ASSERT_FALSE(TiffWithBadSecondPage(out).empty());
      imaging::ImageFile probe;
      imaging::Image page;
      ASSERT_FALSE(probe.LoadImagePage(out, 1, page)) << "the damage must make page 2 unreadable";
    }
    const std::string before = ReadWholeFile(out);
    const std::string in = c.badInput          ? dir.WriteFile("in.png", "not a picture")
                           : c.inCode == kTiff ? WriteTiffPages(dir.Sub("in.tif"), {21})
                                               : WriteImage(dir.Sub("in.png"), kPng, 30);
    clsConversionOptions item = Item(in, c.inCode, out, kTiff, Options("1", true));
    ConversionRunOptions options;
    options.bDeleteOriginalFileAfterProcessing = true;
    EXPECT_EQ(ConvertOneFile(item, options), kConvErrLoad);
    EXPECT_EQ(ReadWholeFile(out), before);
    EXPECT_EQ(FilesUnder(dir.Sub("Out")), std::set<std::string>{"book.tif"});
    EXPECT_TRUE(FileExists(in)) << "a failed conversion never deletes its input";
  }
}

TEST(Conversion, InvalidOutputType) {
  TempDir dir;
  const std::string in = WriteImage(dir.Sub("in.png"), kPng, 30);
  clsConversionOptions item = Item(in, kPng, dir.Sub("out.ico"), 12);
  EXPECT_EQ(PerformConversionItemPrimary(item), kConvErrOutputType);
  EXPECT_EQ(item.sErr, "Invalid output file type");
  EXPECT_FALSE(PathEntryExists(dir.Sub("out.ico")));
}

TEST(Conversion, FallsBackToTheAlternateLibrary) {
  TempDir dir;
  // Page 2 of a one-page TIFF: the built-in path fails (-110); the alternate library converts
  // the first page.
  const std::string tiff = WriteTiffPages(dir.Sub("one.tif"), {21});
  clsConversionOptions item = Item(tiff, kTiff, dir.Sub("one.png"), kPng, Options("2", false));
  ConversionRunOptions options;
  EXPECT_EQ(ConvertOneFile(item, options), 0) << item.sErr;
  EXPECT_EQ(item.sErr, "");
  EXPECT_EQ(PageWidths(dir.Sub("one.png")), std::vector<uint32_t>{21});

  // A floating-point TIFF, which only the alternate library decodes.
  const std::string fp = dir.Sub("float.tif");
  ASSERT_EQ(
      std::system(
          ("gm convert -size 17x9 gradient:red-blue -define tiff:sample-format=ieeefp -depth 32 '" +
           fp + "'")
              .c_str()),
      0);
  clsConversionOptions primaryOnly = Item(fp, kTiff, dir.Sub("p.png"), kPng, Options("1", false));
  ASSERT_NE(PerformConversionItemPrimary(primaryOnly), 0)
      << "the built-in reader must refuse this file";
  clsConversionOptions fallback = Item(fp, kTiff, dir.Sub("float.png"), kPng, Options("1", false));
  EXPECT_EQ(ConvertOneFile(fallback, options), 0) << fallback.sErr;
  EXPECT_EQ(PageWidths(dir.Sub("float.png")), std::vector<uint32_t>{17});

  // When both fail, the alternate path's message stands.
  clsConversionOptions hopeless =
      Item(dir.WriteFile("junk.png", "junk"), kPng, dir.Sub("j.jpg"), kJpeg);
  EXPECT_EQ(ConvertOneFile(hopeless, options), -101);
  EXPECT_EQ(hopeless.sErr, "ALT: Unsupported source image file format. Unable to load image.");
}

TEST(Conversion, AlternateFirstPageNeverRemovesAMultiPageInput) {
  TempDir dir;
  const std::string in = WriteTiffPages(dir.Sub("pages.tif"), {21, 22, 23});
  clsConversionOptions item = Item(in, kTiff, dir.Sub("out.png"), kPng, Options("9", false));
  ConversionRunOptions options;
  options.bDeleteOriginalFileAfterProcessing = true;
  EXPECT_EQ(ConvertOneFile(item, options), 0) << item.sErr;
  EXPECT_EQ(PageWidths(dir.Sub("out.png")), std::vector<uint32_t>{21});
  EXPECT_EQ(PageWidths(in), (std::vector<uint32_t>{21, 22, 23}))
      << "pages 2 and 3 are not in the output";
}

TEST(Conversion, SpecialProcessHook) {
  TempDir dir;
  const std::string tiff = WriteTiffPages(dir.Sub("pages.tif"), {21, 22, 23});
  int calls = 0;
  bool succeed = true;
  SetSpecialProcessHandler([&](const clsConversionOptions& item, imaging::Image& image) {
    ++calls;
    EXPECT_EQ(item.lSpecialProcess, 24);
    for (size_t i = 0; i < image.byteSize(); ++i) image.data()[i] = 0;
    return succeed;
  });
  clsConversionOptions item = Item(tiff, kTiff, dir.Sub("a.png"), kPng, Options("*", false));
  item.sActionToDo = "S24";
  item.lSpecialProcess = 24;
  EXPECT_EQ(PerformConversionItemPrimary(item), 0);
  EXPECT_EQ(calls, 3) << "once per page";
  imaging::ImageFile file;
  imaging::Image page;
  ASSERT_TRUE(file.LoadImageFile(dir.Sub("a-2.png"), page));
  EXPECT_EQ(page.data()[0], 0);

  // A failed operation saves nothing and is a failure, not a success without output.
  succeed = false;
  clsConversionOptions failing =
      Item(WriteImage(dir.Sub("in.png"), kPng, 30), kPng, dir.Sub("b.bmp"), kBmp);
  failing.sActionToDo = "S24";
  failing.lSpecialProcess = 24;
  EXPECT_EQ(PerformConversionItemPrimary(failing), kConvErrConvert);
  EXPECT_FALSE(PathEntryExists(dir.Sub("b.bmp")));

  // Conversion items never reach the handler.
  calls = 0;
  clsConversionOptions plain = Item(dir.Sub("in.png"), kPng, dir.Sub("c.bmp"), kBmp);
  EXPECT_EQ(PerformConversionItemPrimary(plain), 0);
  EXPECT_EQ(calls, 0);
  SetSpecialProcessHandler(nullptr);
}

TEST(Conversion, AnyConversionMethodConverts) {
  TempDir dir;
  const std::string in = WriteImage(dir.Sub("in.png"), kPng, 30);
  clsConversionOptions item = Item(in, kPng, dir.Sub("out.bmp"), kBmp);
  item.lConversionMethod = 2;
  ConversionRunOptions options;
  options.bDeleteOriginalFileAfterProcessing = true;
  EXPECT_EQ(ConvertOneFile(item, options), 0);
  EXPECT_EQ(PageWidths(dir.Sub("out.bmp")), std::vector<uint32_t>{30});
  EXPECT_FALSE(FileExists(in));
}

TEST(Conversion, SkipProcessedFilesTouchesNothing) {
  TempDir dir;
  const std::string in = WriteImage(dir.Sub("In/a.png"), kPng, 30);
  const std::string out = dir.WriteFile("Out/a.jpg", "an earlier result");
  Session session = RunningSession();
  session.bSkipProcessedFiles = true;
  session.bDeleteOriginalFileAfterProcessing = true;
  for (std::string input : {in, dir.Sub("In/*.png")}) {
    clsConversionOptions item = Item(input, kPng, input == in ? out : dir.Sub("Out/*.jpg"), kJpeg);
    EXPECT_EQ(PerformBlockConversion(session, 1, item), 0);
    EXPECT_EQ(ReadWholeFile(out), "an earlier result");
    EXPECT_TRUE(FileExists(in));
  }
}

TEST(Conversion, TimeStamps) {
  TempDir dir;
  const std::string in = WriteImage(dir.Sub("in.png"), kPng, 30);
  const FileTime old{1000000000, 123456789};
  ASSERT_TRUE(SetFileTimes(in, old, old));
  for (bool retain : {true, false}) {
    SCOPED_TRACE(retain);
    clsConversionOptions item = Item(in, kPng, dir.Sub("out.bmp"), kBmp);
    ConversionRunOptions options;
    options.bRetainInputFileTimeStamp = retain;
    ASSERT_EQ(ConvertOneFile(item, options), 0);
    const auto times = GetFileTimes(dir.Sub("out.bmp"));
    ASSERT_TRUE(times);
    if (retain) {
      EXPECT_EQ(times->modification, old);
      EXPECT_EQ(times->access, old);
    } else {
      EXPECT_GT(times->modification.seconds, old.seconds);
    }
  }
}

TEST(Conversion, MoveKeepsSubfolders) {
  struct Case {
    const char* name;
    std::string moveFolder;  // relative; "" for none
    bool deleteToo;
  };
  const Case cases[] = {{"move into the move folder", "Moved", false},
                        {"move first, then nothing is left to delete", "Moved/", true},
                        {"no move folder moves nothing", "", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    WriteImage(dir.Sub("In/a.png"), kPng, 11);
    WriteImage(dir.Sub("In/Sub/b.png"), kPng, 12);
    Session session = RunningSession();
    session.bMoveOriginalFileAfterProcessing = true;
    session.bDeleteOriginalFileAfterProcessing = c.deleteToo;
    session.sMoveFileToFolder = c.moveFolder.empty() ? "" : dir.Sub(c.moveFolder);
    clsConversionOptions item = Item(dir.Sub("In/*.png"), kPng, dir.Sub("Out/*.bmp"), kBmp);
    item.bDoSubfolders = true;
    EXPECT_EQ(PerformBlockConversion(session, 1, item), 0) << item.sErr;
    EXPECT_EQ(FilesUnder(dir.Sub("Out")), (std::set<std::string>{"a.bmp", "Sub/b.bmp"}));
    if (c.moveFolder.empty()) {
      EXPECT_EQ(FilesUnder(dir.Sub("In")), (std::set<std::string>{"a.png", "Sub/b.png"}));
    } else {
      EXPECT_EQ(FilesUnder(dir.Sub("Moved")), (std::set<std::string>{"a.png", "Sub/b.png"}));
      EXPECT_EQ(FilesUnder(dir.Sub("In")), std::set<std::string>{});
      EXPECT_EQ(session.sMoveFileToFolder, dir.Sub("Moved/"));
    }
  }
}

TEST(Conversion, NeverRemovesAnInputThatIsItsOwnOutput) {
  TempDir dir;
  dir.MakeDir("Data");
  fs::create_directory_symlink(dir.Sub("Data"), dir.Sub("Link"));
  struct Case {
    const char* name;
    std::string output;  // relative
    bool move;
  };
  const Case cases[] = {
      {"the same path, delete", "Data/a.png", false},
      {"the same path apart from letter case, delete", "Data/A.PNG", false},
      {"the same file through a linked folder, delete", "Link/a.png", false},
      {"the same file through a linked folder, move", "Link/a.png", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string in = WriteImage(dir.Sub("Data/a.png"), kPng, 30);
    clsConversionOptions item = Item(in, kPng, dir.Sub(c.output), kPng);
    ConversionRunOptions options;
    options.bDeleteOriginalFileAfterProcessing = !c.move;
    options.bMoveOriginalFileAfterProcessing = c.move;
    options.sMoveFileToFolder = dir.Sub("Moved/");
    EXPECT_EQ(ConvertOneFile(item, options), 0) << item.sErr;
    EXPECT_EQ(PageWidths(in), std::vector<uint32_t>{30});
    EXPECT_FALSE(PathEntryExists(dir.Sub("Moved/a.png")));
    RemoveFile(dir.Sub("Data/A.PNG"));
  }
}

// Many inputs into one output: only pages appended to a TIFF keep every input's pixels, so only
// then may the inputs be deleted.
TEST(Conversion, ManyToOneDeletesInputsOnlyWhenAppending) {
  TempDir dir;
  struct Case {
    const char* name;
    std::string out;
    int outCode;
    std::string params;
    bool inputsDeleted;
  };
  const Case cases[] = {
      {"each input replaces one PNG", "Out/one.png", kPng, "", false},
      {"a TIFF without appending keeps the last page only", "Out/book.tif", kTiff, Options("1", false), false},
      {"pages appended to a TIFF", "Out/book.tif", kTiff, Options("1", true), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(dir.Sub("Out"));
    WriteImage(dir.Sub("In/a.png"), kPng, 11);
    WriteImage(dir.Sub("In/b.png"), kPng, 12);
    clsConversionOptions item = Item(dir.Sub("In/*.png"), kPng, dir.Sub(c.out), c.outCode, c.params);
    Session session = RunningSession();
    session.bDeleteOriginalFileAfterProcessing = true;
    EXPECT_EQ(PerformBlockConversion(session, 1, item), 0) << item.sErr;
    EXPECT_EQ(FileExists(dir.Sub("In/a.png")), !c.inputsDeleted);
    EXPECT_EQ(FileExists(dir.Sub("In/b.png")), !c.inputsDeleted);
  }
}

TEST(Conversion, MoveNeverReplacesTheOutput) {
  TempDir dir;
  const std::string in = WriteImage(dir.Sub("In/a.png"), kPng, 30);
  clsConversionOptions item = Item(in, kPng, dir.Sub("Out/a.png"), kPng);
  ConversionRunOptions options;
  options.bMoveOriginalFileAfterProcessing = true;
  options.sMoveFileToFolder = dir.Sub("Out/");  // the move would land on the output
  EXPECT_EQ(ConvertOneFile(item, options), 0);
  EXPECT_TRUE(FileExists(in));
  EXPECT_EQ(PageWidths(dir.Sub("Out/a.png")), std::vector<uint32_t>{30});
}

TEST(Conversion, ItemResultAndResume) {
  TempDir dir;
  for (int i = 1; i <= 5; ++i) {
    const std::string name = "In/f" + std::to_string(i) + ".png";
    if (i == 3)
      dir.WriteFile(name, "broken");
    else
      WriteImage(dir.Sub(name), kPng, 10 + i);
  }
  // Listing order is the file system's: name the failing file by what was logged.
  for (bool withLogFile : {false, true}) {
    SCOPED_TRACE(withLogFile);
    Session session = RunningSession();
    if (withLogFile) session.sLogFile = dir.Sub("run.log");
    clsConversionOptions item = Item(dir.Sub("In/*.png"), kPng, dir.Sub("Out/*.bmp"), kBmp);
    const int32_t result = PerformBlockConversion(session, 1, item);
    const int logged = session.fgLog.Rows() - 2;
    EXPECT_EQ(logged, withLogFile ? 5 : 1);
    const GridRow& last = session.fgLog.Row(session.fgLog.Rows() - 2);
    EXPECT_EQ(result, last.mark == PassMark::kFail ? -101 : 0) << "the last logged file's result";
    EXPECT_EQ(session.panels[panel::kProgress].text, " 100.0 Percent Complete ");
    EXPECT_EQ(session.lResumeFileIndex, 0);
    fs::remove_all(dir.Sub("Out"));
  }
  // A pause after the third file records position 3: the third file is converted again on
  // resume, and a resumed run starts there and consumes the position.
  Session session = RunningSession();
  session.sLogFile = dir.Sub("pause.log");  // every handled file is logged
  session.doEvents = [&] {
    if (session.fgLog.Rows() - 2 >= 3) session.bRunning = false;
  };
  clsConversionOptions item = Item(dir.Sub("In/*.png"), kPng, dir.Sub("Out/*.bmp"), kBmp);
  PerformBlockConversion(session, 1, item);
  EXPECT_EQ(session.fgLog.Rows() - 2, 3);
  EXPECT_EQ(session.lResumeFileIndex, 3);
  ResetLogGrid(session.fgLog);
  session.bRunning = true;
  session.doEvents = nullptr;
  PerformBlockConversion(session, 1, item);
  EXPECT_EQ(session.fgLog.Rows() - 2, 3) << "files 3 to 5";
  EXPECT_EQ(session.lResumeFileIndex, 0);
}

// A conversion killed at any moment leaves under the output's name either the complete earlier
// file or a complete new one, never a partial file.
TEST(Conversion, KilledConversionLeavesNoPartialOutput) {
  struct Case {
    const char* name;
    int outCode;
    std::string params;
  };
  const Case cases[] = {{"one-page write", kPng, ""},
                        {"appending to a TIFF", kTiff, Options("1", true)}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    // A large noisy image, so that the kill is likely to come in the middle of a write.
    imaging::Image noise = test::PatternImage(900, 900);
    for (size_t i = 0; i < noise.byteSize(); ++i)
      noise.data()[i] = static_cast<uint8_t>((i * 2654435761u) >> 11);
    imaging::ImageFile writer;
    const std::string in = dir.Sub("in.png");
    ASSERT_TRUE(writer.SaveImageAs(in, kPng, noise));
    const std::string out = c.outCode == kTiff ? WriteTiffPages(dir.Sub("Out/book.tif"), {5, 6})
                                               : WriteImage(dir.Sub("Out/out.png"), kPng, 7);
    for (int delayMs : {0, 15, 40, 90}) {
      SCOPED_TRACE(delayMs);
      int ready[2];
      ASSERT_EQ(pipe(ready), 0);
      const pid_t child = fork();
      ASSERT_GE(child, 0);
      if (child == 0) {
        close(ready[0]);
        (void)!write(ready[1], "x", 1);
        for (;;) {
          clsConversionOptions item = Item(in, kPng, out, c.outCode, c.params);
          ConvertOneFile(item, ConversionRunOptions{});
        }
      }
      close(ready[1]);
      char byte = 0;
      ASSERT_EQ(read(ready[0], &byte, 1), 1);
      close(ready[0]);
      usleep(static_cast<useconds_t>(delayMs) * 1000);
      kill(child, SIGKILL);
      int status = 0;
      waitpid(child, &status, 0);
      const std::vector<uint32_t> widths = PageWidths(out);
      if (c.outCode == kTiff) {
        ASSERT_GE(widths.size(), 2u) << "the earlier pages are still there";
        EXPECT_EQ(widths[0], 5u);
        EXPECT_EQ(widths[1], 6u);
        for (size_t i = 2; i < widths.size(); ++i) EXPECT_EQ(widths[i], 900u);
      } else {
        ASSERT_EQ(widths.size(), 1u) << "the output is a complete file";
        EXPECT_TRUE(widths[0] == 7u || widths[0] == 900u);
      }
    }
  }
}

}  // namespace
}  // namespace braxel
