#pragma once

// The names of the news files in the server folder, in one place.
namespace vantrel {

// The message board, newest post first.
inline constexpr const char* kMessageBoardFileName = "MessageBoard.txt";
// A new message board is written here first and then renamed over the old one.
inline constexpr const char* kMessageBoardTemporaryFileName = "MessageBoard.txt.new";
// The agreement every user is shown at login.
inline constexpr const char* kAgreementFileName = "Agreement.txt";

}  // namespace vantrel
