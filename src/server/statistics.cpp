#include "server/statistics.h"

#include "logs/log_window.h"

namespace vantrel {

void Statistics::Refresh() {
  if (current_connections > connection_peak) connection_peak = current_connections;
}

void Statistics::SetStartTime(const std::tm& when) {
  // The same form as the error log's date: "%x %X" in the current locale.
  since_text_ = ErrorDateText(when);
}

LiveTransferCounts Statistics::Live() const {
  return live_counter_ ? live_counter_() : LiveTransferCounts{};
}

std::vector<Statistics::Line> Statistics::Lines() const {
  const LiveTransferCounts live = Live();
  return {
      {"Currently Connected:", std::to_string(current_connections)},
      {"Downloads in progress:", std::to_string(live.downloads_in_progress)},
      {"Uploads in progress:", std::to_string(live.uploads_in_progress)},
      {"Waiting downloads:", std::to_string(live.waiting_downloads)},
      {"Connection Peak:", std::to_string(connection_peak)},
      {"Connection Counter:", std::to_string(connection_counter)},
      {"Download Counter:", std::to_string(download_counter)},
      {"Upload Counter:", std::to_string(upload_counter)},
      {"Since:", since_text_},
  };
}

}  // namespace vantrel
