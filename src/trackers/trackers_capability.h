#pragma once

#include <chrono>
#include <cstdint>
#include <memory>

#include "platform/timer.h"
#include "platform/udp_endpoint.h"
#include "server/capability.h"
#include "trackers/tracker_services.h"

namespace vantrel {

// The period of registration rounds while registration is on.
inline constexpr std::chrono::milliseconds kRegistrationPeriod{300'000};

// Tracker registration: announces the server to the trackers of the tracker
// list with one datagram each, once the server has started and then every
// kRegistrationPeriod, while option flag 0x01 is set. Trackers never answer.
// Has no handlers. Built by the composition root; core thread only.
class TrackersCapability final : public Capability {
 public:
  // REQUIRES: everything `services` refers to outlives the capability.
  explicit TrackersCapability(const TrackerServices& services) : services_(services) {}

  void RegisterHandlers(DispatchTable& /*table*/) override {}
  // Opens the datagram endpoint on the server address setting (when it cannot
  // be opened the failure is reported and the server runs without trackers)
  // and, when registration is on, starts the timer and registers at once.
  void Started(uint16_t port) override;
  // Registration switched on: the timer restarts and a round goes out at once.
  // Switched off: the timer stops.
  void SettingsApplied(const OptionsEffects& effects) override;

 private:
  // (Re)starts the repeating timer.
  void StartTimer();
  // One registration round: a datagram to each tracker entry whose address is
  // filled in, in list order, when the endpoint is open, the server has a name
  // and option flag 0x01 is set. An entry whose address is malformed is
  // reported as a failure and ends the round.
  void RegisterRound();

  TrackerServices services_;
  uint16_t port_ = 0;                      // the port the listeners are open on
  std::unique_ptr<UdpEndpoint> endpoint_;  // null until started, or when it could not be opened
  std::unique_ptr<Timer> timer_;           // null until the endpoint is open
};

}  // namespace vantrel
