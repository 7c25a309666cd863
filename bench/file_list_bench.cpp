// SPDX-License-Identifier: GPL-3.0-or-later
// Building the file list of a generated tree of 100000 files in 1000 folders, and naming the
// output of every listed file.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/file_list.h"

namespace {

namespace fs = std::filesystem;

constexpr int kTopFolders = 10;
constexpr int kLeafFoldersPerTop = 100;  // 10 x 100 = 1000 folders holding files
constexpr int kFilesPerFolder = 100;     // 1000 x 100 = 100000 files

// The generated tree, made once and removed at exit. Nine files in ten are PNG.
class Tree {
 public:
  Tree() {
    std::string pattern = (fs::temp_directory_path() / "braxel-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    root_ = pattern;
    for (int t = 0; t < kTopFolders; ++t) {
      for (int l = 0; l < kLeafFoldersPerTop; ++l) {
        const fs::path folder =
            fs::path(root_) / ("top" + std::to_string(t)) / ("leaf" + std::to_string(l));
        fs::create_directories(folder);
        for (int f = 0; f < kFilesPerFolder; ++f) {
          const char* extension = f % 10 == 9 ? ".jpg" : ".png";
          std::ofstream(folder / ("image." + std::to_string(f) + extension));
        }
      }
    }
  }
  ~Tree() {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  const std::string& root() const { return root_; }

 private:
  std::string root_;
};

const Tree& GetTree() {
  static const Tree tree;
  return tree;
}

braxel::clsConversionOptions TreeItem(const char* pattern) {
  braxel::clsConversionOptions item;
  item.sOriginalFile = GetTree().root() + "/" + pattern;
  item.sTargetFile = GetTree().root() + "-out/*.jpg";
  item.lTargetFileType = 1;
  item.bDoSubfolders = true;
  return item;
}

void BM_BuildFileList(benchmark::State& state, const char* pattern) {
  braxel::clsConversionOptions item = TreeItem(pattern);
  // What the window supplies: a pending-events call and a running test before every file.
  int events = 0;
  braxel::ScanControl control;
  control.doEvents = [&events] { ++events; };
  control.isRunning = [] { return true; };
  control.showStatus = [](const std::string&) {};
  std::vector<std::string> list;
  for (auto _ : state) {
    if (!braxel::BuildFileList(item, list, control)) state.SkipWithError("list failed");
    benchmark::DoNotOptimize(list.data());
  }
  state.counters["files"] = static_cast<double>(list.size());
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(list.size()));
}
BENCHMARK_CAPTURE(BM_BuildFileList, png, "*.png")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BuildFileList, all, "*.*")->Unit(benchmark::kMillisecond);

// Naming only (no folder creation): the per-file cost the conversion run adds to the list.
void BM_NameOutputs(benchmark::State& state) {
  braxel::clsConversionOptions item = TreeItem("*.*");
  std::vector<std::string> list;
  if (!braxel::BuildFileList(item, list)) state.SkipWithError("list failed");
  const braxel::OutputNaming naming = braxel::ComputeOutputNaming(item);
  for (auto _ : state) {
    for (const std::string& file : list)
      benchmark::DoNotOptimize(braxel::NameOutputFile(naming, file));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(list.size()));
}
BENCHMARK(BM_NameOutputs)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
