#pragma once

#include <filesystem>

#include "files/file_tree.h"
#include "logs/log_window.h"
#include "platform/clock.h"
#include "platform/random.h"
#include "server/core_services.h"
#include "server/dispatch_table.h"

namespace vantrel {

// The folder of the threaded news in the server folder.
inline constexpr const char* kNewsFolderName = "News";

// What the threaded news handlers use. Everything referred to must outlive them.
struct ThreadedNewsServices {
  FileTree& tree;
  Random& random;
  const Clock& clock;
  LogWindow& log;
  FailureReporter& failures;
  std::filesystem::path news_root;  // "News" in the server folder, absolute
};

// Registers the threaded news: 370 (news list), 371 (article list), 380
// (delete a bundle or category), 381 (new bundle), 382 (new category), 400
// (get article), 410 (post article) and 411 (delete article). Bundles are
// folders and categories ".vnz" files in the tree under "News", named by a
// path (field 325) as file paths are. A category that cannot be read is
// answered with an error reply and reported to the error log; an article ID or
// flavor it does not hold leaves the handler, as other failures do.
void RegisterThreadedNewsHandlers(DispatchTable& table, ThreadedNewsServices& news);

}  // namespace vantrel
