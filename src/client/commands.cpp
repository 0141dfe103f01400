#include "client/commands.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>

#include "client/event_text.h"
#include "client/listings.h"
#include "client/text_capacity.h"
#include "platform/mac_roman.h"
#include "protocol/field_ids.h"
#include "protocol/transaction_types.h"

namespace vantrel::client {
namespace {

constexpr const char* kHelp =
    "TEXT                 says TEXT in the chat (//TEXT says a text that starts with /)\n"
    "/me ACTION           tells the chat what you do\n"
    "/msg NICK TEXT       sends NICK a private message\n"
    "/who                 lists the users\n"
    "/info NICK           what the server tells of NICK\n"
    "/nick NAME           changes your nickname\n"
    "/away [TEXT]         answers private messages with TEXT; again: back\n"
    "/ls [PATH]           lists a folder\n"
    "/get PATH [LOCAL]    downloads a file (again after an interruption: resumes)\n"
    "/put LOCAL [FOLDER]  uploads a file into a folder (again: resumes)\n"
    "/news [PATH]         lists a news bundle, or the articles of a category (NAME.vnz)\n"
    "/read PATH ID        shows an article of a category\n"
    "/post PATH TITLE     posts an article, its text on the next lines\n"
    "/board               shows the message board\n"
    "/post-board          posts to the message board, the text on the next lines\n"
    "/quit                leaves (so do Ctrl-D and Ctrl-C at the prompt)";

// The flavor of the articles the client reads and posts.
constexpr std::string_view kTextFlavor = "text/plain";
// Field 109 of a chat line: an action (/me).
constexpr uint32_t kChatAction = 1;
// Field 113 of a private message: an ordinary one; of 304: the auto-response is on.
constexpr uint32_t kOrdinaryMessage = 1;
constexpr uint32_t kOptionAutoResponse = 4;
constexpr const char* kDefaultAwayText = "I'm away; I'll answer when I'm back.";

CommandOutcome Failed(std::string error) {
  return {false, std::move(error), false};
}

// The words of `line`: at most `count`, the last taking the rest of the line
// (without the double quotes around it, if any); a word in double quotes may
// hold spaces.
std::vector<std::string> SplitWords(std::string_view line, size_t count) {
  std::vector<std::string> words;
  auto skip_blanks = [&] {
    while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
  };
  skip_blanks();
  while (!line.empty()) {
    if (words.size() + 1 == count) {
      const bool quoted = line.size() >= 2 && line.front() == '"' && line.back() == '"';
      words.emplace_back(quoted ? line.substr(1, line.size() - 2) : line);
      break;
    }
    std::string word;
    if (line.front() == '"') {
      const size_t close = line.find('"', 1);
      word = line.substr(1, close == std::string_view::npos ? line.npos : close - 1);
      line.remove_prefix(close == std::string_view::npos ? line.size() : close + 1);
    } else {
      const size_t blank = line.find(' ');
      word = line.substr(0, blank);
      line.remove_prefix(blank == std::string_view::npos ? line.size() : blank);
    }
    words.push_back(std::move(word));
    skip_blanks();
  }
  return words;
}

// Typed text (UTF-8, line feeds) as the server keeps it (Mac Roman, carriage returns).
std::string WireText(std::string_view typed) {
  std::string text = Utf8ToMacRoman(typed);
  std::replace(text.begin(), text.end(), '\n', '\r');
  return text;
}

bool IsCategoryPath(std::string_view path) {
  if (path.size() < 4) return false;
  std::string end(path.substr(path.size() - 4));
  std::transform(end.begin(), end.end(), end.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  return end == ".vnz";
}

// A byte count as "1,234,567".
std::string Grouped(uint64_t n) {
  std::string digits = std::to_string(n);
  for (size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
  return digits;
}

std::string Plural(uint64_t n, const char* one, const char* many) {
  return Grouped(n) + " " + (n == 1 ? one : many);
}

// The article list as a thread view: "ID  DATE  POSTER  TITLE", replies indented.
std::string ArticleListText(const std::vector<ArticleSummary>& articles) {
  std::map<uint32_t, size_t> depth;
  std::string text;
  for (const ArticleSummary& article : articles) {
    const auto parent = depth.find(article.parent);
    const size_t level = parent == depth.end() ? 0 : parent->second + 1;
    depth[article.id] = level;
    if (!text.empty()) text += '\n';
    text += std::to_string(article.id) + "  " + article.date + "  " + std::string(2 * level, ' ') +
            MacRomanToUtf8(article.title) + "  (" + MacRomanToUtf8(article.poster) + ")";
  }
  return text.empty() ? "No articles." : text;
}

}  // namespace

bool TakesText(std::string_view line) {
  return line.starts_with("/post ") || line == "/post-board";
}

Commands::Commands(ServerConnection& server, TransferPort transfers, CommandOutput output,
                   std::string nickname, int16_t icon)
    : server_(server),
      transfers_(std::move(transfers)),
      output_(std::move(output)),
      nickname_(std::move(nickname)),
      icon_(icon) {
  server_.SetEventHandler([this](const Incoming& event) {
    if (auto text = EventText(event, users_)) output_.print(*text);
  });
}

bool Commands::LoadUsers() {
  const auto reply = server_.Call(kTranGetUserList);
  if (!reply || reply->IsError()) return false;
  users_.Load(reply->fields);
  return true;
}

CommandOutcome Commands::Run(std::string_view command) {
  const size_t line_end = command.find('\n');
  const std::string_view line = command.substr(0, line_end);
  const std::string_view body =
      line_end == std::string_view::npos ? std::string_view() : command.substr(line_end + 1);
  if (line.empty()) return {};
  if (!line.starts_with('/')) return Chat(line, false);
  if (line.starts_with("//")) return Chat(line.substr(1), false);

  const auto name = SplitWords(line, 2);
  const std::string& verb = name[0];
  auto words = [&](size_t count) {
    auto all = SplitWords(line, count + 1);
    all.erase(all.begin());
    return all;
  };
  if (verb == "/me") return Chat(name.size() > 1 ? name[1] : "", true);
  if (verb == "/msg") return PrivateMessage(words(2));
  if (verb == "/who") return Who();
  if (verb == "/info") return Info(words(1));
  if (verb == "/nick") return Nick(words(1));
  if (verb == "/away") return Away(SplitWords(name.size() > 1 ? name[1] : "", 1));
  if (verb == "/ls") return List(words(1));
  if (verb == "/get") return Get(words(2));
  if (verb == "/put") return Put(words(2));
  if (verb == "/news") return News(words(1));
  if (verb == "/read") return Read(words(2));
  if (verb == "/post") return Post(words(2), body);
  if (verb == "/board") return Board();
  if (verb == "/post-board") return PostBoard(body);
  if (verb == "/help") {
    output_.print(kHelp);
    return {};
  }
  if (verb == "/quit") return {true, {}, true};
  return Failed("unknown command " + verb + "; /help lists the commands");
}

std::optional<Incoming> Commands::Ask(uint16_t type, const UFieldData& fields,
                                      CommandOutcome& outcome) {
  auto reply = server_.Call(type, fields);
  if (!reply || reply->IsError()) {
    outcome = Failed(server_.Refusal(reply));
    reply.reset();
  }
  return reply;
}

CommandOutcome Commands::Settle() {
  CommandOutcome outcome;
  Ask(kTranKeepAlive, {}, outcome);
  return outcome;
}

const User* Commands::FindUser(std::string_view typed) {
  const std::string name = Utf8ToMacRoman(typed);
  if (const User* user = users_.Find(name)) return user;
  LoadUsers();
  return users_.Find(name);
}

CommandOutcome Commands::Chat(std::string_view text, bool action) {
  if (text.empty()) return Failed("nothing to say");
  UFieldData fields;
  fields.AddText(kFieldData, WireText(text));
  if (action) fields.AddInteger(kFieldChatOptions, kChatAction);
  server_.Send(kTranSendChat, fields);
  return Settle();
}

CommandOutcome Commands::PrivateMessage(const Words& words) {
  if (words.size() < 2) return Failed("usage: /msg NICK TEXT");
  const User* user = FindUser(words[0]);
  if (user == nullptr) return Failed("no user named " + words[0]);
  UFieldData fields;
  fields.AddInteger(kFieldUserId, user->id);
  fields.AddInteger(kFieldOptions, kOrdinaryMessage);
  fields.AddText(kFieldData, WireText(words[1]));
  CommandOutcome outcome;
  if (Ask(kTranSendPrivateMessage, fields, outcome)) output_.print("Message sent to " + words[0]);
  return outcome;
}

CommandOutcome Commands::Who() {
  if (!LoadUsers()) return Failed(server_.Failure());
  std::string text;
  for (const User& user : users_.All()) {
    if (!text.empty()) text += '\n';
    text += MacRomanToUtf8(user.name) + "  (user " + std::to_string(user.id) + ", icon " +
            std::to_string(user.icon) + ")";
    if (user.flags & kStatusAway) text += " away";
    if (user.flags & kStatusAdministrator) text += " administrator";
  }
  output_.print(text.empty() ? "Nobody is here." : text);
  return {};
}

CommandOutcome Commands::Info(const Words& words) {
  if (words.empty()) return Failed("usage: /info NICK");
  const User* user = FindUser(words[0]);
  if (user == nullptr) return Failed("no user named " + words[0]);
  UFieldData fields;
  fields.AddInteger(kFieldUserId, user->id);
  CommandOutcome outcome;
  if (const auto reply = Ask(kTranGetClientInfo, fields, outcome)) {
    output_.print(MacRomanToOperatorText(reply->fields.ReadText(kFieldData, kTextCapacity)));
  }
  return outcome;
}

CommandOutcome Commands::SendUserInfo() {
  UFieldData fields;
  fields.AddText(kFieldNickname, nickname_);
  fields.AddInteger(kFieldIcon, static_cast<uint16_t>(icon_));
  fields.AddInteger(kFieldOptions, away_text_.empty() ? 0 : kOptionAutoResponse);
  fields.AddText(kFieldAutoResponse, away_text_);
  server_.Send(kTranSetUserInfo, fields);
  return Settle();
}

CommandOutcome Commands::Nick(const Words& words) {
  if (words.empty()) return Failed("usage: /nick NAME");
  nickname_ = Utf8ToMacRoman(words[0]);
  return SendUserInfo();
}

CommandOutcome Commands::Away(const Words& words) {
  const bool back = !away_text_.empty() && words.empty();
  away_text_ = back ? "" : Utf8ToMacRoman(words.empty() ? kDefaultAwayText : words[0]);
  const CommandOutcome outcome = SendUserInfo();
  if (outcome.ok) {
    output_.print(back ? "Back: private messages reach you again."
                       : "Away: private messages are answered with \"" +
                             MacRomanToUtf8(away_text_) + "\"");
  }
  return outcome;
}

CommandOutcome Commands::List(const Words& words) {
  UFieldData fields;
  const auto levels = PathLevels(words.empty() ? "" : words[0]);
  if (!levels.empty()) fields.AddField(kFieldFilePath, PathField(levels));
  CommandOutcome outcome;
  const auto reply = Ask(kTranGetFileList, fields, outcome);
  if (!reply) return outcome;
  std::string text;
  for (size_t position = 1; position <= reply->fields.Count(); ++position) {
    const auto entry = ParseFileEntry(reply->fields.DataAt(position));
    if (!entry) continue;
    if (!text.empty()) text += '\n';
    text += entry->IsFolder()
                ? MacRomanToUtf8(entry->name) + "/  (" + Plural(entry->size, "item", "items") + ")"
                : MacRomanToUtf8(entry->name) + "  (" + Plural(entry->size, "byte", "bytes") + ")";
  }
  output_.print(text.empty() ? "The folder is empty." : text);
  return outcome;
}

CommandOutcome Commands::Get(const Words& words) {
  if (words.empty()) return Failed("usage: /get PATH [LOCAL]");
  const auto levels = PathLevels(words[0]);
  if (levels.empty()) return Failed("usage: /get PATH [LOCAL]");
  // A folder given as LOCAL receives the file under its own name.
  std::filesystem::path local = words.size() > 1 ? words[1] : "";
  std::error_code unused;
  if (local.empty() || std::filesystem::is_directory(local, unused)) {
    local /= MacRomanToUtf8(levels.back());
  }
  const auto result = Download(server_, transfers_, levels, local, output_.observer);
  if (!result.ok) return Failed(result.error);
  output_.print("Downloaded " + local.string() + " (" + Plural(result.size, "byte", "bytes") +
                (result.offset > 0 ? ", resumed at byte " + Grouped(result.offset) : "") + ")");
  return {};
}

CommandOutcome Commands::Put(const Words& words) {
  if (words.empty()) return Failed("usage: /put LOCAL [FOLDER]");
  const auto result = Upload(server_, transfers_, words[0],
                             PathLevels(words.size() > 1 ? words[1] : ""), output_.observer);
  if (!result.ok) return Failed(result.error);
  output_.print("Uploaded " + words[0] + " (" + Plural(result.size, "byte", "bytes") +
                (result.offset > 0 ? ", resumed at byte " + Grouped(result.offset) : "") + ")");
  return {};
}

CommandOutcome Commands::News(const Words& words) {
  const std::string path = words.empty() ? "" : words[0];
  UFieldData fields;
  const auto levels = PathLevels(path);
  if (!levels.empty()) fields.AddField(kFieldNewsPath, PathField(levels));
  CommandOutcome outcome;
  if (IsCategoryPath(path)) {
    const auto reply = Ask(kTranGetArticleList, fields, outcome);
    if (!reply) return outcome;
    const auto articles = ParseArticleList(reply->fields.Data(kFieldArticleList));
    if (!articles) return Failed("the server sent an article list that cannot be read");
    output_.print(ArticleListText(*articles));
    return outcome;
  }
  const auto reply = Ask(kTranGetNewsList, fields, outcome);
  if (!reply) return outcome;
  std::string text;
  for (size_t position = 1; position <= reply->fields.Count(); ++position) {
    const auto entry =
        ParseNewsEntry(reply->fields.FieldIdAt(position), reply->fields.DataAt(position));
    if (!entry) continue;
    if (!text.empty()) text += '\n';
    text += MacRomanToUtf8(entry->name);
    if (entry->kind == NewsEntry::Kind::kBundle) text += "/";
    if (entry->count) {
      text += entry->kind == NewsEntry::Kind::kBundle
                  ? "  (" + Plural(*entry->count, "item", "items") + ")"
                  : "  (" + Plural(*entry->count, "article", "articles") + ")";
    }
  }
  output_.print(text.empty() ? "No news here." : text);
  return outcome;
}

CommandOutcome Commands::Read(const Words& words) {
  if (words.size() < 2) return Failed("usage: /read PATH ID");
  UFieldData fields;
  fields.AddField(kFieldNewsPath, PathField(PathLevels(words[0])));
  fields.AddInteger(kFieldArticleId,
                    static_cast<uint32_t>(std::strtoul(words[1].c_str(), nullptr, 10)));
  fields.AddText(kFieldDataFlavor, kTextFlavor);
  CommandOutcome outcome;
  const auto reply = Ask(kTranGetArticle, fields, outcome);
  if (!reply) return outcome;
  const UFieldData& article = reply->fields;
  output_.print(MacRomanToUtf8(article.ReadText(kFieldArticleTitle, kNameCapacity)) + "\nFrom " +
                MacRomanToUtf8(article.ReadText(kFieldArticlePoster, kNameCapacity)) + ", " +
                DateText(article.Data(kFieldArticleDate)) + "\n\n" +
                MacRomanToOperatorText(article.ReadText(kFieldArticleData, kTextCapacity)));
  return outcome;
}

CommandOutcome Commands::Post(const Words& words, std::string_view body) {
  if (words.size() < 2) return Failed("usage: /post PATH TITLE, the text on the next lines");
  if (body.empty()) return Failed("the article has no text");
  UFieldData fields;
  fields.AddField(kFieldNewsPath, PathField(PathLevels(words[0])));
  fields.AddInteger(kFieldArticleId, 0);
  fields.AddText(kFieldDataFlavor, kTextFlavor);
  fields.AddText(kFieldArticleTitle, Utf8ToMacRoman(words[1]));
  fields.AddText(kFieldArticleData, WireText(body));
  fields.AddInteger(kFieldArticleFlags, 0);
  CommandOutcome outcome;
  if (Ask(kTranPostArticle, fields, outcome)) output_.print("Posted \"" + words[1] + "\"");
  return outcome;
}

CommandOutcome Commands::Board() {
  CommandOutcome outcome;
  if (const auto reply = Ask(kTranGetMessageBoard, {}, outcome)) {
    const std::string text =
        MacRomanToOperatorText(reply->fields.ReadText(kFieldData, kTextCapacity));
    output_.print(text.empty() ? "The message board is empty." : text);
  }
  return outcome;
}

CommandOutcome Commands::PostBoard(std::string_view body) {
  if (body.empty()) return Failed("the post has no text");
  UFieldData fields;
  fields.AddText(kFieldData, WireText(body));
  CommandOutcome outcome;
  if (Ask(kTranPostMessageBoard, fields, outcome)) output_.print("Posted to the message board");
  return outcome;
}

}  // namespace vantrel::client
