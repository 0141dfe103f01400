#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "client/server_connection.h"
#include "client/transfers.h"
#include "client/user_list.h"

namespace vantrel::client {

// A line holding only this ends the text of /post and /post-board typed after it.
inline constexpr std::string_view kEndOfText = ".";

// Whether the command `line` takes a text on the lines after it.
bool TakesText(std::string_view line);

// What running one command came to.
struct CommandOutcome {
  bool ok = true;
  std::string error;  // UTF-8: the server's refusal or what went wrong
  bool quit = false;  // /quit: the session is to end
};

// How the commands show things: `print` takes UTF-8 text of one or more lines
// (without a final line end); `observer` watches transfers (a progress bar,
// Ctrl-C), and may be empty.
struct CommandOutput {
  std::function<void(const std::string&)> print;
  TransferObserver observer;
};

// The commands a person types, run against a logged-in connection; also shows
// what the server sends on its own as it arrives (EventText), in between. Text
// alone is a chat line; every other command starts with "/" (/help lists them).
// A command's first line holds its words; the text of /post and /post-board
// follows on the next lines. Words may be put in double quotes to hold spaces.
// One thread only; `server` must outlive the commands.
class Commands {
 public:
  Commands(ServerConnection& server, TransferPort transfers, CommandOutput output,
           std::string nickname, int16_t icon);

  Commands(const Commands&) = delete;
  Commands& operator=(const Commands&) = delete;

  // Fetches the user list, so that names can be looked up and joins and leaves
  // told; false when the server does not answer.
  bool LoadUsers();
  CommandOutcome Run(std::string_view command);

  const UserList& Users() const { return users_; }

 private:
  using Words = std::vector<std::string>;

  CommandOutcome Chat(std::string_view text, bool action);
  CommandOutcome PrivateMessage(const Words& words);
  CommandOutcome Who();
  CommandOutcome Info(const Words& words);
  CommandOutcome Nick(const Words& words);
  CommandOutcome Away(const Words& words);
  CommandOutcome List(const Words& words);
  CommandOutcome Get(const Words& words);
  CommandOutcome Put(const Words& words);
  CommandOutcome News(const Words& words);
  CommandOutcome Read(const Words& words);
  CommandOutcome Post(const Words& words, std::string_view body);
  CommandOutcome Board();
  CommandOutcome PostBoard(std::string_view body);

  // Sends the user's name, icon and options (304).
  CommandOutcome SendUserInfo();
  // Sends a request and gives its reply, or the refusal as the outcome.
  std::optional<Incoming> Ask(uint16_t type, const UFieldData& fields, CommandOutcome& outcome);
  // A round trip after a request that has no reply: once it is back, the
  // server has handled the request and shown its consequences.
  CommandOutcome Settle();
  // The user named `typed`, looking the user list up again when not known.
  const User* FindUser(std::string_view typed);

  ServerConnection& server_;
  TransferPort transfers_;
  CommandOutput output_;
  UserList users_;
  std::string nickname_;  // Mac Roman
  int16_t icon_;
  std::string away_text_;  // Mac Roman; empty: not away
};

}  // namespace vantrel::client
