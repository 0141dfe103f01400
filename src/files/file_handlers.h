#pragma once

#include "files/file_tree.h"
#include "logs/log_window.h"
#include "server/dispatch_table.h"

namespace vantrel {

// What the file operations use. Everything referred to must outlive them.
struct FileServices {
  FileTree& tree;
  LogWindow& log;
};

// Registers the transactions that look at the tree: 200 (get file list), 206
// (get file info) and 207 (set file info: comment and name).
void RegisterBrowseHandlers(DispatchTable& table, FileServices& files);

// Registers the transactions that change the tree: 204 (delete, to the trash),
// 205 (new folder), 208 (move) and 209 (make alias). Each success is logged.
void RegisterChangeHandlers(DispatchTable& table, FileServices& files);

}  // namespace vantrel
