// The installation engine's file phase against the floor under Wine. The
// same ~100 MB tree of ~2000 files is written from memory
//   (a) by the engine (InstallFiles: folder chains, the file name painted
//       on the real copying page of a shown main window, the progress bar),
//   (b) by the floor: a bare loop of CreateFileW, one WriteFile and
//       CloseHandle per file, after making the folders the files need, and
//   (c) by the engine with a view that does nothing, which tells the cost
//       of its file path from the cost of what it shows,
// each into its own fresh folder in every round. Printed: the medians, the
// median ratio engine/floor, the cost of each step per file, every round.
//
//   install_bench [--rounds N] [--export FOLDER]
//
// --export also writes the tree once into FOLDER, which must not exist yet
// (a Z:\ path, so that a native `cp -r` can copy the same tree; see
// bench/run-install.sh, which runs all this). Needs a display: the copying
// page is a real window that repaints.
//
// The record holds at most 256 file entries, so the tree is installed as a
// series of records of 256 entries each, one engine file phase per record,
// all into the same install folder; (a), (b) and (c) take turns record by
// record.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/copying_page.h"
#include "app/install_engine.h"
#include "app/main_form.h"
#include "package/setup_config.h"
#include "shell/folders.h"
#include "shell/path_text.h"
#include "tests/support/screenshot.h"
#include "tests/support/test_paths.h"
#include "ui/application.h"
#include "win/text.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kFileCount = 2000;
constexpr uint64_t kTotalBytes = 100ull << 20;
constexpr int kBigFiles = 8;  // the few files of several MB
constexpr uint32_t kSeed = 20240611;

struct BenchFile {
  std::string relPath;  // GBK, begins with a backslash
  uint32_t offset = 0;
  uint32_t size = 0;
};

struct Tree {
  std::vector<std::string> folders;  // GBK, parents before children, "\a", "\a\b"
  std::vector<BenchFile> files;      // grouped by folder, as a packer walks a tree
  std::vector<uint8_t> payload;
};

// Folder and file names of a typical product, some in Chinese.
const char* const kFolderNames[] = {"bin", "lib", "plugins", "data", "images", "icons", "locale", "zh_CN",
                                    "en_US", "LC_MESSAGES", "themes", "fonts", "sounds", "help", "templates",
                                    "modules", "codecs", "x64", "资源", "皮肤", "默认", "文档", "帮助",
                                    "模板", "图标", "字体", "声音", "插件", "配置", "示例", "数据"};
const char* const kFileStems[] = {"core", "ui", "net", "crypt", "image", "readme", "license", "config",
                                  "icon", "toolbar", "splash", "help", "说明", "帮助文档", "设置", "皮肤",
                                  "图标", "更新日志"};
const char* const kExtensions[] = {".dll", ".png", ".txt", ".xml", ".mo", ".skin", ".dat", ".ico",
                                   ".ini", ".html", ".jpg", ".chm"};

template <typename T, size_t N>
const T& Pick(const T (&items)[N], std::mt19937& rng) {
  return items[std::uniform_int_distribution<size_t>(0, N - 1)(rng)];
}

// ~160 nested folders, up to five levels below the install folder.
std::vector<std::string> MakeFolders(std::mt19937& rng) {
  std::vector<std::string> folders{""};  // the install folder itself
  std::vector<int> depth{0};
  std::map<std::string, int> used;
  while (folders.size() < 160) {
    const size_t parent = std::uniform_int_distribution<size_t>(0, folders.size() - 1)(rng);
    if (depth[parent] >= 5) continue;
    std::string path = folders[parent] + "\\" + Pick(kFolderNames, rng);
    if (const int n = used[path]++; n > 0) path += std::to_string(n);
    folders.push_back(path);
    depth.push_back(depth[parent] + 1);
  }
  return folders;
}

// Sizes: log-normal with a median of 4 KiB, about one in a hundred empty,
// then a few files of several MB that bring the total to ~100 MB.
std::vector<uint32_t> MakeSizes(std::mt19937& rng) {
  std::lognormal_distribution<double> small(std::log(4096.0), 1.8);
  std::uniform_int_distribution<int> percent(0, 99);
  std::vector<uint32_t> sizes;
  uint64_t total = 0;
  for (int i = 0; i < kFileCount - kBigFiles; ++i) {
    const uint32_t size = percent(rng) == 0 ? 0 : static_cast<uint32_t>(std::min(small(rng), 2.0 * (1 << 20)));
    sizes.push_back(size);
    total += size;
  }
  const uint64_t rest = kTotalBytes > total ? kTotalBytes - total : 0;
  for (int i = 0; i < kBigFiles; ++i) sizes.push_back(static_cast<uint32_t>(rest / kBigFiles));
  std::shuffle(sizes.begin(), sizes.end(), rng);
  return sizes;
}

Tree MakeTree() {
  std::mt19937 rng(kSeed);
  Tree tree;
  const std::vector<std::string> folders = MakeFolders(rng);
  // Files spread over the folders, more in the shallow ones; then listed
  // folder by folder, in folder order.
  std::vector<std::vector<std::string>> names(folders.size());
  std::map<std::string, int> used;
  std::geometric_distribution<size_t> folderOf(0.03);
  for (int i = 0; i < kFileCount; ++i) {
    const size_t f = folderOf(rng) % folders.size();
    std::string name = std::string(Pick(kFileStems, rng)) + std::to_string(used[folders[f]]++) + Pick(kExtensions, rng);
    names[f].push_back(folders[f] + "\\" + name);
  }
  const std::vector<uint32_t> sizes = MakeSizes(rng);
  uint64_t offset = 0;
  for (const auto& inFolder : names) {
    for (const std::string& relPath : inFolder) {
      const uint32_t size = sizes[tree.files.size()];
      tree.files.push_back({relPath, static_cast<uint32_t>(offset), size});
      offset += size;
    }
  }
  // The folders that hold files or lie on the way to them: an installer
  // has no reason to make the others (the record cannot name them either).
  for (size_t f = 1; f < folders.size(); ++f) {
    const bool needed = std::any_of(tree.files.begin(), tree.files.end(), [&](const BenchFile& file) {
      return file.relPath.starts_with(folders[f] + "\\");
    });
    if (needed) tree.folders.push_back(folders[f]);
  }
  tree.payload.resize(offset);
  uint64_t x = kSeed;  // xorshift: bytes that are not all alike, made fast
  for (size_t i = 0; i + 8 <= tree.payload.size(); i += 8) {
    x ^= x << 13, x ^= x >> 7, x ^= x << 17;
    std::memcpy(&tree.payload[i], &x, 8);
  }
  return tree;
}

// One record's share of the tree: at most 256 file entries, and the
// folders its files need that the records before it have not made.
struct Chunk {
  std::unique_ptr<setup::SetupConfig> record = std::make_unique<setup::SetupConfig>();
  size_t firstFile = 0, fileCount = 0;
  std::vector<std::string> newFolders;
};

std::vector<Chunk> MakeChunks(const Tree& tree) {
  std::vector<Chunk> chunks;
  for (size_t i = 0; i < tree.files.size(); ++i) {
    const int index = static_cast<int>(i % setup::kTableCapacity);
    if (index == 0) chunks.emplace_back().firstFile = i;
    const BenchFile& f = tree.files[i];
    if (f.relPath.size() > 128) throw std::length_error("a path longer than the record holds: " + f.relPath);
    Chunk& c = chunks.back();
    c.record->SetFile(index, {f.relPath, 0, 1, static_cast<int32_t>(f.offset), static_cast<int32_t>(f.size)});
    c.record->SetInt(setup::field::kFileCount, index + 1);
    c.fileCount = static_cast<size_t>(index) + 1;
  }
  // Parents come before their children in tree.folders and are needed no
  // later than they are, so each chunk's list is in a valid order too.
  for (const std::string& folder : tree.folders) {
    for (Chunk& c : chunks) {
      const auto first = tree.files.begin() + static_cast<ptrdiff_t>(c.firstFile);
      if (std::any_of(first, first + static_cast<ptrdiff_t>(c.fileCount),
                      [&](const BenchFile& f) { return f.relPath.starts_with(folder + "\\"); })) {
        c.newFolders.push_back(folder);
        break;
      }
    }
  }
  return chunks;
}

// The engine without the copying page: what its file path alone costs.
struct BareView : setup::InstallView {
  void SetWorkText(const std::string&) override {}
  void ShowFileName(const std::string&) override {}
  void HideFileName() override {}
  void SetProgress(int) override {}
  void ReportFileError(const std::string&) override { ++errors; }
  int errors = 0;
};

double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

// (a) The engine's file phase on one record, into `root` (GBK).
double TimeEngine(Chunk& chunk, const Tree& tree, const std::string& root, setup::InstallView& view) {
  chunk.record->SetText(setup::field::kInstallFolder, root);
  const auto start = Clock::now();
  setup::InstallFiles({*chunk.record, tree.payload, "", ""}, view);
  return Seconds(start);
}

// Each file: CreateFileW, one WriteFile, CloseHandle.
void WriteFiles(const Chunk& chunk, const Tree& tree, const std::vector<std::wstring>& paths) {
  for (size_t i = 0; i < paths.size(); ++i) {
    HANDLE file =
        CreateFileW(paths[i].c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("the floor cannot create a file");
    const BenchFile& f = tree.files[chunk.firstFile + i];
    DWORD written = 0;
    const bool ok = f.size == 0 || WriteFile(file, tree.payload.data() + f.offset, f.size, &written, nullptr);
    CloseHandle(file);
    if (!ok) throw std::runtime_error("the floor cannot write a file");
  }
}

std::vector<std::wstring> TargetsOf(const Chunk& chunk, const Tree& tree, const std::wstring& root) {
  std::vector<std::wstring> paths;
  for (size_t i = 0; i < chunk.fileCount; ++i) {
    paths.push_back(root + win::WideFromGbk(tree.files[chunk.firstFile + i].relPath));
  }
  return paths;
}

// (b) The floor on one record's files: what any installer has to do. The
// folders the files need are made once each, parents first, without asking
// whether they exist (the install folder itself exists, as for the engine);
// then the files.
double TimeFloor(const Chunk& chunk, const Tree& tree, const std::wstring& root) {
  std::vector<std::wstring> folders;
  for (const auto& f : chunk.newFolders) folders.push_back(root + win::WideFromGbk(f));
  const std::vector<std::wstring> paths = TargetsOf(chunk, tree, root);
  const auto start = Clock::now();
  for (const auto& f : folders) {
    if (!CreateDirectoryW(f.c_str(), nullptr)) throw std::runtime_error("the floor cannot make a folder");
  }
  WriteFiles(chunk, tree, paths);
  return Seconds(start);
}

// Whether every file under `root` holds its bytes of the payload.
bool TreeMatches(const Tree& tree, const std::wstring& root) {
  for (const auto& f : tree.files) {
    const std::string bytes = testing_support::ReadFileBytes(root + win::WideFromGbk(f.relPath));
    if (bytes.size() != f.size || std::memcmp(bytes.data(), tree.payload.data() + f.offset, f.size) != 0) {
      return false;
    }
  }
  return true;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

std::string Describe(const Tree& tree) {
  std::vector<double> sizes;
  for (const auto& f : tree.files) sizes.push_back(f.size);
  const auto big = std::count_if(sizes.begin(), sizes.end(), [](double s) { return s >= (1 << 20); });
  char text[200];
  std::snprintf(text, sizeof text,
                "tree: %zu files in %zu folders, %.1f MB; median %.1f KB, %d files of 1 MB or more, largest %.1f MB\n",
                tree.files.size(), tree.folders.size() + 1, tree.payload.size() / 1e6, Median(sizes) / 1e3,
                static_cast<int>(big), *std::max_element(sizes.begin(), sizes.end()) / 1e6);
  return text;
}

// What each step of the engine costs per file, one step at a time over the
// whole tree, in `root` where the floor has written the tree.
std::string Breakdown(const std::vector<Chunk>& chunks, const Tree& tree, TMainForm& form,
                      const std::wstring& root) {
  const std::string rootGbk = win::GbkFromWide(root);
  std::vector<std::string> targets;
  for (const auto& f : tree.files) targets.push_back(rootGbk + f.relPath);
  std::string out = "per file, one step at a time:\n";
  auto report = [&](const char* what, double seconds) {
    char line[120];
    std::snprintf(line, sizeof line, "  %-56s %7.0f us\n", what, seconds * 1e6 / targets.size());
    out += line;
  };
  auto per = [&](const char* what, auto&& step) {
    const auto start = Clock::now();
    for (size_t i = 0; i < targets.size(); ++i) step(i);
    report(what, Seconds(start));
  };
  CopyingPage view(form);
  per("file name on the page (ShowFileName)",
      [&](size_t i) { view.ShowFileName(setup::ShortenPath(targets[i], 40)); });
  per("  its text alone (FNameLb.SetText)",
      [&](size_t i) { form.FNameLb.SetText(setup::ShortenPath(targets[i], 40)); });
  per("  its width alone (FNameLb.SetWidth)", [&](size_t) { form.FNameLb.SetWidth(300); });
  per("  its repaint alone (FNameLb.Repaint)", [&](size_t) { form.FNameLb.Repaint(); });
  per("progress, as the engine sets it (SetProgress)", [&](size_t i) {
    view.SetProgress(static_cast<int>(i % setup::kTableCapacity * 100 / setup::kTableCapacity));
  });
  per("folder chain of a folder made before (CreateFolderChain)",
      [&](size_t i) { setup::CreateFolderChain(setup::FolderOfPath(targets[i])); });
  per("existence check of the target (GetFileAttributesW)",
      [&](size_t i) { GetFileAttributesW(win::WideFromGbk(targets[i]).c_str()); });
  double floor = 0;
  for (const Chunk& c : chunks) {
    const std::vector<std::wstring> paths = TargetsOf(c, tree, root);
    for (const auto& p : paths) DeleteFileW(p.c_str());
    const auto start = Clock::now();
    WriteFiles(c, tree, paths);
    floor += Seconds(start);
  }
  report("floor: CreateFileW + WriteFile + CloseHandle", floor);
  return out;
}

int Run(int rounds, const std::wstring& exportFolder) {
  const Tree tree = MakeTree();
  std::vector<Chunk> chunks = MakeChunks(tree);
  if (!exportFolder.empty()) {
    // A fresh folder only: nothing of the caller's is overwritten.
    if (!CreateDirectoryW(exportFolder.c_str(), nullptr)) {
      throw std::runtime_error("cannot make the export folder (it must not exist yet)");
    }
    for (const Chunk& c : chunks) TimeFloor(c, tree, exportFolder);
  }

  ui::Application app;
  app.Initialize();
  int fileErrors = 0;  // notices of a file that could not be written, answered OK
  app.SetMessageBoxHook([&](const std::wstring&, const std::wstring&, UINT) { return ++fileErrors, IDOK; });
  auto form = std::make_unique<TMainForm>();
  form->SetupConfig.SetText(setup::field::kProductName, "TAVRO-X");
  app.ShowMainForm(*form);
  form->PageCtl.SetActivePage(4);  // the copying page, as the wizard shows it
  app.ProcessMessages();
  CopyingPage page(*form);
  page.SetWorkText("正在复制文件...");
  BareView bare;

  const std::wstring base = L"C:\\install-bench";
  testing_support::RemoveTree(base);
  CreateDirectoryW(base.c_str(), nullptr);
  std::vector<double> engine, floor, bareEngine, ratio, bareRatio;
  std::string lines;
  // Round 0 warms up and checks that all three wrote the same tree; it is
  // not counted. Within a round the three take turns record by record, so
  // that all meet the same load of a shared machine; the order is reversed
  // every other round.
  for (int round = 0; round <= rounds; ++round) {
    const std::wstring dir = base + L"\\" + std::to_wstring(round);
    // Each install folder exists beforehand, as the folder page makes it
    // before the engine runs.
    const std::wstring pageRoot = dir + L"\\page\\TAVRO-X", floorRoot = dir + L"\\floor\\TAVRO-X",
                       bareRoot = dir + L"\\bare\\TAVRO-X";
    for (const auto& d : {pageRoot, floorRoot, bareRoot}) setup::CreateFolderChain(win::GbkFromWide(d));
    app.ProcessMessages();
    const bool pageFirst = round % 2 == 0;
    double e = 0, f = 0, b = 0;
    for (Chunk& c : chunks) {
      if (pageFirst) e += TimeEngine(c, tree, win::GbkFromWide(pageRoot), page);
      if (!pageFirst) b += TimeEngine(c, tree, win::GbkFromWide(bareRoot), bare);
      f += TimeFloor(c, tree, floorRoot);
      if (pageFirst) b += TimeEngine(c, tree, win::GbkFromWide(bareRoot), bare);
      if (!pageFirst) e += TimeEngine(c, tree, win::GbkFromWide(pageRoot), page);
    }
    app.ProcessMessages();
    if (round == 0) {
      for (const auto& root : {pageRoot, floorRoot, bareRoot}) {
        if (!TreeMatches(tree, root)) throw std::runtime_error("a tree written differs from the payload");
      }
      const std::wstring shots = testing_support::EnvVar(L"ARTIFACT_DIR");
      if (!shots.empty()) {
        testing_support::SavePng(testing_support::CaptureWindow(form->Handle()), shots + L"\\copying-page.png");
      }
    } else {
      engine.push_back(e), floor.push_back(f), bareEngine.push_back(b);
      ratio.push_back(e / f), bareRatio.push_back(b / f);
    }
    char line[200];
    std::snprintf(line, sizeof line,
                  "round %2d%s  engine %7.3f s  floor %7.3f s  ratio %.3f  without the page %7.3f s  (%s first)\n",
                  round, round == 0 ? " (warm-up)" : "          ", e, f, e / f, b, pageFirst ? "engine" : "without");
    lines += line;
    testing_support::RemoveTree(dir);
  }
  const std::wstring breakdownRoot = base + L"\\breakdown";
  CreateDirectoryW(breakdownRoot.c_str(), nullptr);
  for (const Chunk& c : chunks) TimeFloor(c, tree, breakdownRoot);
  const std::string breakdown = Breakdown(chunks, tree, *form, breakdownRoot);
  testing_support::RemoveTree(base);

  std::printf("engine file phase, median of %d rounds: %7.3f s\n", rounds, Median(engine));
  std::printf("floor loop, median of %d rounds:        %7.3f s\n", rounds, Median(floor));
  std::printf("median ratio engine/floor:               %7.3f\n", Median(ratio));
  std::printf("engine without the page (a view that does nothing): %.3f s, median ratio to the floor %.3f\n",
              Median(bareEngine), Median(bareRatio));
  std::printf("view: the real copying page (TMainForm, page 4, on the display)\n");
  std::printf("files reported as not written: %d\n", fileErrors + bare.errors);
  std::printf("%s%s%s", Describe(tree).c_str(), breakdown.c_str(), lines.c_str());
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int rounds = 7;
  std::wstring exportFolder;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::wstring flag = argv[i];
    if (flag == L"--rounds") rounds = std::max(1, _wtoi(argv[i + 1]));
    else if (flag == L"--export") exportFolder = argv[i + 1];
  }
  try {
    return Run(rounds, exportFolder);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "install_bench: %s\n", e.what());
    return 1;
  }
}
