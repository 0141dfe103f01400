#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace vantrel {

// The three list lengths the statistics show live, taken from the transfer lists.
struct LiveTransferCounts {
  uint32_t downloads_in_progress = 0;  // file and folder downloads
  uint32_t uploads_in_progress = 0;    // file and folder uploads
  uint32_t waiting_downloads = 0;      // the waiting-download queue
};

// The server's counters since start, never saved, and what the statistics show
// of them. Owned by the application; core thread only. The counters are plain
// fields: the pass, client removal, the server reset and the transfer code
// change them and then call Refresh().
class Statistics {
 public:
  // One line of the statistics: its label and its value as text.
  using Line = std::pair<std::string, std::string>;
  // Reports the live transfer counts when the statistics are shown.
  using LiveCounter = std::function<LiveTransferCounts()>;

  // Raises the peak to the current connections when it is lower.
  void Refresh();

  // The moment the statistics count from, local time; shown as "Since:".
  void SetStartTime(const std::tm& when);

  // Until a counter is set, the live counts are all 0.
  void SetLiveCounter(LiveCounter counter) { live_counter_ = std::move(counter); }
  LiveTransferCounts Live() const;

  // The nine lines the statistics window shows, in its order: "Currently
  // Connected:", "Downloads in progress:", "Uploads in progress:", "Waiting
  // downloads:", "Connection Peak:", "Connection Counter:", "Download Counter:",
  // "Upload Counter:" (each value in decimal) and "Since:". Does not refresh.
  std::vector<Line> Lines() const;

  uint32_t current_connections = 0;  // -1 when a client is removed, 0 after a reset
  uint32_t connection_peak = 0;      // raised only by Refresh()
  uint32_t connection_counter = 0;   // +1 per established client connection
  uint32_t download_counter = 0;     // +1 per accepted file or folder download
  uint32_t upload_counter = 0;       // +1 per accepted file or folder upload

 private:
  std::string since_text_;
  LiveCounter live_counter_;
};

}  // namespace vantrel
