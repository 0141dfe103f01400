#include "logs/log_files.h"

#include <initializer_list>
#include <memory>
#include <utility>

#include "logs/log_window.h"
#include "platform/file_failure.h"

namespace vantrel {
namespace {

// Header lines, written once into an empty file.
constexpr const char* kTransferHeader = "Date/time\tAddress\tAccount\tName\tFile Name\r";
constexpr const char* kConnectHeader = "Date/time\tAddress\tAccount\tName\r";
constexpr const char* kAccountHeader =
    "Date/time\tAddress\tAccount\tName\tAction\tAffected Account\r";

// The longest text of one column (a length-prefixed string).
constexpr size_t kColumnLimit = 255;
// The longest activity line.
constexpr size_t kActivityLineLimit = 1023;
// The longest error log line, and its parts.
constexpr size_t kErrorLineLimit = 255;
constexpr size_t kErrorDateColumn = 22;
constexpr size_t kDescriptionLimit = 255;

// The columns joined by tabs, each cut to kColumnLimit, ending with a carriage
// return; the whole cut to kActivityLineLimit.
std::string TabLine(std::initializer_list<std::string_view> columns) {
  std::string line;
  for (std::string_view column : columns) {
    if (!line.empty()) line += '\t';
    line.append(column.substr(0, kColumnLimit));
  }
  line += '\r';
  if (line.size() > kActivityLineLimit) line.resize(kActivityLineLimit);
  return line;
}

// Opens `path` (creating it), writes `header` when the file is empty, appends
// `line` and closes it. Raises on failure.
void AppendLine(FileSystem& file_system, const std::filesystem::path& path, std::string_view header,
                std::string_view line) {
  try {
    const std::unique_ptr<WritableFile> file = file_system.OpenForWriting(path, WriteMode::kAppend);
    std::string bytes;
    if (file->Size() == 0) bytes = header;
    bytes.append(line);
    file->Append(AsBytes(bytes));
    file->Close();
  } catch (const Omberly::CException& failure) {
    RaiseFileFailure("Could not write the log file \xD2" + path.filename().string() + "\xD3.",
                     failure.SystemError());
  }
}

}  // namespace

LogFiles::LogFiles(FileSystem& file_system, std::filesystem::path server_folder, const Clock& clock,
                   const ServerSettings& settings)
    : file_system_(file_system),
      server_folder_(std::move(server_folder)),
      clock_(clock),
      settings_(settings) {}

void LogFiles::Download(const LogActor& actor, std::string_view file_name) {
  if (!settings_.Option(kOptionLogDownloads)) return;
  AppendLine(file_system_, server_folder_ / kDownloadLogFileName, kTransferHeader,
             TabLine({LogDateText(clock_.LocalTime()), actor.address, actor.account, actor.name,
                      file_name}));
}

void LogFiles::Upload(const LogActor& actor, std::string_view file_name) {
  if (!settings_.Option(kOptionLogUploads)) return;
  AppendLine(file_system_, server_folder_ / kUploadLogFileName, kTransferHeader,
             TabLine({LogDateText(clock_.LocalTime()), actor.address, actor.account, actor.name,
                      file_name}));
}

void LogFiles::Connect(const LogActor& actor) {
  if (!settings_.Option(kOptionLogConnects)) return;
  AppendLine(file_system_, server_folder_ / kConnectLogFileName, kConnectHeader,
             TabLine({LogDateText(clock_.LocalTime()), actor.address, actor.account, actor.name}));
}

void LogFiles::Account(const LogActor& actor, std::string_view action,
                       std::string_view affected_account) {
  if (!settings_.Option(kOptionLogAccountChanges)) return;
  AppendLine(file_system_, server_folder_ / kAccountLogFileName, kAccountHeader,
             TabLine({LogDateText(clock_.LocalTime()), actor.address, actor.account, actor.name,
                      action, affected_account}));
}

void LogFiles::Error(const Omberly::CException& error) {
  AppendLine(file_system_, server_folder_ / kErrorLogFileName, {},
             ErrorLogLine(clock_.LocalTime(), error));
}

std::string RenamedAccountText(std::string_view old_login, std::string_view new_login) {
  return CurlyQuoted(old_login) + " " + CurlyQuoted(new_login);
}

std::string ErrorLogLine(const std::tm& when, const Omberly::CException& error) {
  std::string line = ErrorDateText(when).substr(0, kErrorDateColumn);
  line.append(kErrorDateColumn - line.size(), ' ');
  line += ' ';
  line += error.Description().substr(0, kDescriptionLimit);
  line += " (" + error.IdentificationText() + ")\r";
  if (line.size() > kErrorLineLimit) line.resize(kErrorLineLimit);
  return line;
}

}  // namespace vantrel
