#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace vantrel {

class LogWindow;

// The message board: one growing Mac Roman text, newest post first, kept in
// memory whole (no cap) and in "MessageBoard.txt" in the server folder, which is
// rewritten whole after every post (through the file system it was given).
// Owned by the application; core thread only.
class MessageBoard {
 public:
  // REQUIRES: `file_system` outlives the board; `server_folder` is the folder
  // "MessageBoard.txt" lives in.
  MessageBoard(FileSystem& file_system, std::filesystem::path server_folder);

  MessageBoard(const MessageBoard&) = delete;
  MessageBoard& operator=(const MessageBoard&) = delete;

  // Reads "MessageBoard.txt" whole into the board, as it is, creating the file
  // empty when it is missing, and logs "Loaded MessageBoard.txt"; a
  // "MessageBoard.txt.new" left by an interrupted save is removed first. Raises
  // Omberly::CException of class 4 (with the errno) when the file cannot be
  // created or read; the board then keeps what it held.
  void Load(LogWindow& log);

  // The whole board.
  const std::string& Text() const { return text_; }

  // Puts `post` in front of the board and writes the whole board to
  // "MessageBoard.txt" (through a temporary file renamed over it). Raises
  // Omberly::CException of class 4 when the file cannot be written; the board
  // in memory keeps the post and the file stays as it was.
  void AddPost(std::string_view post);

 private:
  FileSystem& file_system_;
  std::filesystem::path folder_;
  std::string text_;
};

}  // namespace vantrel
