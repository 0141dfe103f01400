#pragma once

#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/clock.h"
#include "platform/exception.h"
#include "platform/file_system.h"
#include "prefs/server_settings.h"

namespace vantrel {

// The five log files in the server folder.
inline constexpr const char* kErrorLogFileName = "Error Log.txt";
inline constexpr const char* kDownloadLogFileName = "Download Log.txt";
inline constexpr const char* kUploadLogFileName = "Upload Log.txt";
inline constexpr const char* kConnectLogFileName = "Connect Log.txt";
inline constexpr const char* kAccountLogFileName = "Account Log.txt";

// Action words of the account log.
inline constexpr const char* kAccountActionCreate = "Create";
inline constexpr const char* kAccountActionDelete = "Delete";
inline constexpr const char* kAccountActionModify = "Modify";
inline constexpr const char* kAccountActionRename = "Rename";

// The session a log-file line is about, as plain Mac Roman texts.
struct LogActor {
  std::string_view address;  // the remote address as "%d.%d.%d.%d" (AddressText)
  std::string_view account;  // the login, in its lower-case lookup form
  std::string_view name;     // the display name
};

// Writes the error log and the four activity logs ("Download Log.txt",
// "Upload Log.txt", "Connect Log.txt", "Account Log.txt"). An activity line is
// written only while its option flag (0x02, 0x04, 0x08, 0x40) is on; a file of
// length 0 first gets its header line. Lines are tab-separated, end with a
// carriage return and hold the texts as given, without escaping. Every line
// opens, appends to and closes its file, so a file deleted while the server runs
// comes back, with its header, at the next line. Owned by the application; core
// thread only.
//
// Every writer raises Omberly::CException of class 4 (with the errno) when the
// file cannot be opened or written; callers pass it to their general error path.
class LogFiles {
 public:
  // REQUIRES: `file_system`, `clock` and `settings` outlive this object; the
  // option flags of `settings` are read at every line.
  LogFiles(FileSystem& file_system, std::filesystem::path server_folder, const Clock& clock,
           const ServerSettings& settings);

  LogFiles(const LogFiles&) = delete;
  LogFiles& operator=(const LogFiles&) = delete;

  // A file or folder download was granted: the item's name.
  void Download(const LogActor& actor, std::string_view file_name);
  // A file or folder upload was granted: the item's name.
  void Upload(const LogActor& actor, std::string_view file_name);
  // A user became visible at login.
  void Connect(const LogActor& actor);
  // An account change: one of the kAccountAction words and the affected login
  // (RenamedAccountText for a rename).
  void Account(const LogActor& actor, std::string_view action, std::string_view affected_account);
  // An error reported to the application's error handler (ErrorLogLine).
  void Error(const Omberly::CException& error);

 private:
  FileSystem& file_system_;
  std::filesystem::path server_folder_;
  const Clock& clock_;
  const ServerSettings& settings_;
};

// The affected-account column of a rename: "“%#s” “%#s”" with the old and the new login.
std::string RenamedAccountText(std::string_view old_login, std::string_view new_login);

// The error log line "%#-22.22s %#s (%#s)\r": the error date text in exactly 22
// characters, the error's description (at most 255 bytes) and its identification
// text; the whole line cut to 255 bytes (the carriage return is lost when cut).
std::string ErrorLogLine(const std::tm& when, const Omberly::CException& error);

}  // namespace vantrel
