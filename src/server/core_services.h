#pragma once

#include <cstdint>
#include <exception>

#include "prefs/server_settings.h"

namespace vantrel {

struct ClientSession;

// The narrow services of the server core that capabilities are given by
// constructor. ServerCore implements each; a capability keeps references to the
// ones it uses (REQUIRES: the core outlives it). Core thread only.

// Asks for a processing pass.
class PassRequester {
 public:
  virtual ~PassRequester() = default;
  // Runs a processing pass soon, once, however often it is asked for before it runs.
  virtual void RequestPass() = 0;
};

// The rules whose breach disconnects a client and bans its address for a while;
// each is counted apart (the `counters` command).
enum class AutoBanRule : uint8_t {
  kRequestFlood,     // more than 120 requests in 60 s
  kConnectionFlood,  // more than 10 connections in a row from one address in 30 s
  kUserInfoFlood,    // more than 25 set-user-info requests in 60 s
  kChatFlood,        // chat bytes past the window's allowance
  kMessageFlood,     // more than 20 messages and invitations in 60 s
  kChatSpam,         // the sixth identical chat line in a row
  kMessageSpam,      // the sixth identical private message or broadcast in a row
  kNewsSpam,         // the sixth identical board post in a row
};
inline constexpr size_t kAutoBanRuleCount = 8;

// The log text of an auto-ban under `rule` ("Autobanned for flooding", ...).
const char* AutoBanLogText(AutoBanRule rule);

// The flood and repeat rules' answer to a client.
class AutoBanner {
 public:
  virtual ~AutoBanner() = default;
  // Disconnects the client, bans its address for 1800 s, writes the rule's log
  // line for it and counts the ban.
  virtual void AutoBan(ClientSession& client, uint32_t now, AutoBanRule rule) = 0;
};

// Where a failure goes that a capability caught but cannot answer itself.
class FailureReporter {
 public:
  virtual ~FailureReporter() = default;
  // Counted, written to the error log and, when they come too fast, answered by a
  // server reset.
  virtual void ReportFailure(const std::exception& failure) = 0;
};

// The settings in force, and saving them.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  virtual ServerSettings& Settings() = 0;
  // Writes "Prefs". Raises Omberly::CException (class 4) when it cannot.
  virtual void SaveSettings() const = 0;
};

// The temporary bans as the core adds to them (the bans capability owns the list).
class TemporaryBans {
 public:
  virtual ~TemporaryBans() = default;
  // Bans `address` for 1800 s from `now`.
  virtual void Add(uint32_t address, uint32_t now) = 0;
};

}  // namespace vantrel
