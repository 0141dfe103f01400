#include "app/ban_commands.h"

#include <charconv>
#include <cstddef>
#include <string>

#include "app/application.h"
#include "bans/address_range.h"
#include "bans/ban_list_edit.h"
#include "platform/exception.h"
#include "platform/mac_roman.h"

namespace vantrel {
namespace {

constexpr const char* kUsageText =
    "Usage: ban list | ban add RANGE [INFO] | ban remove N\n"
    "  RANGE is a.b.c.d, a.b.c.d/n (a block), a.b.c.d+n (n more) or a.b.c.d-e.f.g.h\n";

// Width of the range column of the list (the longest shown range is 31 characters).
constexpr size_t kRangeColumn = 32;
// Width of the date column of the list (date texts hold at most 32 bytes).
constexpr size_t kDateColumn = 33;

struct Words {
  std::string_view first;
  std::string_view rest;
};

Words SplitFirst(std::string_view text) {
  const size_t blank = text.find_first_of(" \t");
  if (blank == std::string_view::npos) return {text, {}};
  std::string_view rest = text.substr(blank);
  const size_t start = rest.find_first_not_of(" \t");
  return {text.substr(0, blank), start == std::string_view::npos ? "" : rest.substr(start)};
}

std::string Padded(std::string text, size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

std::string ShownRange(const BanRecord& record) {
  return AddressRangeText(record.first_address, record.last_address);
}

// Saves the working list and reports who it disconnected; false when it could not be saved.
bool Save(CMyApplication& server, std::ostream& out, const BanList& working) {
  try {
    const size_t closed = server.Bans().SaveOperatorBans(working);
    if (closed != 0)
      out << "Disconnected " << closed << (closed == 1 ? " user" : " users") << ".\n";
    return true;
  } catch (const Omberly::CException& failure) {
    out << "The ban list could not be saved: " << MacRomanToOperatorText(failure.Description())
        << "\n";
    return false;
  }
}

void List(CMyApplication& server, std::ostream& out) {
  const BanList working = server.Bans().Permanent().ReadWorkingList();
  if (working.empty()) {
    out << "The ban list is empty.\n";
    return;
  }
  size_t number = 0;
  for (const BanRecord& record : working) {
    out << ++number << ". " << Padded(ShownRange(record), kRangeColumn)
        << Padded(MacRomanToOperatorText(record.date_text), kDateColumn)
        << MacRomanToOperatorText(record.info_text)
        << (record.flag == kBanRemoved ? " (not in force)" : "") << "\n";
  }
}

void Add(CMyApplication& server, std::ostream& out, std::string_view arguments) {
  const Words words = SplitFirst(arguments);
  const std::string range = Utf8ToMacRoman(words.first);
  if (!IsWellFormedAddressRange(range)) {
    out << kUsageText;
    return;
  }
  BanList working = server.Bans().Permanent().ReadWorkingList();
  AddOperatorBan(working, range, Utf8ToMacRoman(words.rest), server.Core().GetClock().LocalTime());
  const std::string shown = ShownRange(working.back());
  if (Save(server, out, working)) out << "Banned " << shown << ".\n";
}

void Remove(CMyApplication& server, std::ostream& out, std::string_view arguments) {
  size_t number = 0;
  const auto [end, error] =
      std::from_chars(arguments.data(), arguments.data() + arguments.size(), number);
  if (error != std::errc() || end != arguments.data() + arguments.size() || number == 0) {
    out << kUsageText;
    return;
  }
  BanList working = server.Bans().Permanent().ReadWorkingList();
  if (number > working.size()) {
    out << "There is no entry " << number << "; the list holds " << working.size() << ".\n";
    return;
  }
  const auto removed = working.begin() + static_cast<std::ptrdiff_t>(number - 1);
  const std::string shown = ShownRange(*removed);
  working.erase(removed);
  if (Save(server, out, working)) out << "Removed entry " << number << " (" << shown << ").\n";
}

}  // namespace

void BanCommand(CMyApplication& server, std::ostream& out, std::string_view arguments) {
  const Words words = SplitFirst(arguments);
  if (words.first == "list" && words.rest.empty()) {
    List(server, out);
  } else if (words.first == "add" && !words.rest.empty()) {
    Add(server, out, words.rest);
  } else if (words.first == "remove" && !words.rest.empty()) {
    Remove(server, out, words.rest);
  } else {
    out << kUsageText;
  }
}

}  // namespace vantrel
