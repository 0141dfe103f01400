// Resolves arbitrary path fields and item names over a small tree whose only
// links point inside it, beside a folder that must stay out of reach. Besides
// never crashing, every item resolved must be an entry of a folder inside the
// root: no level, name or link leads out of it.
//
// Input: one byte of flags, then the path field, then (after a 0xFF byte, when
// there is one) the item name.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include <unistd.h>

#include "files/file_tree.h"
#include "platform/exception.h"
#include "platform/file_system.h"

namespace {

namespace fs = std::filesystem;

// The tree, made once per process under the temporary folder.
struct Tree {
  Tree() {
    base = fs::temp_directory_path() / ("vantrel-path-fuzz-" + std::to_string(::getpid()));
    fs::remove_all(base);
    root = base / "server" / "Files";
    fs::create_directories(root / "Sub" / "Deep");
    fs::create_directories(root / "Drop Box");
    fs::create_directories(base / "server" / "Users");
    fs::create_directories(base / "outside");
    std::ofstream(root / "a.txt") << "a";
    std::ofstream(root / "Sub" / "b.txt") << "b";
    std::ofstream(base / "outside" / "secret") << "s";
    fs::create_symlink(root / "Sub", root / "sub.lnk");
    fs::create_symlink("Deep", root / "Sub" / "deep.lnk");
    fs::create_symlink("loop.lnk", root / "loop.lnk");
    fs::create_symlink(root / "gone", root / "gone.lnk");
    fs::create_symlink(root / "a.txt", root / "Sub" / "a.lnk");
    root = fs::canonical(root);
  }
  ~Tree() { fs::remove_all(base); }

  fs::path base;
  fs::path root;
};

bool IsInside(const fs::path& path, const fs::path& root) {
  const auto relative = path.lexically_relative(root);
  return !relative.empty() && *relative.begin() != "..";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Tree tree;
  static vantrel::FileTree files(vantrel::FileSystem::Default(), tree.root.parent_path(),
                                 [](std::string_view) { return std::nullopt; });
  if (size == 0) return 0;
  const unsigned flags = data[0] & 7;
  std::span<const uint8_t> rest(data + 1, size - 1);
  std::optional<std::string_view> name;
  for (size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] != 0xFF) continue;
    name =
        std::string_view(reinterpret_cast<const char*>(rest.data() + i + 1), rest.size() - i - 1);
    rest = rest.first(i);
    break;
  }
  try {
    const vantrel::ItemReference item = files.Resolve(files.SharedRoot(), rest, name, flags);
    if (item.kind == vantrel::ItemKind::kNoFolder) return 0;
    const fs::path folder = fs::canonical(item.host.parent_path());
    const fs::path entry = item.host.filename();
    const bool is_root = item.host == tree.root;
    if (!is_root && (!IsInside(folder / entry, tree.root) || entry == ".." || entry == ".")) {
      std::abort();
    }
  } catch (const Omberly::CException&) {
    // Invalid names and the like are raised, as they should be.
  } catch (const fs::filesystem_error&) {
    std::abort();
  }
  return 0;
}
