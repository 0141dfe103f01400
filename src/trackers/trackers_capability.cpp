#include "trackers/trackers_capability.h"

#include "platform/exception.h"
#include "trackers/registration_datagram.h"
#include "trackers/tracker_address.h"
#include "trackers/tracker_sender.h"

namespace vantrel {

void TrackersCapability::Started(uint16_t port) {
  port_ = port;
  try {
    endpoint_ = std::make_unique<UdpEndpoint>(services_.io,
                                              services_.settings.Settings().server_ip_address);
  } catch (const Omberly::CException& failure) {
    services_.failures.ReportFailure(failure);
    return;
  }
  timer_ = services_.timers.NewTimer();
  if (!services_.settings.Settings().Option(kOptionRegisterWithTrackers)) return;
  StartTimer();
  RegisterRound();
}

void TrackersCapability::SettingsApplied(const OptionsEffects& effects) {
  if (!timer_) return;  // not started, or running without trackers
  if (!effects.tracker_registration) {
    timer_->Stop();
    return;
  }
  StartTimer();
  RegisterRound();
}

void TrackersCapability::StartTimer() {
  timer_->Start(kRegistrationPeriod, [this] {
    StartTimer();
    RegisterRound();
  });
}

void TrackersCapability::RegisterRound() {
  const ServerSettings& settings = services_.settings.Settings();
  if (!endpoint_ || settings.server_name.empty() || !settings.Option(kOptionRegisterWithTrackers)) {
    return;
  }
  const std::vector<uint8_t> common =
      RegistrationCommonPart(settings, port_, services_.stats.current_connections);
  TrackerSender sender(*endpoint_);
  try {
    for (const TrackerEntry& entry : settings.tracker_list) {
      if (entry.address.empty()) continue;
      sender.Send(TrackerDestinationOf(entry), RegistrationDatagram(common, entry.password));
    }
  } catch (const Omberly::CException& failure) {
    services_.failures.ReportFailure(failure);
  }
}

}  // namespace vantrel
